#pragma once
// Patching code of the running process. A patch record keeps the address,
// the bytes found there and the bytes written; it is applied only when the
// new bytes differ from what is there, and undone only while the memory still
// holds the bytes it wrote, so patches of several owners never clobber one
// another. An entry jump replaces a routine's first instruction with a jump to
// a replacement; it looks through import stubs to the routine itself (which
// may lie in another system module) and can keep the original callable.
//
// Apply and undo from one thread, before or after other threads use the
// routine: the five bytes are not written atomically.
#include <cstdint>
#include <vector>

class TCodePatch {
 public:
  TCodePatch(void* address, std::vector<uint8_t> bytes);
  TCodePatch(const TCodePatch&) = delete;
  TCodePatch& operator=(const TCodePatch&) = delete;
  // Undoes the patch if it is still in place.
  ~TCodePatch();

  // Writes the bytes unless they are there already. True when the memory
  // holds them afterwards; false when it cannot be read or made writable.
  bool Apply();
  // Puts the found bytes back, only while the memory holds ours. True when
  // nothing of ours is left in place.
  bool Undo();

  void* Address() const { return FAddress; }
  const std::vector<uint8_t>& Found() const { return FFound; }
  const std::vector<uint8_t>& Written() const { return FBytes; }
  // This record wrote the bytes and has not put the old ones back.
  bool Applied() const { return FApplied; }

 private:
  void* FAddress;
  std::vector<uint8_t> FBytes;
  std::vector<uint8_t> FFound;
  bool FApplied = false;
};

// Reads code safely: false when any of it is not readable.
bool ReadCode(const void* address, void* buffer, size_t count);
// Writes code through a temporarily writable page and flushes the CPU's view of it.
bool WriteCode(void* address, const void* bytes, size_t count);

// The routine an import stub leads to, following stubs that lead to stubs;
// the routine itself when it is not a stub.
void* ResolveRoutineEntry(void* routine);

class TEntryJumpPatch {
 public:
  // keepOriginal: also build a way to call the routine as it was; the patch
  // then refuses routines whose first instructions cannot be moved.
  TEntryJumpPatch(void* routine, void* replacement, bool keepOriginal);
  TEntryJumpPatch(const TEntryJumpPatch&) = delete;
  TEntryJumpPatch& operator=(const TEntryJumpPatch&) = delete;
  ~TEntryJumpPatch();

  bool Apply();
  bool Undo();
  bool Applied() const { return FPatch.Applied(); }
  // Where the jump is written: the routine behind any import stub.
  void* Target() const { return FTarget; }
  // Calls the routine as it was before the patch; null without keepOriginal
  // or when that could not be built.
  void* Original() const { return FTrampoline; }
  const TCodePatch& Record() const { return FPatch; }

 private:
  void* BuildTrampoline();

  void* FTarget;
  void* FTrampoline = nullptr;
  bool FKeepOriginal;
  TCodePatch FPatch;
};
