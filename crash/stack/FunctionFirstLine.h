#pragma once
// The first line of a function, as the base of a line's distance from it.
#include "crash/stack/StackEnvironment.h"

// The line at the function's start when that start lies in the same unit
// (source file) as `address`; 0 otherwise. A distance between lines of two
// different files means nothing, so it is never counted.
int FunctionFirstLine(IStackEnvironment& env, TStackAddress functionStart, TStackAddress address);
