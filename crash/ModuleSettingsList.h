#pragma once
// The process-wide list of module settings read so far: one reference-counted
// entry per module, each parsed once from the module's resource. Every module
// of the process that carries the reporter shares it; the lock is the shared
// buffer's.
#include <functional>
#include <memory>

#include "crash/IMESettings.h"
#include "crash/SettingProperty.h"

struct TModuleSettingsEntry {
  int RefCount = 0;
  TModuleHandle Module = 0;
  bool Valid = false;  // the module's resource was found and its header accepted
  TSettingPropertyList Properties;
  TModuleSettingsEntry* Next = nullptr;
};

class ISettingsLock {
 public:
  virtual ~ISettingsLock() = default;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

class TModuleSettingsList {
 public:
  // lock guards head, which lives where every module of the process finds it.
  TModuleSettingsList(ISettingsLock& lock, TModuleSettingsEntry*& head);
  ~TModuleSettingsList();

  using TParse = std::function<void(TModuleSettingsEntry& entry)>;
  // The module's entry, added and parsed when it is not there yet; counted.
  TModuleSettingsEntry* Acquire(TModuleHandle module, const TParse& parse);
  // Uncounts; the last release unlinks and frees the entry.
  void Release(TModuleSettingsEntry* entry);
  // Runs fn under the lock.
  void Locked(const std::function<void()>& fn);

 private:
  ISettingsLock& FLock;
  TModuleSettingsEntry*& FHead;
};
