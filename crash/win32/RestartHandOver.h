#pragma once
// The record a process that restarts itself hands to its successor: the
// named block "OstrelRestart$<new process id>" (lower-case hex), 88 bytes:
// the old process's id, the block's handle as duplicated into the new
// process, and the old process's exception history. Any thread.
#include <windows.h>

#include <array>
#include <cstdint>

using TRestartHistory = std::array<std::uint64_t, 10>;

#pragma pack(push, 4)
struct TRestartRecord {
  DWORD OldProcessId;
  DWORD MappingInNewProcess;
  TRestartHistory History;
};
#pragma pack(pop)

// Written by the old process for its suspended successor; the block stays
// alive through the handle duplicated into the new process. False on failure.
bool WriteRestartRecord(HANDLE newProcess, DWORD newProcessId, DWORD oldProcessId, const TRestartHistory& history);

// At start-up: when a record for this process exists, closes the handle kept
// for it, waits until the old process has ended and hands back its history.
bool TakeOverRestartRecord(TRestartHistory& history);
