#pragma once
// Where each C++ exception of this process was thrown: the linker routes
// every throw (ours and the runtime's own) through a wrapper that notes, in a
// fixed ring without locks or allocation, the thrown object, the throw's
// address, its frame pointer and the return addresses of the frame-pointer
// chain above it (a bounded walk inside the thread's own stack). A report
// made later, after the throwing frames have been unwound into a catch
// block, takes the raising address and the chain from here, since the
// memory of those frames is by then overwritten by the catch block's calls;
// while the throw is still in flight the handling thread reads the
// throwing thread's stack whole instead.
// Any thread.
#include <cstdint>
#include <exception>

// Frames noted per throw: deeper stacks keep their innermost frames.
constexpr unsigned kThrowChainDepth = 64;

struct TThrowRecord {
  std::uintptr_t Address = 0;       // the return address of the throw's call
  std::uintptr_t FramePointer = 0;  // the frame of the throw
  // The return addresses of the frames above the throwing routine, innermost
  // first; empty when the frame pointer lies outside the calling thread's stack.
  std::uint32_t Chain[kThrowChainDepth] = {};
  unsigned ChainLength = 0;
};

// Notes a throw made on the calling thread, with the frame chain above
// `framePointer` (the frame whose return address is `address`); never
// blocks, never allocates.
void RecordThrow(const void* object, std::uintptr_t address, std::uintptr_t framePointer) noexcept;

// The record of a thrown object still known; false when it was never seen
// or has been pushed out by later throws.
bool FindThrowRecord(const void* object, TThrowRecord& record) noexcept;
// The thrown object an exception_ptr holds (null for none).
const void* ThrownObjectOf(const std::exception_ptr& exception) noexcept;
// The object whose throw the calling thread is still inside of (no catch
// block reached yet, as in the terminate handler), or null.
const void* ThrowInFlight() noexcept;
