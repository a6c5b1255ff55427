#include "crash/win32/BlockedProcess.h"

#include <cstddef>
#include <cstdint>

namespace {

// The two locks live in the process environment block: the loader lock's
// address at 0xA0, the process-environment lock's at 0x1C (32-bit layout).
constexpr std::size_t kFastPebLock = 0x1C;
constexpr std::size_t kLoaderLock = 0xA0;

const std::uint8_t* ProcessEnvironmentBlock() {
  const std::uint8_t* peb = nullptr;
  __asm__("movl %%fs:0x30, %0" : "=r"(peb));
  return peb;
}

bool HeldByAnother(const void* lockField) {
  const RTL_CRITICAL_SECTION* lock = nullptr;
  SIZE_T read = 0;
  if (!ReadProcessMemory(GetCurrentProcess(), lockField, &lock, sizeof lock, &read) || lock == nullptr) return false;
  RTL_CRITICAL_SECTION copy{};
  if (!ReadProcessMemory(GetCurrentProcess(), lock, &copy, sizeof copy, &read)) return false;
  const auto owner = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(copy.OwningThread));
  return owner != 0 && owner != GetCurrentThreadId();
}

bool BlockedNow() {
  const std::uint8_t* peb = ProcessEnvironmentBlock();
  return peb != nullptr && (HeldByAnother(peb + kLoaderLock) || HeldByAnother(peb + kFastPebLock));
}

}  // namespace

bool ProcessIsBlocked(DWORD waitMs) { return ProcessIsBlocked(waitMs, &Sleep); }

bool ProcessIsBlocked(DWORD waitMs, const std::function<void(DWORD ms)>& pause) {
  constexpr DWORD kLookInterval = 10;
  for (DWORD waited = 0;; waited += kLookInterval) {
    if (!BlockedNow()) return false;
    if (waited >= waitMs) return true;
    pause(kLookInterval);
  }
}
