#pragma once
// The raw scan of a paused thread's stack: every slot that may hold a return
// address, kept cheaply for the full trace that runs later.
#include "crash/stack/StackEnvironment.h"

// Scans [bottom, top) from the top down. For an exception the scan stops at
// the slot that holds the exception address. Empty when the range cannot be
// read.
TPreparedStack PrepareStack(IStackMemory& env, TStackAddress framePointer, TStackAddress top,
                            TStackAddress bottom, bool isException, TStackAddress currentAddress);
