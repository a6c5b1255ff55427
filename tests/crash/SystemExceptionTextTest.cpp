#include <gtest/gtest.h>

#include "crash/SystemExceptionText.h"

namespace {

TEST(SystemExceptionText, OneTextPerCode) {
  const struct {
    std::uint32_t code;
    const char* text;
  } table[] = {
      {0xC000008C, "Range check error"},
      {0xC000008D, "Floating point underflow"},  // denormal operand
      {0xC0000093, "Floating point underflow"},
      {0xC000008E, "Floating point division by zero"},
      {0xC000008F, "Invalid floating point operation"},  // inexact result
      {0xC0000090, "Invalid floating point operation"},  // invalid operation
      {0xC0000092, "Invalid floating point operation"},  // stack check
      {0xC0000091, "Floating point overflow"},
      {0xC0000094, "Division by zero"},
      {0xC0000095, "Integer overflow"},
      {0xC0000096, "Privileged instruction"},
      {0xC00000FD, "Stack overflow"},
      {0xC000013A, "Control-C hit"},
      {0xE06D7363, "External exception E06D7363"},
      {0x0EEDFADE, "External exception EEDFADE"},
  };
  for (const auto& row : table) {
    TSystemExceptionFacts facts;
    facts.Code = row.code;
    EXPECT_EQ(SystemExceptionText(facts), row.text) << std::hex << row.code;
  }
}

TEST(SystemExceptionText, AnAccessViolationNamesItsModuleAndTheAccess) {
  TSystemExceptionFacts facts;
  facts.Code = 0xC0000005;
  facts.Address = 0x0040a1b2;
  facts.Module = "Ravelin.exe";
  facts.AccessAddress = 0;
  EXPECT_EQ(SystemExceptionText(facts),
            "Access violation at address $40a1b2 in module 'Ravelin.exe'. Read of address $0");
  facts.Module.clear();
  facts.Write = true;
  facts.AccessAddress = 0xdeadbeef;
  EXPECT_EQ(SystemExceptionText(facts), "Access violation at address $40a1b2. Write of address $deadbeef");
}

}  // namespace
