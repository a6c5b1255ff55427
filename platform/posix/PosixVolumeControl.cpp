#include "platform/posix/PosixVolumeControl.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/EscapedUtf8.h"
#include "platform/posix/ListedDirectory.h"

EntryHandle TPosixVolumeControl::Open(const WideString& path) {
  // Never through a symbolic link; without blocking on a FIFO.
  EncodeEscapedUtf8(path, FPathBytes);
  constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  const char* name = nullptr;
  const int directory = TListedDirectory::ThisThread().Find(FPathBytes, name);
  const int fd = directory >= 0 ? openat(directory, name, kFlags) : open(FPathBytes.c_str(), kFlags);
  if (fd < 0) return kInvalidEntryHandle;
  // The flag requests would reach a device's own driver: only files and
  // directories carry a compression state.
  struct stat info;
  if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))) {
    close(fd);
    return kInvalidEntryHandle;
  }
  FKnown = TKnown();
  FKnown.handle = fd;
  FKnown.identity.volume = static_cast<std::uint64_t>(info.st_dev);
  FKnown.identity.file = static_cast<std::uint64_t>(info.st_ino);
  return fd;
}

bool TPosixVolumeControl::GetCompression(EntryHandle handle, std::uint16_t& format) {
  int flags = 0;
  if (ioctl(static_cast<int>(handle), FS_IOC_GETFLAGS, &flags) != 0) return false;
  if (handle == FKnown.handle) {
    FKnown.flagsRead = true;
    FKnown.flags = flags;
  }
  format = (flags & FS_COMPR_FL) ? kCompressionFormatDefault : kCompressionFormatNone;
  return true;
}

bool TPosixVolumeControl::SetCompression(EntryHandle handle, std::uint16_t format) {
  const int fd = static_cast<int>(handle);
  int flags = 0;
  if (handle == FKnown.handle && FKnown.flagsRead)
    flags = FKnown.flags;
  else if (ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0)
    return false;
  if (format == kCompressionFormatNone)
    flags &= ~FS_COMPR_FL;
  else
    flags |= FS_COMPR_FL;
  if (ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) return false;
  if (handle == FKnown.handle) {
    FKnown.flagsRead = true;
    FKnown.flags = flags;
  }
  return true;
}

bool TPosixVolumeControl::GetIdentity(EntryHandle handle, TEntryIdentity& identity) {
  if (handle == FKnown.handle) {
    identity = FKnown.identity;
    return true;
  }
  struct stat info;
  if (fstat(static_cast<int>(handle), &info) != 0) return false;
  identity.volume = static_cast<std::uint64_t>(info.st_dev);
  identity.file = static_cast<std::uint64_t>(info.st_ino);
  return true;
}

void TPosixVolumeControl::Close(EntryHandle handle) {
  // The number may come back for another entry.
  if (handle == FKnown.handle) FKnown = TKnown();
  close(static_cast<int>(handle));
}
