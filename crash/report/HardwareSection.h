#pragma once
// The "hardware" section: the machine's devices grouped by class.
#include <string>
#include <vector>

struct TDeviceSnapshot {
  std::string ClassName;  // the class's key name, e.g. "Volume"
  std::string ClassDescription;
  std::string FriendlyName;
  std::string Description;
  std::string HardwareId;
  std::string DriverProvider;
  std::string DriverVersion;
  std::string DriverDate;
  bool DriverHidden = false;
  std::string DriveLetters;  // Windows 9x: the letters the device holds
};

// Classes by description, devices by name, both ascending and ignoring case;
// driver-less classes, software devices and hidden drivers left out.
std::string HardwareSection(const std::vector<TDeviceSnapshot>& devices);
