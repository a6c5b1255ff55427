#pragma once
// The named, page-file-backed block that every module of the process which
// carries the reporter opens, so that all of them share one settings list:
// "OstrelSettingsBuf$<pid>" guarded at creation and destruction by the
// mutex "OstrelSettingsMtx$<pid>" (process id in lower-case hex).
#include <windows.h>

#include <memory>
#include <string>

#include "crash/ModuleSettingsList.h"

struct TSharedSettingsBlock {
  LONG RefCount;
  HANDLE Mapping;
  CRITICAL_SECTION Lock;
  TModuleSettingsEntry* Head;
  DWORD Reserved;
};

class TSharedSettingsBuffer : public ISettingsLock {
 public:
  // nullptr when the buffer can be neither created nor opened.
  static std::unique_ptr<TSharedSettingsBuffer> Open();
  ~TSharedSettingsBuffer() override;

  TModuleSettingsList& List() { return *FList; }
  TSharedSettingsBlock* Block() { return FBlock; }

  static std::string BufferName();
  static std::string MutexName();

 private:
  TSharedSettingsBuffer(HANDLE mutex, HANDLE mapping, TSharedSettingsBlock* block);
  void Lock() override;
  void Unlock() override;

  HANDLE FMutex;
  HANDLE FMapping;  // this user's handle of the mapping
  TSharedSettingsBlock* FBlock;
  std::unique_ptr<TModuleSettingsList> FList;
};
