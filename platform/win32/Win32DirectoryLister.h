#pragma once
#include "platform/DirectoryLister.h"

// Listing through FindFirstFileW / FindNextFileW / FindClose.
class TWin32DirectoryLister : public IDirectoryLister {
 public:
  FindHandle FindFirst(const WideString& pattern, TFindData& data) override;
  bool FindNext(FindHandle handle, TFindData& data) override;
  void FindClose(FindHandle handle) override;
  bool IsDirectory(const WideString& path) override;
  char16_t PathSeparator() const override { return u'\\'; }
};
