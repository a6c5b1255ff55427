#include "crash/report/OsDescription.h"

namespace {

std::string Windows9xName(const TOsVersion& v) {
  const std::uint32_t build = OsBuildNumber(v);
  if (v.Major <= 3) return "None";
  if (v.Major > 4 || v.Minor > 90) return "Windows 9x New";
  if (v.Minor < 10) return build <= 1000 ? "Windows 95" : "Windows 95 OSR-2";
  if (v.Minor == 10) {
    if (build <= 2000) return "Windows 98";
    if (build <= 2700) return "Windows 98 SE";
  }
  return "Windows ME";
}

std::string WindowsNtName(const TOsVersion& v) {
  if (v.Major < 4) return "Windows NT 3";
  if (v.Major == 4) return "Windows NT 4";
  if (v.Major == 5 && v.Minor == 0) return "Windows 2000";
  if (v.Major == 5 && (v.Minor == 1 || (v.Minor == 2 && v.Workstation))) return "Windows XP";
  if (v.Major == 5 && v.Minor == 2) return "Windows 2003";
  if (v.Major == 6 && v.Minor == 0) return "Windows Vista";
  return "Windows NT New";
}

}  // namespace

std::string OsName(const TOsVersion& version) {
  return version.Platform == TOsPlatform::Windows9x ? Windows9xName(version) : WindowsNtName(version);
}

std::uint32_t OsBuildNumber(const TOsVersion& version) {
  return version.Platform == TOsPlatform::Windows9x ? version.BuildField & 0xFFFF : version.BuildField;
}

std::string OperatingSystemText(const TOsVersion& version) {
  std::string text = OsName(version);
  if (version.Platform == TOsPlatform::WindowsNT) {
    if (version.ServerR2) text += " R2";
    if (version.TabletPc) text += " Tablet PC";
    if (version.Starter) text += " Starter";
    if (version.MediaCenter && version.Major < 6) text += " Media Center";
    if (version.X64) text += " x64";
    if (!version.ServicePack.empty()) text += ' ' + version.ServicePack;
  }
  return text + " build " + std::to_string(OsBuildNumber(version));
}
