#pragma once
// The named, page-file-backed block that every module of the process which
// carries the reporter opens, so that all of them share one settings list:
// "OstrelSettingsBuf$<pid>" guarded at creation and destruction by the
// mutex "OstrelSettingsMtx$<pid>" (process id in lower-case hex).
// Any thread may open or close a buffer; the list it holds has its own lock.
#include <windows.h>

#include <memory>
#include <string>

#include "crash/ModuleSettingsList.h"
#include "platform/win32/HandleOwners.h"

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
  // The same under other names (tests use names of their own).
  static std::unique_ptr<TSharedSettingsBuffer> OpenNamed(const std::string& bufferName,
                                                          const std::string& mutexName);
  ~TSharedSettingsBuffer() override;

  TModuleSettingsList& List() { return *FList; }
  TSharedSettingsBlock* Block() { return FBlock; }

  static std::string BufferName();
  static std::string MutexName();

 private:
  TSharedSettingsBuffer(TKernelHandle mapping, TMappedView view);
  void Lock() override;
  void Unlock() override;

  TKernelHandle FMutex;
  TKernelHandle FMapping;  // this user's handle of the mapping
  TMappedView FView;
  TSharedSettingsBlock* FBlock;
  std::unique_ptr<TModuleSettingsList> FList;
};
