#pragma once
// The two cheap tests of a raw stack scan: whether a value can be a return
// address, and which slots the frame-pointer chain vouches for.
#include <vector>

#include "crash/stack/StackEnvironment.h"

// True when a call instruction ends exactly at `value`: a relative near call,
// a call through a register or memory operand, or a far call with an
// immediate pointer. The bytes before it are read guarded.
bool IsCallReturnAddress(IStackMemory& env, TStackAddress value);

// The return-address slots of the frame-pointer chain that starts at
// `framePointer`, inside (bottom, top), ascending.
std::vector<TStackAddress> FramePointerSlots(IStackMemory& env, TStackAddress framePointer,
                                             TStackAddress bottom, TStackAddress top);
