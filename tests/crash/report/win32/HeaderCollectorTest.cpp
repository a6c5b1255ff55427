// The header's facts collected from the running system, checked against the
// system's own answers, and the header they give.
#include <gtest/gtest.h>
#include <windows.h>

#include "crash/MEFields.h"
#include "crash/report/HeaderBuilder.h"
#include "crash/report/ReportText.h"
#include "crash/report/win32/HeaderCollector.h"

namespace {

THeaderCollectorInput ExceptionInput() {
  THeaderCollectorInput input;
  input.StartCounter = ReporterStartCounter();
  input.ExceptionClass = "EAccessViolation";
  input.ExceptionMessage = "Access violation at address $00401000. Read of address $00000000";
  return input;
}

TEST(HeaderCollector, MachineAndProgramFactsAreTheSystemsOwn) {
  const THeaderSnapshot s = CollectHeaderSnapshot(ExceptionInput());
  char computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  EXPECT_EQ(s.ComputerName, computer);
  EXPECT_FALSE(s.UserName.empty());
  ASSERT_TRUE(s.Os);
  EXPECT_EQ(s.Os->Platform, TOsPlatform::WindowsNT);
  EXPECT_GE(s.Os->Major, 5u);
  EXPECT_FALSE(s.SystemLanguage.empty());
  ASSERT_TRUE(s.PhysicalMemory);
  // As the system says; under WoW64 this Wine reports more free than total.
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
  EXPECT_EQ(s.PhysicalMemory->TotalBytes, memory.ullTotalPhys);
  EXPECT_GT(s.PhysicalMemory->FreeBytes, 0u);
  ASSERT_TRUE(s.DisplayMode);
  EXPECT_EQ(s.DisplayMode->Width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(s.DisplayMode->Height, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_GE(s.ProcessorCount, 1);
  ASSERT_TRUE(s.ProcessId);
  EXPECT_EQ(*s.ProcessId, GetCurrentProcessId());
  ASSERT_TRUE(s.AllocatedMemory);
  EXPECT_GT(*s.AllocatedMemory, 0u);
  EXPECT_EQ(s.Executable, "crash_report_win32_tests.exe");
  EXPECT_TRUE(s.CurrentModule.empty());  // the reporter lives in the executable
  ASSERT_TRUE(s.ModuleTime);
  EXPECT_GE(s.ModuleTime->Year, 2020);
  ASSERT_TRUE(s.ProgramUpTimeMs);
  EXPECT_LT(*s.ProgramUpTimeMs, 60000u);
  EXPECT_TRUE(s.WindowsDrive.FreeBytes.has_value());
  EXPECT_EQ(s.ExceptionClass, "EAccessViolation");
}

TEST(HeaderCollector, GivesAHeaderWithTheFieldsInOrder) {
  TIMEFields header;
  TExceptionCounter counter;
  BuildHeader(header, CollectHeaderSnapshot(ExceptionInput()), counter);
  std::vector<std::string> names;
  for (int i = 0; i < header.Count(); ++i) names.push_back(header.Name(i));
  const std::vector<std::string> inOrder = {"date/time",  "computer name", "user name",        "operating system",
                                            "process id", "executable",    "exec. date/time",  "compiled with",
                                            "callstack crc", "exception number", "exception class"};
  std::size_t at = 0;
  for (const std::string& name : names)
    if (at < inOrder.size() && name == inOrder[at]) ++at;
  EXPECT_EQ(at, inOrder.size()) << "missing or out of order: " << inOrder[at < inOrder.size() ? at : 0];
  char pid[16];
  std::snprintf(pid, sizeof pid, "$%lx", static_cast<unsigned long>(GetCurrentProcessId()));
  EXPECT_EQ(header.Get("process id"), pid);
  EXPECT_EQ(header.Get("exception number"), "1");
  EXPECT_NE(header.Get("operating system").find(" build "), std::string::npos);
}

}  // namespace
