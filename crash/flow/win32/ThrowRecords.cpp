#include "crash/flow/win32/ThrowRecords.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <typeinfo>

#include "crash/stack/PrepareStack.h"
#include "crash/stack/StackEnvironment.h"

namespace {

struct TKeyedRecord {
  const void* Object = nullptr;
  TThrowRecord Record;
};

// The last throws of the process: enough for nested throws and rethrows in
// catch blocks, small enough that no search is costly.
constexpr std::size_t kKeptThrows = 32;

struct TThrowTable {
  std::mutex Lock;
  std::array<TKeyedRecord, kKeptThrows> Records;
  std::size_t Next = 0;
};

TThrowTable& Table() {
  static TThrowTable table;
  return table;
}

std::atomic<IStackMemory*> gStackMemory{nullptr};

std::shared_ptr<const TPreparedStack> PrepareThrowStack(std::uintptr_t framePointer, std::uintptr_t address) {
  IStackMemory* memory = gStackMemory.load();
  if (memory == nullptr) return nullptr;
  const TStackAddress bottom = static_cast<TStackAddress>(framePointer);
  const TMemoryRegion region = memory->RegionAt(bottom);
  if (!region.Committed || region.End <= bottom) return nullptr;
  auto stack = std::make_shared<TPreparedStack>(
      PrepareStack(*memory, bottom, region.End, bottom, false, static_cast<TStackAddress>(address)));
  if (stack->empty()) return nullptr;
  return stack;
}

void RecordThrow(const void* object, std::uintptr_t address, std::uintptr_t framePointer) {
  TThrowRecord record;
  record.Address = address;
  try {
    record.Stack = PrepareThrowStack(framePointer, address);
  } catch (...) {
    // Out of memory while throwing: the address alone still places the throw.
  }
  TThrowTable& table = Table();
  std::lock_guard<std::mutex> guard(table.Lock);
  TKeyedRecord& slot = table.Records[table.Next];
  table.Next = (table.Next + 1) % kKeptThrows;
  slot.Object = object;
  slot.Record = std::move(record);
}

}  // namespace

void SetThrowStackMemory(IStackMemory* memory) { gStackMemory.store(memory); }

const void* ThrownObjectOf(const std::exception_ptr& exception) {
  // The runtime's exception_ptr is one pointer: the thrown object itself.
  static_assert(sizeof(std::exception_ptr) == sizeof(void*), "exception_ptr holds the thrown object");
  const void* object = nullptr;
  std::memcpy(&object, &exception, sizeof object);
  return object;
}

bool FindThrowRecord(const std::exception_ptr& exception, TThrowRecord& record) {
  const void* object = ThrownObjectOf(exception);
  if (object == nullptr) return false;
  TThrowTable& table = Table();
  std::lock_guard<std::mutex> guard(table.Lock);
  for (std::size_t i = 0; i < kKeptThrows; ++i) {
    // Newest first: an address reused by a later object wins.
    const TKeyedRecord& slot = table.Records[(table.Next + kKeptThrows - 1 - i) % kKeptThrows];
    if (slot.Object == object) {
      record = slot.Record;
      return true;
    }
  }
  return false;
}

extern "C" {
[[noreturn]] void __real___cxa_throw(void* object, std::type_info* type, void (*destructor)(void*));

// Every throw of a program linked with --wrap=__cxa_throw comes here first.
[[noreturn]] __attribute__((noinline)) void __wrap___cxa_throw(void* object, std::type_info* type,
                                                               void (*destructor)(void*)) {
  try {
    RecordThrow(object, reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)),
                reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
  } catch (...) {
  }
  __real___cxa_throw(object, type, destructor);
}
}
