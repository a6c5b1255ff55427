#include "crash/SystemExceptionText.h"

#include <cstdio>

namespace {

std::string Pointer(std::uint32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "$%x", static_cast<unsigned>(address));
  return text;
}

std::string AccessViolation(const TSystemExceptionFacts& f) {
  const std::string access = std::string(f.Write ? "Write" : "Read") + " of address " + Pointer(f.AccessAddress);
  if (f.Module.empty()) return "Access violation at address " + Pointer(f.Address) + ". " + access;
  return "Access violation at address " + Pointer(f.Address) + " in module '" + f.Module + "'. " + access;
}

}  // namespace

std::string SystemExceptionText(const TSystemExceptionFacts& facts) {
  switch (facts.Code) {
    case 0xC0000005u: return AccessViolation(facts);
    case 0xC000008Cu: return "Range check error";
    case 0xC000008Du:
    case 0xC0000093u: return "Floating point underflow";
    case 0xC000008Eu: return "Floating point division by zero";
    case 0xC000008Fu:
    case 0xC0000090u:
    case 0xC0000092u: return "Invalid floating point operation";
    case 0xC0000091u: return "Floating point overflow";
    case 0xC0000094u: return "Division by zero";
    case 0xC0000095u: return "Integer overflow";
    case 0xC0000096u: return "Privileged instruction";
    case 0xC00000FDu: return "Stack overflow";
    case 0xC000013Au: return "Control-C hit";
    default: {
      char text[40];
      std::snprintf(text, sizeof text, "External exception %X", static_cast<unsigned>(facts.Code));
      return text;
    }
  }
}
