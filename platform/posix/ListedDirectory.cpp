#include "platform/posix/ListedDirectory.h"

#include <unistd.h>

#include <cstring>

TListedDirectory& TListedDirectory::ThisThread() {
  static thread_local TListedDirectory kept;
  return kept;
}

void TListedDirectory::Keep(const std::string& directory, int fd) {
  Drop();
  FDirectory = directory;
  FFd = fd;
}

void TListedDirectory::Drop() {
  if (FFd >= 0) close(FFd);
  FFd = -1;
  FDirectory.clear();
}

int TListedDirectory::Find(const std::string& path, const char*& name) const {
  if (FFd < 0) return -1;
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return -1;
  name = path.c_str() + slash + 1;
  // "." and ".." are not entries of the directory as listed; nor is nothing.
  if (*name == 0 || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return -1;
  // The parent as a listing names it: no trailing slashes, the root as "/".
  size_t length = slash;
  while (length > 0 && path[length - 1] == '/') --length;
  if (length == 0) return FDirectory == "/" ? FFd : -1;
  if (FDirectory.size() != length || path.compare(0, length, FDirectory) != 0) return -1;
  return FFd;
}
