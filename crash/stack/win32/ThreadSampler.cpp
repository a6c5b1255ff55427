#include "crash/stack/win32/ThreadSampler.h"

#include "crash/stack/StackCopy.h"
#include "platform/ScopeGuard.h"
#include "platform/win32/ToolhelpSnapshot.h"

namespace {

constexpr std::size_t kDefaultCopy = 1u << 20;

// The largest stack the threads of this image get without asking.
std::size_t ImageStackReserve() {
  const auto* base = reinterpret_cast<const std::uint8_t*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const std::size_t reserve = nt->OptionalHeader.SizeOfStackReserve;
  return reserve > kDefaultCopy ? reserve : kDefaultCopy;
}

TStackAddress ToAddress(const void* p) { return static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(p)); }

}  // namespace

TThreadSampler::TThreadSampler(IStackMemory& memory) : FMemory(memory), FCopy(ImageStackReserve()) {}

TThreadSample TThreadSampler::Sample(DWORD threadId) {
  if (threadId == GetCurrentThreadId()) return SampleSelf();
  TThreadSample sample;
  sample.ThreadId = threadId;
  sample.Handle.Reset(OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE,
                                 threadId));
  if (!sample.Handle) return sample;
  const int priority = GetThreadPriority(sample.Handle.Get());
  sample.Priority = priority == THREAD_PRIORITY_ERROR_RETURN ? 0 : priority;
  const DWORD previous = SuspendThread(sample.Handle.Get());
  if (previous == static_cast<DWORD>(-1)) return sample;
  sample.Suspended = previous > 0;
  bool copied = false;
  {
    const auto resume = OnScopeExit([&] { ResumeThread(sample.Handle.Get()); });
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
    if (!GetThreadContext(sample.Handle.Get(), &context)) return sample;
    sample.Accessible = true;
    sample.StackPointer = sample.StackBottom = context.Esp;
    sample.FramePointer = context.Ebp;
    sample.InstructionPointer = context.Eip;
    copied = CopyStack(sample);
  }
  if (!copied) return sample;
  // The scan reads the copy taken while paused; code is read live.
  TStackCopy stack(FMemory, sample.StackBottom, FCopy.data(), sample.StackTop - sample.StackBottom);
  sample.Prepared =
      PrepareStack(stack, sample.FramePointer, sample.StackTop, sample.StackBottom, false, sample.InstructionPointer);
  return sample;
}

bool TThreadSampler::CopyStack(TThreadSample& sample) {
  const TMemoryRegion region = FMemory.RegionAt(sample.StackPointer);
  if (!region.Committed) return false;
  sample.StackTop = region.End;
  // A stack deeper than the copy keeps its innermost part.
  if (sample.StackTop - sample.StackBottom > FCopy.size())
    sample.StackTop = sample.StackBottom + static_cast<TStackAddress>(FCopy.size());
  return FMemory.Read(sample.StackBottom, FCopy.data(), sample.StackTop - sample.StackBottom);
}

__attribute__((noinline)) TThreadSample TThreadSampler::SampleSelf() {
  TThreadSample sample;
  sample.ThreadId = GetCurrentThreadId();
  HANDLE duplicate = nullptr;
  if (DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &duplicate, 0, FALSE,
                      DUPLICATE_SAME_ACCESS))
    sample.Handle.Reset(duplicate);
  const int priority = GetThreadPriority(GetCurrentThread());
  sample.Priority = priority == THREAD_PRIORITY_ERROR_RETURN ? 0 : priority;
  // The stack is read from just above this function's own frame; the
  // caller's return address is the current address.
  sample.Accessible = true;
  sample.FramePointer = ToAddress(__builtin_frame_address(0));
  sample.StackPointer = sample.StackBottom = sample.FramePointer + 8;
  sample.InstructionPointer = ToAddress(__builtin_return_address(0));
  const TMemoryRegion region = FMemory.RegionAt(sample.StackPointer);
  sample.StackTop = region.End;
  sample.Prepared = PrepareStack(FMemory, sample.FramePointer, sample.StackTop, sample.StackBottom, false,
                                 sample.InstructionPointer);
  return sample;
}

std::vector<DWORD> ThreadsOfThisProcess() {
  std::vector<DWORD> threads;
  const DWORD process = GetCurrentProcessId();
  WalkToolhelpSnapshot<THREADENTRY32>(0, [&](const THREADENTRY32& entry) {
    if (entry.th32OwnerProcessID == process) threads.push_back(entry.th32ThreadID);
    return true;
  });
  return threads;
}
