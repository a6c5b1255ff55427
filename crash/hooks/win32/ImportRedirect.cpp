#include "crash/hooks/win32/ImportRedirect.h"

#include <cstring>

#include "platform/X86Code.h"
#include "platform/win32/ToolhelpSnapshot.h"

namespace {

std::vector<uint8_t> PointerBytes(void* value) {
  std::vector<uint8_t> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

template <typename T>
bool ReadAt(const uint8_t* address, T& value) {
  return ReadCode(address, &value, sizeof value);
}

std::vector<HMODULE> LoadedModules() {
  std::vector<HMODULE> modules;
  WalkToolhelpSnapshot<MODULEENTRY32W>(0, [&](const MODULEENTRY32W& entry) {
    modules.push_back(entry.hModule);
    return true;
  });
  return modules;
}

}  // namespace

void* ExportedFunction(const char* module, const char* name) {
  const HMODULE handle = GetModuleHandleA(module);
  return handle != nullptr ? reinterpret_cast<void*>(GetProcAddress(handle, name)) : nullptr;
}

TImportRedirect::TImportRedirect(void* routine, void* replacement, HMODULE onlyIn)
    : FRoutine(routine), FFunction(ResolveRoutineEntry(routine)), FReplacement(replacement), FOnlyIn(onlyIn) {
  // The same few levels ResolveRoutineEntry follows.
  for (void* at = routine; at != nullptr && at != FFunction && FAliases.size() < 8;) {
    FAliases.push_back(at);
    void* next = ResolveRoutineEntry(at);
    uint8_t code[16];
    if (!ReadCode(at, code, sizeof code)) break;
    const auto cell = ImportStubCell(code, sizeof code);
    if (!cell || !ReadCode(reinterpret_cast<const void*>(static_cast<uintptr_t>(*cell)), &next, sizeof next)) break;
    at = next;
  }
  if (FFunction != nullptr) FAliases.push_back(FFunction);
}

TImportRedirect::~TImportRedirect() { Undo(); }

void TImportRedirect::AddSlot(void* slot) {
  for (const auto& patch : FSlots)
    if (patch->Address() == slot) return;
  FSlots.push_back(std::make_unique<TCodePatch>(slot, PointerBytes(FReplacement)));
}

// The slots of one import address table that hold the function, up to its
// null end. Read a block at a time: every guarded read is a call into the
// system, and a process has thousands of slots.
void TImportRedirect::CollectThunkSlots(uint8_t* table) {
  constexpr std::size_t kBlock = 64;
  void* values[kBlock];
  for (uint8_t* block = table;; block += sizeof values) {
    std::size_t count = kBlock;
    if (!ReadCode(block, values, sizeof values)) {
      // The table ends near the end of its memory: the rest one by one.
      for (count = 0; count < kBlock && ReadCode(block + count * sizeof(void*), &values[count], sizeof(void*));)
        ++count;
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (values[i] == nullptr) return;
      for (void* alias : FAliases)
        if (values[i] == alias) AddSlot(block + i * sizeof(void*));
    }
    if (count < kBlock) return;
  }
}

// The slots of the module's import tables that hold the function. Everything
// is read guarded: a module may be unloading or have odd headers.
void TImportRedirect::CollectSlots(HMODULE module) {
  const auto* base = reinterpret_cast<const uint8_t*>(module);
  IMAGE_DOS_HEADER dos;
  if (!ReadAt(base, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return;
  IMAGE_NT_HEADERS nt;
  if (!ReadAt(base + dos.e_lfanew, nt) || nt.Signature != IMAGE_NT_SIGNATURE) return;
  const IMAGE_DATA_DIRECTORY& imports = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0 || imports.Size == 0) return;
  for (const uint8_t* at = base + imports.VirtualAddress;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR descriptor;
    if (!ReadAt(at, descriptor) || descriptor.Name == 0 || descriptor.FirstThunk == 0) return;
    CollectThunkSlots(const_cast<uint8_t*>(base) + descriptor.FirstThunk);
  }
}

std::size_t TImportRedirect::Apply() {
  if (FFunction == nullptr) return 0;
  // The stub's own cell, unless the stub belongs to a module out of scope
  // (a system module's export may be a stub through its own import table).
  HMODULE stubModule = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCWSTR>(FRoutine), &stubModule);
  if (FRoutine != FFunction && (FOnlyIn == nullptr || stubModule == nullptr || stubModule == FOnlyIn)) {
    uint8_t code[16];
    if (ReadCode(FRoutine, code, sizeof code))
      if (const auto cell = ImportStubCell(code, sizeof code))
        AddSlot(reinterpret_cast<void*>(static_cast<uintptr_t>(*cell)));
  }
  if (FOnlyIn != nullptr) {
    CollectSlots(FOnlyIn);
  } else {
    for (HMODULE module : LoadedModules()) CollectSlots(module);
  }
  std::size_t ours = 0;
  for (const auto& patch : FSlots)
    if (patch->Apply() && patch->Applied()) ++ours;
  return ours;
}

void TImportRedirect::Undo() {
  for (const auto& patch : FSlots) patch->Undo();
}

std::vector<void*> TImportRedirect::SlotAddresses() const {
  std::vector<void*> slots;
  for (const auto& patch : FSlots) slots.push_back(patch->Address());
  return slots;
}
