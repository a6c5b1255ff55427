#pragma once
// Byte-level facts about 32-bit x86 code that patching a routine's entry
// needs: the relative jump written there, the import stubs to look through,
// and how many whole leading instructions can be moved elsewhere unchanged.
// Pure functions over bytes; the patching itself is platform code.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

constexpr size_t kRelativeJumpSize = 5;

// E9 and the 32-bit displacement from the end of the instruction at `from` to `to`.
std::array<uint8_t, kRelativeJumpSize> EncodeRelativeJump(uint32_t from, uint32_t to);

// The address of the pointer cell an import stub jumps through, when the
// code is one: "FF 25 cell", also behind the no-op frame some system
// libraries put in front of it ("8B FF 55 8B EC 5D FF 25 cell").
std::optional<uint32_t> ImportStubCell(const uint8_t* code, size_t available);

// Length of the shortest run of whole instructions at the start of code that
// covers at least `needed` bytes and runs the same from any address (no
// relative branch, no end of the routine inside it); 0 when there is none
// this decoder is sure of.
size_t RelocatablePrefixLength(const uint8_t* code, size_t available, size_t needed);
