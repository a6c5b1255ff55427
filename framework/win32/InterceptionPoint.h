#pragma once
// Marks a last-resort exception routine. The crash reporter later patches the
// entry of each such routine (or a call inside it), so every one must stay a
// real function with one stable address: never inlined, cloned or merged,
// and never split into a hot body and a ".cold" part, so that every path
// runs through the patched entry or the redirected call.
// Threads: a compile-time marker; the marked routines state their own.
#if defined(__GNUC__)
#define RAVELIN_INTERCEPTION_POINT __attribute__((noinline, noclone, optimize("no-reorder-blocks-and-partition")))
#else
#define RAVELIN_INTERCEPTION_POINT
#endif
