#include "crash/hooks/win32/CreatedThreads.h"

TCreatedThreads& TCreatedThreads::Instance() {
  // Never destroyed: hooked threads may end after the process's statics are gone.
  static TCreatedThreads* const instance = new TCreatedThreads;
  return *instance;
}

void TCreatedThreads::Add(DWORD threadId) {
  std::lock_guard<std::mutex> guard(FLock);
  FIds.insert(threadId);
}

void TCreatedThreads::Remove(DWORD threadId) {
  std::lock_guard<std::mutex> guard(FLock);
  FIds.erase(threadId);
}

bool TCreatedThreads::Contains(DWORD threadId) {
  std::lock_guard<std::mutex> guard(FLock);
  return FIds.count(threadId) != 0;
}

std::vector<DWORD> TCreatedThreads::Snapshot() {
  std::lock_guard<std::mutex> guard(FLock);
  return std::vector<DWORD>(FIds.begin(), FIds.end());
}
