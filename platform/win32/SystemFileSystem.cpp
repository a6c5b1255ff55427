#include "platform/SystemFileSystem.h"

#include "platform/win32/Win32DirectoryLister.h"
#include "platform/win32/Win32VolumeControl.h"

std::unique_ptr<TVolumeControl> CreateSystemVolumeControl() {
  return std::make_unique<TWin32VolumeControl>();
}

std::unique_ptr<IDirectoryLister> CreateSystemDirectoryLister() {
  return std::make_unique<TWin32DirectoryLister>();
}

const char* SystemLinkRule() {
  return "A link to a directory is entered like a directory, except one that leads back\n"
         "into a directory the walk is already inside: that one is skipped.";
}
