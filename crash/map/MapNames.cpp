#include "crash/map/MapNames.h"

#include "crash/TextItems.h"

std::string UnitOfSourceName(const std::string& text) {
  const std::size_t cut = text.find_last_of("=\\|");
  std::string unit = cut == std::string::npos ? text : text.substr(cut + 1);
  const std::size_t last = unit.find_last_not_of(' ');
  unit.erase(last == std::string::npos ? 0 : last + 1);
  if (unit.size() > 4) {
    const std::string extension = unit.substr(unit.size() - 4);
    if (SameNameNoCase(extension, ".pas") || SameNameNoCase(extension, ".dpr")) unit.erase(unit.size() - 4);
  }
  return unit;
}

std::string PublicNameInSegment(const TUnmangledName& name, const std::string& segmentUnit) {
  if (!segmentUnit.empty() && SameNameNoCase(name.Name, segmentUnit)) return "initialization";
  if (!name.Unit.empty() && !SameNameNoCase(name.Unit, segmentUnit)) return name.Unit + "." + name.Name;
  return name.Name;
}
