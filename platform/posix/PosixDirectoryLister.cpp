#include "platform/posix/PosixDirectoryLister.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <new>
#include <utility>

#include "platform/EscapedUtf8.h"
#include "platform/posix/ListedDirectory.h"

namespace {

// One open listing. The directory's records are read in blocks straight from
// the kernel: the C library's stream would add a status and two flag requests
// per directory, which the walk pays ten thousand times on a large tree.
struct TListing {
  TListing(int descriptor, std::string path) : fd(descriptor), directory(std::move(path)) {}
  ~TListing() {
    if (fd >= 0) close(fd);
  }
  TListing(const TListing&) = delete;
  TListing& operator=(const TListing&) = delete;

  // The next record, or null at the end (or when reading failed).
  const dirent64* Next() {
    if (position >= end) {
      const ssize_t got = getdents64(fd, buffer, sizeof buffer);
      if (got <= 0) return nullptr;
      position = 0;
      end = static_cast<size_t>(got);
    }
    const auto* entry = reinterpret_cast<const dirent64*>(buffer + position);
    position += entry->d_reclen;
    return entry;
  }

  int fd;
  const std::string directory;
  size_t position = 0;
  size_t end = 0;
  alignas(dirent64) char buffer[32768];
};

TListing* ToListing(FindHandle handle) { return reinterpret_cast<TListing*>(handle); }

bool IsDirectoryEntry(int directory, const dirent64* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_UNKNOWN) return false;
  // Some file systems leave the type to a separate look-up.
  struct stat info;
  return fstatat(directory, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISDIR(info.st_mode);
}

bool ReadEntry(TListing& listing, TFindData& data) {
  const dirent64* entry = listing.Next();
  if (entry == nullptr) return false;
  DecodeEscapedUtf8(entry->d_name, std::strlen(entry->d_name), data.name);
  data.attributes = IsDirectoryEntry(listing.fd, entry) ? kFileAttributeDirectory : 0;
  return true;
}

}  // namespace

std::string DirectoryOfPattern(const WideString& pattern) {
  std::string directory = EncodeEscapedUtf8(pattern);
  if (!directory.empty() && directory.back() == '*') directory.pop_back();
  // A trailing slash would make open() follow a final symbolic link.
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  if (directory.empty()) directory = "/";
  return directory;
}

FindHandle TPosixDirectoryLister::FindFirst(const WideString& pattern, TFindData& data) {
  TListedDirectory::ThisThread().Drop();
  std::string directory = DirectoryOfPattern(pattern);
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return kInvalidFindHandle;
  auto* listing = new (std::nothrow) TListing(fd, std::move(directory));
  if (listing == nullptr) {
    close(fd);
    return kInvalidFindHandle;
  }
  if (!ReadEntry(*listing, data)) {
    delete listing;
    return kInvalidFindHandle;
  }
  return reinterpret_cast<FindHandle>(listing);
}

bool TPosixDirectoryLister::FindNext(FindHandle handle, TFindData& data) {
  return ReadEntry(*ToListing(handle), data);
}

void TPosixDirectoryLister::FindClose(FindHandle handle) {
  TListing* listing = ToListing(handle);
  TListedDirectory::ThisThread().Keep(listing->directory, listing->fd);
  listing->fd = -1;
  delete listing;
}

bool TPosixDirectoryLister::IsDirectory(const WideString& path) {
  EncodeEscapedUtf8(path, FPathBytes);
  const char* name = nullptr;
  const int directory = TListedDirectory::ThisThread().Find(FPathBytes, name);
  struct stat info;
  const int status = directory >= 0 ? fstatat(directory, name, &info, AT_SYMLINK_NOFOLLOW)
                                    : lstat(FPathBytes.c_str(), &info);
  return status == 0 && S_ISDIR(info.st_mode);
}
