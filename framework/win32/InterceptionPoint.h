#pragma once
// Marks a last-resort exception routine. The crash reporter later patches the
// entry of each such routine (or a call inside it), so every one must stay a
// real function with one stable address: never inlined, cloned or merged,
// and never split into a hot body and a ".cold" part, so that every path
// runs through the patched entry or the redirected call. The attributes keep
// callers elsewhere from inlining or cloning it; the file holding it is
// compiled with RAVELIN_WHOLE_ROUTINE_FLAGS (framework/win32/CMakeLists.txt),
// which also forbids splitting and merging, and a check after the link finds
// each routine whole in the image.
// Threads: a compile-time marker; the marked routines state their own.
#if defined(__GNUC__)
#define RAVELIN_INTERCEPTION_POINT __attribute__((noinline, noclone))
#else
#define RAVELIN_INTERCEPTION_POINT
#endif
