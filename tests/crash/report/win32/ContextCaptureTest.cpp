// The registers and the stack dump of a real context of this thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "crash/report/win32/ContextCapture.h"

namespace {

TEST(ContextCapture, RegistersAndTheStackFromTheStackPointer) {
  CONTEXT context{};
  context.ContextFlags = CONTEXT_FULL;
  RtlCaptureContext(&context);
  const std::string registers = CpuRegistersSectionOf(context);
  char esp[32];
  std::snprintf(esp, sizeof esp, "esp = %08lx", static_cast<unsigned long>(context.Esp));
  EXPECT_NE(registers.find(esp), std::string::npos) << registers;
  EXPECT_EQ(registers.find("eax = "), 0u);

  const std::string dump = StackDumpSectionOf(context);
  char first[16];
  std::snprintf(first, sizeof first, "%08lx  ", static_cast<unsigned long>(context.Esp));
  EXPECT_EQ(dump.rfind(first, 0), 0u) << dump;
  // A thread's stack runs far beyond 320 bytes above its pointer: 20 full lines.
  EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 19);
}

TEST(ContextCapture, AStackPointerInNoMemoryGivesNoDump) {
  CONTEXT context{};
  context.Esp = 0x10;  // the first page is never mapped
  EXPECT_EQ(StackDumpSectionOf(context), "");
}

}  // namespace
