#include "crash/flow/win32/ThrowRecords.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <typeinfo>

namespace {

// A slot is written under its own sequence number (odd while a writer is in
// it), so a reader never takes a half-written record and a writer never
// waits: it moves to the next slot instead.
struct TSlot {
  std::atomic<std::uint32_t> Sequence{0};
  std::atomic<const void*> Object{nullptr};
  std::atomic<std::uintptr_t> Address{0};
  std::atomic<std::uintptr_t> FramePointer{0};
  std::atomic<std::uint32_t> ChainLength{0};
  std::array<std::atomic<std::uint32_t>, kThrowChainDepth> Chain{};
};

// The last throws of the process: enough for nested throws and rethrows in
// catch blocks, small enough that no search is costly.
constexpr std::uint32_t kKeptThrows = 32;

std::array<TSlot, kKeptThrows> gSlots;
std::atomic<std::uint32_t> gNext{0};

// A thread-local value without the runtime's emulated TLS, which allocates
// on a thread's first use.
const DWORD gInFlightSlot = TlsAlloc();

// The return addresses of the frame-pointer chain above `framePointer`,
// innermost first. Each frame is read only when it lies inside the calling
// thread's committed stack and the chain runs outwards, so a broken chain
// ends the walk instead of faulting.
unsigned WalkFrameChain(std::uintptr_t framePointer, std::uint32_t (&chain)[kThrowChainDepth]) {
  std::uintptr_t low = 0, high = 0;
  // The thread's stack bounds, straight from its information block (the
  // header's reader of it trips the compiler's bounds check).
  asm("movl %%fs:%c2, %0\n\tmovl %%fs:%c3, %1"
      : "=r"(high), "=r"(low)
      : "i"(offsetof(NT_TIB, StackBase)), "i"(offsetof(NT_TIB, StackLimit)));
  unsigned length = 0;
  std::uintptr_t frame = framePointer;
  while (length < kThrowChainDepth && frame >= low && frame <= high - 2 * sizeof(std::uintptr_t) &&
         frame % sizeof(std::uintptr_t) == 0) {
    const auto* words = reinterpret_cast<const std::uintptr_t*>(frame);
    // The given frame's own return address is the throw's address.
    if (frame != framePointer) chain[length++] = static_cast<std::uint32_t>(words[1]);
    if (words[0] <= frame) break;
    frame = words[0];
  }
  return length;
}

bool TryWrite(TSlot& slot, const void* object, std::uintptr_t address, std::uintptr_t framePointer,
              const std::uint32_t (&chain)[kThrowChainDepth], unsigned chainLength) {
  std::uint32_t sequence = slot.Sequence.load(std::memory_order_relaxed);
  if ((sequence & 1) != 0 ||
      !slot.Sequence.compare_exchange_strong(sequence, sequence + 1, std::memory_order_acquire))
    return false;
  slot.Object.store(object, std::memory_order_relaxed);
  slot.Address.store(address, std::memory_order_relaxed);
  slot.FramePointer.store(framePointer, std::memory_order_relaxed);
  slot.ChainLength.store(chainLength, std::memory_order_relaxed);
  for (unsigned i = 0; i < chainLength; ++i) slot.Chain[i].store(chain[i], std::memory_order_relaxed);
  slot.Sequence.store(sequence + 2, std::memory_order_release);
  return true;
}

bool TryRead(const TSlot& slot, const void* object, TThrowRecord& record) {
  const std::uint32_t before = slot.Sequence.load(std::memory_order_acquire);
  if ((before & 1) != 0 || before == 0) return false;
  const bool match = slot.Object.load(std::memory_order_relaxed) == object;
  TThrowRecord copy;
  copy.Address = slot.Address.load(std::memory_order_relaxed);
  copy.FramePointer = slot.FramePointer.load(std::memory_order_relaxed);
  copy.ChainLength = slot.ChainLength.load(std::memory_order_relaxed);
  if (copy.ChainLength > kThrowChainDepth) copy.ChainLength = 0;  // torn: the check below rejects it
  for (unsigned i = 0; i < copy.ChainLength; ++i) copy.Chain[i] = slot.Chain[i].load(std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_acquire);
  if (!match || slot.Sequence.load(std::memory_order_relaxed) != before) return false;
  record = copy;
  return true;
}

// Marks the calling thread as inside the throw of an object until the
// throw's frame is left (by unwinding into a catch block).
class TInFlight {
 public:
  explicit TInFlight(const void* object) {
    if (gInFlightSlot != TLS_OUT_OF_INDEXES) TlsSetValue(gInFlightSlot, const_cast<void*>(object));
  }
  ~TInFlight() {
    if (gInFlightSlot != TLS_OUT_OF_INDEXES) TlsSetValue(gInFlightSlot, nullptr);
  }
  TInFlight(const TInFlight&) = delete;
  TInFlight& operator=(const TInFlight&) = delete;
};

}  // namespace

void RecordThrow(const void* object, std::uintptr_t address, std::uintptr_t framePointer) noexcept {
  std::uint32_t chain[kThrowChainDepth];
  const unsigned chainLength = WalkFrameChain(framePointer, chain);
  // Busy slots are skipped; with every slot busy the throw goes unnoted.
  for (std::uint32_t tries = 0; tries < kKeptThrows; ++tries) {
    TSlot& slot = gSlots[gNext.fetch_add(1, std::memory_order_relaxed) % kKeptThrows];
    if (TryWrite(slot, object, address, framePointer, chain, chainLength)) return;
  }
}

const void* ThrownObjectOf(const std::exception_ptr& exception) noexcept {
  // The runtime's exception_ptr is one pointer: the thrown object itself.
  static_assert(sizeof(std::exception_ptr) == sizeof(void*), "exception_ptr holds the thrown object");
  const void* object = nullptr;
  std::memcpy(&object, &exception, sizeof object);
  return object;
}

bool FindThrowRecord(const void* object, TThrowRecord& record) noexcept {
  if (object == nullptr) return false;
  const std::uint32_t next = gNext.load(std::memory_order_relaxed);
  for (std::uint32_t i = 1; i <= kKeptThrows; ++i) {
    // Newest first: an address reused by a later object wins.
    if (TryRead(gSlots[(next - i) % kKeptThrows], object, record)) return true;
  }
  return false;
}

const void* ThrowInFlight() noexcept {
  return gInFlightSlot != TLS_OUT_OF_INDEXES ? TlsGetValue(gInFlightSlot) : nullptr;
}

extern "C" {
[[noreturn]] void __real___cxa_throw(void* object, std::type_info* type, void (*destructor)(void*));

// Every throw of a program linked with --wrap=__cxa_throw comes here first.
[[noreturn]] __attribute__((noinline)) void __wrap___cxa_throw(void* object, std::type_info* type,
                                                               void (*destructor)(void*)) {
  RecordThrow(object, reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)),
              reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
  const TInFlight inFlight(object);
  __real___cxa_throw(object, type, destructor);
}
}
