// A restart's hand-over between real processes: the successor waits for the
// old process to end, then has its exception history.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "crash/win32/RestartHandOver.h"
#include "platform/win32/HandleOwners.h"

namespace {

std::wstring Beside(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring directory(path);
  return directory.substr(0, directory.find_last_of(L'\\') + 1) + name;
}

PROCESS_INFORMATION StartSuspended(const std::wstring& program) {
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                 &startup, &process);
  return process;
}

TEST(RestartHandOver, TheSuccessorWaitsForTheOldProcessThenHasItsHistory) {
  const std::wstring child = Beside(L"restart_child.exe");
  // Stands for the old process: it never runs and ends when told.
  PROCESS_INFORMATION old = StartSuspended(child);
  ASSERT_NE(old.hProcess, nullptr);
  TKernelHandle oldProcess(old.hProcess), oldThread(old.hThread);
  PROCESS_INFORMATION successor = StartSuspended(child);
  ASSERT_NE(successor.hProcess, nullptr);
  TKernelHandle process(successor.hProcess), thread(successor.hThread);

  const TRestartHistory history = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  ASSERT_TRUE(WriteRestartRecord(process.Get(), successor.dwProcessId, old.dwProcessId, history));
  ResumeThread(thread.Get());
  EXPECT_EQ(WaitForSingleObject(process.Get(), 1500), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the successor must wait while the old process lives";
  TerminateProcess(oldProcess.Get(), 0);
  ASSERT_EQ(WaitForSingleObject(process.Get(), 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(process.Get(), &code);
  EXPECT_EQ(code, 55u);
}

TEST(RestartHandOver, AProcessThatWasNotRestartedFindsNoRecord) {
  TRestartHistory history{};
  history[0] = 42;
  EXPECT_FALSE(TakeOverRestartRecord(history));
  EXPECT_EQ(history[0], 42u);
}

}  // namespace
