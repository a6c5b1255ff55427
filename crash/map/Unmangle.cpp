#include "crash/map/Unmangle.h"

namespace {

std::string ReplaceScopes(std::string text) {
  for (std::size_t at = text.find("::"); at != std::string::npos; at = text.find("::", at + 1))
    text.replace(at, 2, ".");
  return text;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Where the scan for "@" and "$" starts.
std::size_t ScanStart(const std::string& name) {
  if (name.size() > 6 && name.compare(0, 3, "@_$") == 0) {
    const std::size_t dollar = name.find('$', 4);
    if (dollar != std::string::npos && dollar + 1 < name.size() && name[dollar + 1] == '@') return dollar + 1;
  }
  return 2;
}

}  // namespace

TUnmangledName UnmangleName(const std::string& linkerName) {
  std::string name = ReplaceScopes(linkerName);
  if (name.empty() || name[0] != '@') return {std::string(), name};

  std::string suffix;
  if (name.size() > 1 && name[1] == '%') {
    const std::size_t at = name.rfind("%@");
    if (at != std::string::npos && at >= 2) suffix = "." + name.substr(at + 2);
  }
  std::string unit;
  bool unitFound = false, cut = false, destructor = false;
  for (std::size_t i = ScanStart(name); i < name.size(); ++i) {
    if (name[i] == '@') {
      name[i] = '.';
      if (!unitFound) {
        unit = name.substr(1, i - 1);
        unitFound = true;
      }
    } else if (name[i] == '$') {
      destructor = i + 2 < name.size() && name[i + 2] == 'd';
      name = name.substr(0, i) + suffix;
      cut = true;
      break;
    }
  }
  if (unitFound && name.size() > unit.size() + 2) {
    name = name.substr(unit.size() + 2);
  } else {
    unit.clear();
    if (cut) name = name.substr(1);
  }
  if (!name.empty() && name[0] == '%') name = name.substr(1);
  if (!name.empty() && name[0] == '.') name[0] = '@';
  if (!name.empty() && name.back() == '.') name += destructor ? "Destroy" : "Create";
  name = Trimmed(name);
  if (!name.empty() && name.back() == '.') name += '?';
  return {unit, name};
}
