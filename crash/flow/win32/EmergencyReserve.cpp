#include "crash/flow/win32/EmergencyReserve.h"

namespace {
constexpr std::size_t kReservedSize = 4 * 1024 * 1024;
constexpr std::size_t kCommittedSize = 512 * 1024;
constexpr int kReservedCount = 4;
}  // namespace

std::size_t TEmergencyReserve::RangeSize(int index) { return Committed(index) ? kCommittedSize : kReservedSize; }

bool TEmergencyReserve::Committed(int index) { return index >= kReservedCount; }

bool TEmergencyReserve::Reserve() {
  bool all = true;
  for (int i = 0; i < kRangeCount; ++i) {
    if (FRanges[i].load() != nullptr) continue;
    const DWORD type = Committed(i) ? MEM_RESERVE | MEM_COMMIT : MEM_RESERVE;
    void* range = VirtualAlloc(nullptr, RangeSize(i), type, PAGE_NOACCESS);
    if (range == nullptr) {
      all = false;
      continue;
    }
    // Another thread may have taken this one meanwhile: keep only one.
    void* expected = nullptr;
    if (!FRanges[i].compare_exchange_strong(expected, range)) VirtualFree(range, 0, MEM_RELEASE);
  }
  return all;
}

void TEmergencyReserve::Release() {
  for (auto& slot : FRanges) {
    if (void* range = slot.exchange(nullptr)) VirtualFree(range, 0, MEM_RELEASE);
  }
}
