#pragma once
// A thread that holds the system's loader lock until released, so that the
// process counts as blocked meanwhile. Test code only.
#include <windows.h>

#include "platform/win32/HandleOwners.h"

class TLoaderLockHolder {
 public:
  // False when the lock could not be taken within five seconds.
  bool Hold() {
    FHeld.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    FRelease.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    FThread.Reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
    return FThread && WaitForSingleObject(FHeld.Get(), 5000) == WAIT_OBJECT_0;
  }
  // Lets the lock go and waits for the holding thread's end.
  void Release() {
    if (!FThread) return;
    SetEvent(FRelease.Get());
    WaitForSingleObject(FThread.Get(), INFINITE);
    FThread.Reset();
  }
  ~TLoaderLockHolder() { Release(); }

 private:
  using TLock = LONG(NTAPI*)(ULONG, ULONG*, ULONG_PTR*);
  using TUnlock = LONG(NTAPI*)(ULONG, ULONG_PTR);

  static DWORD WINAPI Run(void* self) {
    auto* holder = static_cast<TLoaderLockHolder*>(self);
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto lock = reinterpret_cast<TLock>(reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrLockLoaderLock")));
    const auto unlock =
        reinterpret_cast<TUnlock>(reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrUnlockLoaderLock")));
    ULONG_PTR cookie = 0;
    if (lock == nullptr || unlock == nullptr || lock(0, nullptr, &cookie) != 0) return 1;
    SetEvent(holder->FHeld.Get());
    WaitForSingleObject(holder->FRelease.Get(), INFINITE);
    unlock(0, cookie);
    return 0;
  }

  TKernelHandle FHeld, FRelease, FThread;
};
