#pragma once
// The process-wide tracer: one function list and one environment for every
// trace of the process, used by one trace at a time. Any thread may call it;
// calls wait for each other.
#include <mutex>

#include "crash/stack/AddressText.h"
#include "crash/stack/TraceStack.h"
#include "crash/stack/win32/ThreadSampler.h"
#include "crash/stack/win32/Win32StackEnvironment.h"

struct TStackTraceOptions {
  bool HideUglyItems = false;
  bool ShowRelAddrs = false;
  bool ShowRelLines = false;
  bool WantStackTrace = false;
  const std::atomic<bool>* Abort = nullptr;
  std::function<void(int)> Progress;
};

class TStackTracer {
 public:
  explicit TStackTracer(TWin32StackEnvironment& environment) : FEnvironment(environment) {}

  // The full trace of a sampled thread, from its prepared list; with a
  // creation address (not 0) that address is the outermost line.
  TTraceStackResult TraceSample(const TThreadSample& sample, const TStackTraceOptions& options,
                                TStackAddress creationAddress = 0);
  // Traces the calling thread from the context of an exception it is handling
  // (an exception filter or handler): the faulting frames above the handler
  // are still in place on its stack.
  TTraceStackResult TraceException(TStackAddress address, TStackAddress stackPointer, TStackAddress framePointer,
                                   const TStackTraceOptions& options);
  // Samples and traces the calling thread up to its caller.
  TTraceStackResult TraceCurrentThread(const TStackTraceOptions& options);
  std::string AddressText(TStackAddress address, const TAddressTextOptions& options);
  // The listing of the function starting at `functionStart` with the marked
  // instruction (a trace's DisasmFunctionStart and DisasmAddress); empty when
  // it cannot be analysed.
  std::string Disassemble(TStackAddress functionStart, TStackAddress marked, bool formatted, int limit);
  TStackAddress CorrectExceptAddress(bool isAbort, TStackAddress address);

  TWin32StackEnvironment& Environment() { return FEnvironment; }

 private:
  TTraceStackResult Trace(TTraceStackInput& input, const TStackTraceOptions& options);

  TWin32StackEnvironment& FEnvironment;
  TFunctionList FFunctions;
  std::mutex FLock;
};
