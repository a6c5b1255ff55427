#pragma once
// The "operating system" header value from the version figures the system
// reports.
#include <cstdint>
#include <string>

enum class TOsPlatform { Windows9x, WindowsNT };

struct TOsVersion {
  TOsPlatform Platform = TOsPlatform::WindowsNT;
  std::uint32_t Major = 0, Minor = 0;
  std::uint32_t BuildField = 0;  // as reported; Windows 9x keeps the build in the low 16 bits
  bool Workstation = false;      // product type: a workstation, not a server
  bool ServerR2 = false;
  bool TabletPc = false;
  bool Starter = false;
  bool MediaCenter = false;
  bool X64 = false;  // native processor architecture is 64-bit
  std::string ServicePack;
};

// "Windows XP", "Windows 98 SE", ...: the name alone.
std::string OsName(const TOsVersion& version);
std::uint32_t OsBuildNumber(const TOsVersion& version);
// The whole value: name, Windows NT's additions, " build " and the number.
std::string OperatingSystemText(const TOsVersion& version);
