#pragma once
// A recursion that repeats the same block of frames is shown once: the inner
// repetitions of a block are dropped, so A, B, A, B, A (outside in) reads A, B, A.
#include "crash/stack/StackItems.h"

// Repeats until nothing changes. With `dropLinks` the dropped items also lose
// every link, so that later phases cannot route a chain through them.
void RemoveRepeatedRecursion(TTraceState& state, bool dropLinks);
