#pragma once
// Redirection of one imported function: every import-table slot that holds
// the function's address, or that of an import stub leading to it (a
// system module may export a stub that jumps on to another module), gets
// the replacement's, in every loaded module or
// in one given module. Each slot is its own patch record, so a slot another
// owner has rewritten since is left to that owner. Modules loaded later are
// not looked at. Apply and undo from one thread; the redirected calls may
// run on any thread meanwhile (a slot is one aligned pointer write).
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/win32/CodePatch.h"

class TImportRedirect {
 public:
  // routine: the imported function, or an import stub leading to it, whose
  // own pointer cell is then replaced too (unless the stub lies in another
  // module than onlyIn). onlyIn: null for every module.
  TImportRedirect(void* routine, void* replacement, HMODULE onlyIn = nullptr);
  TImportRedirect(const TImportRedirect&) = delete;
  TImportRedirect& operator=(const TImportRedirect&) = delete;
  // Undoes what is still ours.
  ~TImportRedirect();

  // Looks for the slots again and redirects each one not yet ours; a slot
  // that cannot be made writable is skipped. Returns how many slots hold
  // the replacement through this record.
  std::size_t Apply();
  // Puts the function back into every slot that still holds the replacement.
  void Undo();

  // Calls the function as it was; null when the routine led nowhere.
  void* Original() const { return FFunction; }
  std::vector<void*> SlotAddresses() const;

 private:
  void AddSlot(void* slot);
  void CollectSlots(HMODULE module);
  void CollectThunkSlots(uint8_t* table);

  void* FRoutine;
  void* FFunction;
  // The function and every stub on the way to it from the routine.
  std::vector<void*> FAliases;
  void* FReplacement;
  HMODULE FOnlyIn;
  std::vector<std::unique_ptr<TCodePatch>> FSlots;
};

// The address a loaded module exports under a name; null when the module is
// not loaded or has no such export.
void* ExportedFunction(const char* module, const char* name);
