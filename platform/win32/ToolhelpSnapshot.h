#pragma once
// One walk over a Toolhelp snapshot: the modules of a process, or the
// threads or processes of the system. The snapshot is owned and closed
// however the walk ends. Any thread.
#include <windows.h>
#include <tlhelp32.h>

#include "platform/win32/HandleOwners.h"

template <typename Entry>
struct TToolhelpKind;

template <>
struct TToolhelpKind<MODULEENTRY32W> {
  static constexpr DWORD Flags = TH32CS_SNAPMODULE;
  static BOOL First(HANDLE snapshot, MODULEENTRY32W* entry) { return Module32FirstW(snapshot, entry); }
  static BOOL Next(HANDLE snapshot, MODULEENTRY32W* entry) { return Module32NextW(snapshot, entry); }
};
template <>
struct TToolhelpKind<THREADENTRY32> {
  static constexpr DWORD Flags = TH32CS_SNAPTHREAD;
  static BOOL First(HANDLE snapshot, THREADENTRY32* entry) { return Thread32First(snapshot, entry); }
  static BOOL Next(HANDLE snapshot, THREADENTRY32* entry) { return Thread32Next(snapshot, entry); }
};
template <>
struct TToolhelpKind<PROCESSENTRY32W> {
  static constexpr DWORD Flags = TH32CS_SNAPPROCESS;
  static BOOL First(HANDLE snapshot, PROCESSENTRY32W* entry) { return Process32FirstW(snapshot, entry); }
  static BOOL Next(HANDLE snapshot, PROCESSENTRY32W* entry) { return Process32NextW(snapshot, entry); }
};

// Calls visit(const Entry&) for each entry until it answers false. processId
// matters for modules only (0: this process); threads and processes are the
// whole system's. False when no snapshot could be taken.
template <typename Entry, typename Visit>
bool WalkToolhelpSnapshot(DWORD processId, Visit visit) {
  using Kind = TToolhelpKind<Entry>;
  TFileHandle snapshot(CreateToolhelp32Snapshot(Kind::Flags, processId));
  // A module list that changes while it is read fails with ERROR_BAD_LENGTH:
  // worth a few more tries.
  for (int retry = 0; !snapshot && GetLastError() == ERROR_BAD_LENGTH && retry < 8; ++retry)
    snapshot.Reset(CreateToolhelp32Snapshot(Kind::Flags, processId));
  if (!snapshot) return false;
  Entry entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Kind::First(snapshot.Get(), &entry); more; more = Kind::Next(snapshot.Get(), &entry))
    if (!visit(static_cast<const Entry&>(entry))) break;
  return true;
}
