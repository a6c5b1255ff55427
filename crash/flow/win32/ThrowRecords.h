#pragma once
// Where each C++ exception of this process was thrown: the linker routes
// every throw (ours and the runtime's own) through a wrapper that notes the
// throw's address and a prepared stack of the throwing thread, keyed by the
// thrown object. A report made later, after the throwing frames have been
// unwound into a catch block, takes the raising function and its callers
// from here. Any thread.
#include <cstdint>
#include <exception>
#include <memory>

#include "crash/stack/StackTypes.h"

class IStackMemory;

struct TThrowRecord {
  std::uintptr_t Address = 0;  // the return address of the throw's call
  std::shared_ptr<const TPreparedStack> Stack;  // null when none could be taken
};

// Where prepared stacks are read from; null (the default) records only the
// address. Set at start-up, cleared at shutdown.
void SetThrowStackMemory(IStackMemory* memory);

// The record of a thrown object still known; false when it was never seen
// or has been pushed out by later throws.
bool FindThrowRecord(const std::exception_ptr& exception, TThrowRecord& record);
// The thrown object an exception_ptr holds (null for none).
const void* ThrownObjectOf(const std::exception_ptr& exception);
