#pragma once
// The message of an exception object made for a system exception that the
// framework gives no object of its own: one text per exception code. Any
// thread; platform-neutral (the codes are the system's values).
#include <cstdint>
#include <string>

struct TSystemExceptionFacts {
  std::uint32_t Code = 0;
  std::uint32_t Address = 0;  // where it happened
  std::string Module;         // the module holding Address, empty when none
  // Access violations: whether it was a write, and the address accessed.
  bool Write = false;
  std::uint32_t AccessAddress = 0;
};

std::string SystemExceptionText(const TSystemExceptionFacts& facts);
