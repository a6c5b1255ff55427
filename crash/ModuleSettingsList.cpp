#include "crash/ModuleSettingsList.h"

namespace {
class TLockGuard {
 public:
  explicit TLockGuard(ISettingsLock& lock) : FLock(lock) { FLock.Lock(); }
  ~TLockGuard() { FLock.Unlock(); }
  TLockGuard(const TLockGuard&) = delete;
  TLockGuard& operator=(const TLockGuard&) = delete;

 private:
  ISettingsLock& FLock;
};
}  // namespace

TModuleSettingsList::TModuleSettingsList(ISettingsLock& lock, TModuleSettingsEntry*& head)
    : FLock(lock), FHead(head) {}

TModuleSettingsList::~TModuleSettingsList() = default;

TModuleSettingsEntry* TModuleSettingsList::Acquire(TModuleHandle module, const TParse& parse) {
  TLockGuard guard(FLock);
  TModuleSettingsEntry** link = &FHead;
  while (*link != nullptr && (*link)->Module != module) link = &(*link)->Next;
  if (*link == nullptr) {
    auto entry = std::make_unique<TModuleSettingsEntry>();
    entry->Module = module;
    parse(*entry);
    *link = entry.release();
  }
  ++(*link)->RefCount;
  return *link;
}

void TModuleSettingsList::Release(TModuleSettingsEntry* entry) {
  if (entry == nullptr) return;
  TLockGuard guard(FLock);
  if (--entry->RefCount > 0) return;
  for (TModuleSettingsEntry** link = &FHead; *link != nullptr; link = &(*link)->Next) {
    if (*link == entry) {
      *link = entry->Next;
      break;
    }
  }
  std::unique_ptr<TModuleSettingsEntry> owned(entry);
}

void TModuleSettingsList::Locked(const std::function<void()>& fn) {
  TLockGuard guard(FLock);
  fn();
}
