#pragma once
// The process-wide tracer: one function list and one environment for every
// trace of the process, used by one trace at a time. Any thread may call it;
// calls wait for each other.
#include <mutex>

#include "crash/stack/AddressText.h"
#include "crash/stack/TraceStack.h"
#include "crash/stack/win32/ThreadSampler.h"

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
  explicit TStackTracer(IStackEnvironment& environment) : FEnvironment(environment) {}

  // The full trace of a sampled thread, from its prepared list.
  TTraceStackResult TraceSample(const TThreadSample& sample, const TStackTraceOptions& options);
  // Samples and traces the calling thread up to its caller.
  TTraceStackResult TraceCurrentThread(const TStackTraceOptions& options);
  std::string AddressText(TStackAddress address, const TAddressTextOptions& options);
  TStackAddress CorrectExceptAddress(bool isAbort, TStackAddress address);

  IStackEnvironment& Environment() { return FEnvironment; }

 private:
  TTraceStackResult Trace(TTraceStackInput& input, const TStackTraceOptions& options);

  IStackEnvironment& FEnvironment;
  TFunctionList FFunctions;
  std::mutex FLock;
};
