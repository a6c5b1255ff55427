#include "crash/hooks/win32/CreatedThreads.h"

TCreatedThreads& TCreatedThreads::Instance() {
  // Never destroyed: hooked threads may end after the process's statics are gone.
  static TCreatedThreads* const instance = new TCreatedThreads;
  return *instance;
}

void TCreatedThreads::Add(DWORD threadId, HANDLE thread) {
  HANDLE own = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &own, SYNCHRONIZE, FALSE, 0)) return;
  std::lock_guard<std::mutex> guard(FLock);
  auto& slot = FThreads[threadId];
  if (slot != nullptr) CloseHandle(slot);  // an ended thread whose id came round again
  slot = own;
}

void TCreatedThreads::Remove(DWORD threadId) {
  std::lock_guard<std::mutex> guard(FLock);
  const auto found = FThreads.find(threadId);
  if (found == FThreads.end()) return;
  CloseHandle(found->second);
  FThreads.erase(found);
}

bool TCreatedThreads::Contains(DWORD threadId) {
  std::lock_guard<std::mutex> guard(FLock);
  return FThreads.count(threadId) != 0;
}

std::vector<DWORD> TCreatedThreads::Snapshot() {
  std::lock_guard<std::mutex> guard(FLock);
  std::vector<DWORD> ids;
  for (auto at = FThreads.begin(); at != FThreads.end();) {
    if (WaitForSingleObject(at->second, 0) == WAIT_OBJECT_0) {
      CloseHandle(at->second);
      at = FThreads.erase(at);
    } else {
      ids.push_back(at->first);
      ++at;
    }
  }
  return ids;
}
