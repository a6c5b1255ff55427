#include "crash/flow/win32/ProcessActions.h"

#include <windows.h>

#include <cstring>

#include "crash/IMESettings.h"
#include "crash/report/ReportFile.h"
#include "crash/report/win32/Win32ReportFile.h"
#include "crash/win32/RestartHandOver.h"
#include "platform/ScopeGuard.h"
#include "platform/win32/HandleOwners.h"
#include "platform/win32/ModuleFileName.h"

namespace {

std::string ExecutableDirectory() {
  const std::string full = ModuleFileName(nullptr);
  const std::size_t slash = full.find_last_of('\\');
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

void StartSuccessor(const std::array<std::uint64_t, 10>& history) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // CreateProcessW may write into the command line it is given.
  std::wstring commandLine = GetCommandLineW();
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                      &startup, &process))
    return;
  const TKernelHandle successor(process.hProcess);
  const TKernelHandle successorThread(process.hThread);
  // Without the record the successor starts with no history, but it starts,
  // however the hand-over ends.
  const auto resume = OnScopeExit([&successorThread] { ResumeThread(successorThread.Get()); });
  TRestartHistory handedOver;
  std::copy(history.begin(), history.end(), handedOver.begin());
  WriteRestartRecord(successor.Get(), process.dwProcessId, GetCurrentProcessId(), handedOver);
}

}  // namespace

void CloseProcess() {
  TerminateProcess(GetCurrentProcess(), 1);
  for (;;) Sleep(INFINITE);
}

void RestartProcess(const std::array<std::uint64_t, 10>& history) {
  try {
    StartSuccessor(history);
  } catch (...) {
  }
  TerminateProcess(GetCurrentProcess(), 2);
  for (;;) Sleep(INFINITE);
}

bool CopyTextToClipboard(const std::string& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (memory == nullptr) return false;
  if (void* data = GlobalLock(memory)) {
    std::memcpy(data, text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
  }
  bool placed = false;
  for (int attempt = 0; attempt < 10 && !placed; ++attempt) {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      placed = SetClipboardData(CF_TEXT, memory) != nullptr;
      CloseClipboard();
    } else {
      Sleep(20);  // another program holds it for a moment
    }
  }
  if (!placed) GlobalFree(memory);
  return placed;
}

bool SaveReportSilently(IMESettings& settings, const std::string& report) {
  try {
    const std::string path = SilentReportFileName(settings.BugRepFile(), ExecutableDirectory());
    return WriteReportToWin32Path(path, report, ReportFileOptionsOf(settings));
  } catch (...) {
    return false;
  }
}
