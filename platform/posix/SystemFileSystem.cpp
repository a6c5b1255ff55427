#include "platform/SystemFileSystem.h"

#include "platform/posix/PosixDirectoryLister.h"
#include "platform/posix/PosixVolumeControl.h"

std::unique_ptr<TVolumeControl> CreateSystemVolumeControl() {
  return std::make_unique<TPosixVolumeControl>();
}

std::unique_ptr<IDirectoryLister> CreateSystemDirectoryLister() {
  return std::make_unique<TPosixDirectoryLister>();
}

const char* SystemLinkRule() { return "Symbolic links are never followed."; }
