#pragma once
// What the "modules", "processes" and "hardware" sections list, read from the
// running system. A list that cannot be read comes back empty; an entry whose
// detail cannot be read keeps that detail empty. Any thread.
#include <string>
#include <vector>

#include "crash/report/HardwareSection.h"
#include "crash/report/ProcessSections.h"

std::vector<TModuleSnapshot> ProcessModules();
std::vector<TProcessSnapshot> SystemProcesses();
std::vector<TDeviceSnapshot> HardwareDevices();
// The system directory, for rewriting the processes' paths.
std::string SystemDirectory();
