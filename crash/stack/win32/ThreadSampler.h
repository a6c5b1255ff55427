#pragma once
// Samples a thread of this process for a report: opens it, pauses it (unless
// it is the calling thread), reads its registers, finds its stack and keeps a
// prepared list of the stack's candidates. Any thread may sample any thread;
// the pause is as short as one copy of the stack.
#include <windows.h>

#include <vector>

#include "crash/stack/PrepareStack.h"
#include "platform/win32/HandleOwners.h"

struct TThreadSample {
  DWORD ThreadId = 0;
  bool Accessible = false;  // false: the context could not be read
  TKernelHandle Handle;     // open for the report's later steps
  TStackAddress StackPointer = 0;
  TStackAddress FramePointer = 0;
  TStackAddress InstructionPointer = 0;
  TStackAddress StackTop = 0;     // end of the memory region holding the stack pointer
  TStackAddress StackBottom = 0;  // the stack pointer
  int Priority = 0;
  bool Suspended = false;  // it was suspended before the sample
  TPreparedStack Prepared;
};

class TThreadSampler {
 public:
  explicit TThreadSampler(IStackMemory& memory);
  TThreadSample Sample(DWORD threadId);

 private:
  TThreadSample SampleSelf();
  bool CopyStack(TThreadSample& sample);

  IStackMemory& FMemory;
  // Filled while the thread is paused: no heap use while it may hold the heap's lock.
  std::vector<std::uint8_t> FCopy;
};

// The threads of this process, the calling one included.
std::vector<DWORD> ThreadsOfThisProcess();
