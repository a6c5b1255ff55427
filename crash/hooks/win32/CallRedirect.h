#pragma once
// Redirection of one relative call (E8) inside a routine: the call is found
// by decoding the routine from its start up to its first return, and only
// its 32-bit displacement is rewritten, so every other call of the same
// callee still reaches it. Apply and undo from one thread, before or after
// other threads run the routine.
#include <memory>

#include "platform/win32/CodePatch.h"

class TCallRedirect {
 public:
  // callee may be reached directly, through import stubs or through jumps.
  TCallRedirect(void* routine, void* callee, void* replacement);
  TCallRedirect(const TCallRedirect&) = delete;
  TCallRedirect& operator=(const TCallRedirect&) = delete;
  ~TCallRedirect() = default;  // the record undoes itself

  bool Found() const { return FPatch != nullptr; }
  // False when no such call was found or its code cannot be made writable.
  bool Apply();
  bool Undo();
  bool Applied() const { return FPatch != nullptr && FPatch->Applied(); }
  // The call instruction; null when none was found.
  void* CallSite() const { return FCallSite; }
  // Where the call went before: the replacement calls the callee through it.
  void* Original() const { return FOriginal; }

 private:
  void* FCallSite = nullptr;
  void* FOriginal = nullptr;
  std::unique_ptr<TCodePatch> FPatch;
};

// The first relative call between the routine's start and its first return
// whose target leads to callee; null when there is none.
void* FindRelativeCall(void* routine, void* callee);

// Where a routine really starts: import stubs and leading jumps followed.
void* FollowEntryJumps(void* routine);
