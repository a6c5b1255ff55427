#include "crash/report/HardwareSection.h"

#include <algorithm>
#include <map>

#include "crash/TextItems.h"
#include "crash/report/ReportText.h"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Lower(x) < Lower(y); });
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && SameNameNoCase(text.substr(0, prefix.size()), prefix);
}

bool Listed(const TDeviceSnapshot& d) {
  for (const char* excluded : {"LegacyDriver", "Unknown", "Volume"})
    if (SameNameNoCase(d.ClassName, excluded)) return false;
  return !StartsWithNoCase(d.HardwareId, "sw\\") && !d.DriverHidden;
}

std::string DeviceName(const TDeviceSnapshot& d) {
  return d.FriendlyName.empty() ? d.Description : d.FriendlyName;
}

std::string DeviceLine(const TDeviceSnapshot& d) {
  std::string line = "  - ";
  if (!d.DriveLetters.empty()) line += '[' + d.DriveLetters + ":] ";
  line += DeviceName(d);
  const std::string& driver = d.DriverVersion.empty() ? d.DriverDate : d.DriverVersion;
  const bool namedProvider =
      !d.DriverProvider.empty() && d.DriverProvider[0] != '(' && d.DriverProvider != "Microsoft";
  if (namedProvider && !driver.empty()) line += " (driver " + driver + ")";
  return line;
}

}  // namespace

std::string HardwareSection(const std::vector<TDeviceSnapshot>& devices) {
  struct TClass {
    std::string Description;
    std::vector<const TDeviceSnapshot*> Devices;
  };
  std::vector<TClass> classes;
  std::map<std::string, std::size_t> byKey;
  for (const TDeviceSnapshot& d : devices) {
    if (!Listed(d)) continue;
    std::string key = d.ClassName;
    std::transform(key.begin(), key.end(), key.begin(), Lower);
    const auto found = byKey.emplace(key, classes.size());
    if (found.second)
      classes.push_back({d.ClassDescription.empty() ? d.ClassName : d.ClassDescription, {}});
    classes[found.first->second].Devices.push_back(&d);
  }
  std::stable_sort(classes.begin(), classes.end(),
                   [](const TClass& a, const TClass& b) { return LessNoCase(a.Description, b.Description); });
  std::vector<std::string> lines;
  for (TClass& c : classes) {
    std::stable_sort(c.Devices.begin(), c.Devices.end(), [](const TDeviceSnapshot* a, const TDeviceSnapshot* b) {
      return LessNoCase(DeviceName(*a), DeviceName(*b));
    });
    lines.push_back("+ " + c.Description);
    for (const TDeviceSnapshot* d : c.Devices) lines.push_back(DeviceLine(*d));
  }
  return JoinLines(lines);
}
