#pragma once
// The full trace of one thread's stack: candidates from the raw stack (or a
// prepared list), linked by what the code of the functions involved says,
// reduced to the best chain, and written as the call-stack lines of a report.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "crash/stack/FunctionList.h"

struct TTraceStackInput {
  bool HideUglyItems = false;
  bool ShowRelAddrs = false;
  bool ShowRelLines = false;
  bool DoNotAddCurrent = false;
  TStackAddress StackTop = 0;     // highest address + 1 (the stack's base)
  TStackAddress StackBottom = 0;  // lowest address (the stack pointer)
  TStackAddress FramePointer = 0;
  TStackAddress CurrentAddress = 0;
  bool IsException = false;
  // The exception is the class for system exceptions or derived from it.
  bool IsSystemException = false;
  bool HasCreationAddress = false;
  TStackAddress CreationAddress = 0;
  const TPreparedStack* Prepared = nullptr;
  bool BcbTermination = false;
  const std::atomic<bool>* Abort = nullptr;
  std::function<void(int)> Progress;  // 0 to 1000
  bool WantStackTrace = false;
};

struct TTraceStackResult {
  std::string Text;  // lines joined by CR LF, innermost first
  std::uint32_t Checksum1 = 0;
  std::uint32_t Checksum2 = 0;
  bool HasLineInformation = false;
  std::vector<std::string> Fingerprints;  // "module|fingerprint", each once
  TStackAddress InnermostAddress = 0;
  // The function and address the disassembly section shows.
  TStackAddress DisasmFunctionStart = 0;
  TStackAddress DisasmAddress = 0;
  TStackTrace Trace;
};

// Never throws: a failing phase gives the internal-error text, an abort an
// empty text.
TTraceStackResult TraceStack(IStackEnvironment& env, TFunctionList& functions, const TTraceStackInput& input);
