#pragma once
// Directory listing as the walk sees it: a find-first / find-next / close
// sequence giving each entry's name and attributes in the file system's own
// order, "." and ".." included, plus the attribute test of one path.
#include <cstdint>

#include "platform/WideString.h"

constexpr std::uint32_t kFileAttributeDirectory = 0x10;
// Set beside the directory bit on a link to a directory; the walk looks only
// at the directory bit.
constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;

struct TFindData {
  WideString name;
  std::uint32_t attributes = 0;
};

using FindHandle = std::intptr_t;
constexpr FindHandle kInvalidFindHandle = -1;

class IDirectoryLister {
 public:
  virtual ~IDirectoryLister() = default;

  // pattern is a directory path, the separator and "*". kInvalidFindHandle
  // when the directory cannot be listed; otherwise data holds the first entry.
  virtual FindHandle FindFirst(const WideString& pattern, TFindData& data) = 0;
  // False when there is no further entry (or the listing failed).
  virtual bool FindNext(FindHandle handle, TFindData& data) = 0;
  virtual void FindClose(FindHandle handle) = 0;

  // True when path names a directory itself (a link to one is not).
  virtual bool IsDirectory(const WideString& path) = 0;

  // The separator that joins a directory path and a name.
  virtual char16_t PathSeparator() const = 0;
};
