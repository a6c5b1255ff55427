#include "crash/adapter/win32/SystemExceptions.h"

#include "crash/SystemExceptionText.h"
#include "platform/win32/ModuleFileName.h"

namespace {

std::string ModuleNameOf(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCSTR>(address), &module))
    return std::string();
  return ModuleFileNameOnly(module);
}

TSystemExceptionFacts FactsOf(const EXCEPTION_RECORD& record) {
  TSystemExceptionFacts facts;
  facts.Code = record.ExceptionCode;
  facts.Address = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(record.ExceptionAddress));
  facts.Module = ModuleNameOf(record.ExceptionAddress);
  if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
    facts.Write = record.ExceptionInformation[0] != 0;
    facts.AccessAddress = static_cast<std::uint32_t>(record.ExceptionInformation[1]);
  }
  return facts;
}

template <class E>
std::exception_ptr Make(const std::string& message) {
  return std::make_exception_ptr(E(message));
}

}  // namespace

std::exception_ptr SystemExceptionObject(const EXCEPTION_RECORD& record) noexcept {
  try {
    const std::string message = SystemExceptionText(FactsOf(record));
    switch (record.ExceptionCode) {
      case EXCEPTION_ACCESS_VIOLATION: return Make<EAccessViolation>(message);
      case EXCEPTION_STACK_OVERFLOW: return Make<EStackOverflow>(message);
      case EXCEPTION_INT_DIVIDE_BY_ZERO: return Make<EDivByZero>(message);
      case EXCEPTION_INT_OVERFLOW: return Make<EIntOverflow>(message);
      case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return Make<ERangeError>(message);
      case EXCEPTION_FLT_DENORMAL_OPERAND:
      case EXCEPTION_FLT_DIVIDE_BY_ZERO:
      case EXCEPTION_FLT_INEXACT_RESULT:
      case EXCEPTION_FLT_INVALID_OPERATION:
      case EXCEPTION_FLT_OVERFLOW:
      case EXCEPTION_FLT_STACK_CHECK:
      case EXCEPTION_FLT_UNDERFLOW: return Make<EMathError>(message);
      case EXCEPTION_PRIV_INSTRUCTION: return Make<EPrivilege>(message);
      case STATUS_CONTROL_C_EXIT: return Make<EControlC>(message);
      default: return Make<EExternalException>(message);
    }
  } catch (...) {
    return nullptr;
  }
}
