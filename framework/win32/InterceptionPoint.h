#pragma once
// Marks a last-resort exception routine. The crash reporter later patches the
// entry of each such routine (or a call inside it), so every one must stay a
// real function with one stable address: never inlined, cloned or merged.
#if defined(__GNUC__)
#define RAVELIN_INTERCEPTION_POINT __attribute__((noinline, noclone))
#else
#define RAVELIN_INTERCEPTION_POINT
#endif
