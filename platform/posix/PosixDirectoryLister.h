#pragma once
#include <string>

#include "platform/DirectoryLister.h"

// Listing through the directory's records as the kernel gives them. The
// directory is opened without following a symbolic link, and a link is never
// reported as a directory, so a walk never leaves the tree it was started in.
// A finished listing leaves its directory open for the look-ups of its
// entries that follow (TListedDirectory). Used by one thread at a time.
class TPosixDirectoryLister : public IDirectoryLister {
 public:
  FindHandle FindFirst(const WideString& pattern, TFindData& data) override;
  bool FindNext(FindHandle handle, TFindData& data) override;
  void FindClose(FindHandle handle) override;
  bool IsDirectory(const WideString& path) override;
  char16_t PathSeparator() const override { return u'/'; }

 private:
  std::string FPathBytes;  // kept between calls for its storage
};

// The directory a pattern ("dir/*") lists, as the bytes to open.
std::string DirectoryOfPattern(const WideString& pattern);
