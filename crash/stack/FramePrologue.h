#pragma once
// Recognises, from the first bytes of a function, whether it sets up a frame
// pointer: the frame chain then runs through it, and the slot above its frame
// holds the return address of the call that entered it.
#include <cstdint>

constexpr std::uint32_t kFramePrologueBytes = 20;

// `code` holds kFramePrologueBytes bytes from the function's entry (zeros
// past what could be read).
bool SetsUpFrame(const std::uint8_t* code);
