#pragma once
// A fixed arena for the instruction decoder's own allocations, so that
// decoding at crash time never calls into a heap that may be broken.
// Callers serialise access (the decoder holds its lock around every use).
#include <cstddef>

namespace decoder_arena {
void* Allocate(std::size_t size);
void* AllocateZeroed(std::size_t count, std::size_t size);
void* Reallocate(void* block, std::size_t size);
void Free(void* block);
// Bytes in use, for tests.
std::size_t BytesInUse();
}  // namespace decoder_arena
