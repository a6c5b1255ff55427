#include "crash/stack/win32/StackTracer.h"

#include "crash/map/Disassembler.h"

TTraceStackResult TStackTracer::Trace(TTraceStackInput& input, const TStackTraceOptions& options) {
  input.HideUglyItems = options.HideUglyItems;
  input.ShowRelAddrs = options.ShowRelAddrs;
  input.ShowRelLines = options.ShowRelLines;
  input.WantStackTrace = options.WantStackTrace;
  input.Abort = options.Abort;
  input.Progress = options.Progress;
  const std::lock_guard<std::mutex> hold(FLock);
  return TraceStack(FEnvironment, FFunctions, input);
}

TTraceStackResult TStackTracer::TraceSample(const TThreadSample& sample, const TStackTraceOptions& options,
                                            TStackAddress creationAddress) {
  if (!sample.Accessible) {
    TTraceStackResult result;
    result.Text = ">> stack not accessible";
    return result;
  }
  TTraceStackInput input;
  input.StackTop = sample.StackTop;
  input.StackBottom = sample.StackBottom;
  input.FramePointer = sample.FramePointer;
  input.CurrentAddress = sample.InstructionPointer;
  input.Prepared = &sample.Prepared;
  input.HasCreationAddress = creationAddress != 0;
  input.CreationAddress = creationAddress;
  return Trace(input, options);
}

TTraceStackResult TStackTracer::TraceException(TStackAddress address, TStackAddress stackPointer,
                                                TStackAddress framePointer, const TStackTraceOptions& options) {
  TTraceStackInput input;
  input.FramePointer = framePointer;
  input.StackBottom = stackPointer;
  input.StackTop = FEnvironment.RegionAt(stackPointer).End;
  input.CurrentAddress = address;
  input.IsException = true;
  return Trace(input, options);
}

__attribute__((noinline)) TTraceStackResult TStackTracer::TraceCurrentThread(const TStackTraceOptions& options) {
  // The stack above this function's frame stays as it is while the trace
  // runs below it, so it is read in place.
  const auto frame = static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
  TTraceStackInput input;
  input.FramePointer = frame;
  input.StackBottom = frame + 8;
  input.StackTop = FEnvironment.RegionAt(frame).End;
  input.CurrentAddress = static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)));
  return Trace(input, options);
}

std::string TStackTracer::AddressText(TStackAddress address, const TAddressTextOptions& options) {
  const std::lock_guard<std::mutex> hold(FLock);
  return ::AddressText(FEnvironment, address, options);
}

std::string TStackTracer::Disassemble(TStackAddress functionStart, TStackAddress marked, bool formatted, int limit) {
  const std::lock_guard<std::mutex> hold(FLock);
  FEnvironment.TraceStarts();
  return DisassembleFunction(FEnvironment.DisassemblySources(functionStart), functionStart, marked, formatted, limit);
}

TStackAddress TStackTracer::CorrectExceptAddress(bool isAbort, TStackAddress address) {
  const std::lock_guard<std::mutex> hold(FLock);
  return ::CorrectExceptAddress(FEnvironment, FFunctions, isAbort, address);
}
