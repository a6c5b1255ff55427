#include "platform/SystemFileSystem.h"

#include "platform/win32/Win32DirectoryLister.h"
#include "platform/win32/Win32VolumeControl.h"

std::unique_ptr<TVolumeControl> CreateSystemVolumeControl() {
  return std::make_unique<TWin32VolumeControl>();
}

std::unique_ptr<IDirectoryLister> CreateSystemDirectoryLister() {
  return std::make_unique<TWin32DirectoryLister>();
}
