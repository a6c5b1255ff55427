#include "platform/posix/PosixDirectoryLister.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/EscapedUtf8.h"

namespace {

DIR* ToDir(FindHandle handle) { return reinterpret_cast<DIR*>(handle); }

bool IsDirectoryEntry(DIR* dir, const dirent* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_UNKNOWN) return false;
  // Some file systems leave the type to a separate look-up.
  struct stat info;
  return fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISDIR(info.st_mode);
}

bool ReadEntry(DIR* dir, TFindData& data) {
  const dirent* entry = readdir(dir);
  if (entry == nullptr) return false;
  data.name = DecodeEscapedUtf8(entry->d_name);
  data.attributes = IsDirectoryEntry(dir, entry) ? kFileAttributeDirectory : 0;
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
  const std::string directory = DirectoryOfPattern(pattern);
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return kInvalidFindHandle;
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return kInvalidFindHandle;
  }
  if (!ReadEntry(dir, data)) {
    closedir(dir);
    return kInvalidFindHandle;
  }
  return reinterpret_cast<FindHandle>(dir);
}

bool TPosixDirectoryLister::FindNext(FindHandle handle, TFindData& data) {
  return ReadEntry(ToDir(handle), data);
}

void TPosixDirectoryLister::FindClose(FindHandle handle) { closedir(ToDir(handle)); }

bool TPosixDirectoryLister::IsDirectory(const WideString& path) {
  struct stat info;
  return lstat(EncodeEscapedUtf8(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
