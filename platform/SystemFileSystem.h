#pragma once
// The real file system of the platform this is built for.
#include <memory>

#include "platform/DirectoryLister.h"
#include "platform/VolumeControl.h"

std::unique_ptr<TVolumeControl> CreateSystemVolumeControl();
std::unique_ptr<IDirectoryLister> CreateSystemDirectoryLister();

// How a walk on this system treats links, as a sentence for the user (lines
// of at most 80 columns, without a final line break).
const char* SystemLinkRule();
