#pragma once
// Where each C++ exception of this process was thrown: the linker routes
// every throw (ours and the runtime's own) through a wrapper that notes, in a
// fixed ring without locks or allocation, the thrown object, the throw's
// address and its frame pointer. A report made later, after the throwing
// frames have been unwound into a catch block, takes the raising address
// from here; the throwing thread's stack is read by the handling thread, and
// only while the throw is still in flight (its frames are then intact).
// Any thread.
#include <cstdint>
#include <exception>

struct TThrowRecord {
  std::uintptr_t Address = 0;       // the return address of the throw's call
  std::uintptr_t FramePointer = 0;  // the frame of the throw
};

// Notes a throw; never blocks, never allocates.
void RecordThrow(const void* object, std::uintptr_t address, std::uintptr_t framePointer) noexcept;

// The record of a thrown object still known; false when it was never seen
// or has been pushed out by later throws.
bool FindThrowRecord(const void* object, TThrowRecord& record) noexcept;
// The thrown object an exception_ptr holds (null for none).
const void* ThrownObjectOf(const std::exception_ptr& exception) noexcept;
// The object whose throw the calling thread is still inside of (no catch
// block reached yet, as in the terminate handler), or null.
const void* ThrowInFlight() noexcept;
