#include "crash/adapter/win32/FrameworkThreads.h"

#include "framework/win32/LastResortRoutines.h"
#include "framework/win32/Thread.h"

namespace {

std::string ThreadObjectClassName(void* parameter) { return static_cast<TThread*>(parameter)->ClassName(); }

}  // namespace

TFrameworkThreadStart FrameworkThreadStart() {
  // A cast through the catch-all function type: the two signatures agree
  // in their calling convention and their 32-bit result.
  return {reinterpret_cast<void*>(reinterpret_cast<void (*)()>(&ThreadStartEntry)), &ThreadObjectClassName};
}
