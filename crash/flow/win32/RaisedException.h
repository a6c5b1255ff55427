#pragma once
// What a reporting thread knows of its exception, kept on its own stack while
// the handling thread reads it: the exception object when there is one, else
// the system's record of a fault (the object for it is made by the handling
// thread), and whether the throw's frames are still on the stack.
#include <windows.h>

#include <exception>

struct TRaisedException {
  std::exception_ptr Object;
  const EXCEPTION_RECORD* System = nullptr;
  // The throw has not reached a catch block: the stack from its frame up is
  // intact and can be read by the handling thread.
  bool ThrowFramesIntact = false;
};
