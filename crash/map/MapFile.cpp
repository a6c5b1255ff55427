#include "crash/map/MapFile.h"

#include <algorithm>

#include "crash/TextItems.h"

void TMapFile::Sort() {
  std::stable_sort(Segments.begin(), Segments.end(), [](const TMfSegment& a, const TMfSegment& b) {
    if (a.Code != b.Code) return a.Code;
    return a.Start < b.Start;
  });
  std::stable_sort(Publics.begin(), Publics.end(),
                   [](const TMfPublic& a, const TMfPublic& b) { return a.Address < b.Address; });
  std::stable_sort(Lines.begin(), Lines.end(), [](const TMfLine& a, const TMfLine& b) { return a.Address < b.Address; });
}

std::size_t TMapFile::FirstDataSegment() const {
  return static_cast<std::size_t>(
      std::partition_point(Segments.begin(), Segments.end(), [](const TMfSegment& s) { return s.Code; }) -
      Segments.begin());
}

const TMfSegment* TMapFile::SegmentAt(bool code, TAddress address) const {
  const std::size_t split = FirstDataSegment();
  auto first = Segments.begin() + (code ? 0 : static_cast<std::ptrdiff_t>(split));
  auto last = code ? Segments.begin() + static_cast<std::ptrdiff_t>(split) : Segments.end();
  auto after = std::upper_bound(first, last, address, [](TAddress a, const TMfSegment& s) { return a < s.Start; });
  if (after == first) return nullptr;
  const TMfSegment& candidate = *(after - 1);
  return candidate.Contains(address) ? &candidate : nullptr;
}

const TMfPublic* TMapFile::PublicAt(TAddress address) const {
  auto after = std::upper_bound(Publics.begin(), Publics.end(), address,
                                [](TAddress a, const TMfPublic& p) { return a < p.Address; });
  if (after == Publics.begin()) return nullptr;
  if (after == Publics.end() && Code.Length != 0 && address >= Code.End()) return nullptr;
  return &*(after - 1);
}

int TMapFile::LineAt(TAddress address) const {
  const TMfSegment* segment = SegmentAt(true, address);
  if (Lines.empty()) return segment && segment->HasLines ? -1 : 0;
  auto after = std::upper_bound(Lines.begin(), Lines.end(), address,
                                [](TAddress a, const TMfLine& l) { return a < l.Address; });
  if (after == Lines.begin()) return 0;
  if (after == Lines.end() && Code.Length != 0 && address >= Code.End()) return 0;
  const TMfLine& entry = *(after - 1);
  if (!segment || entry.Address < segment->Start) return 0;
  return static_cast<int>(entry.Line);
}

TAddress TMapFile::PublicInUnit(bool code, const std::string& unit, const std::string& name,
                                bool caseSensitive) const {
  for (const TMfSegment& segment : Segments) {
    if (segment.Code != code || !SameNameNoCase(segment.Unit, unit)) continue;
    auto first = std::lower_bound(Publics.begin(), Publics.end(), segment.Start,
                                  [](const TMfPublic& p, TAddress a) { return p.Address < a; });
    for (auto p = first; p != Publics.end() && segment.Contains(p->Address); ++p) {
      const bool same = caseSensitive ? p->Name == name : SameNameNoCase(p->Name, name);
      if (same) return p->Address;
    }
  }
  return 0;
}

TAddress TMapFile::PublicByName(bool code, const std::string& unit, const std::string& name,
                                bool caseSensitive) const {
  if (const TAddress found = PublicInUnit(code, unit, name, caseSensitive)) return found;
  if (unit.find('.') != std::string::npos) return 0;
  for (const char* extension : {".cpp", ".h", ".c"})
    if (const TAddress found = PublicInUnit(code, unit + extension, name, caseSensitive)) return found;
  return 0;
}

std::string TMapFile::UnitAt(TAddress address) const {
  const TMfSegment* segment = SegmentAt(true, address);
  return segment ? segment->Unit : std::string();
}

std::string TMapFile::FunctionNameAt(TAddress address) const {
  const TMfPublic* found = PublicAt(address);
  if (!found || found->Address != address) return std::string();
  const std::string unit = UnitAt(address);
  std::string text = unit.empty() ? found->Name : unit + "." + found->Name;
  if (found->Name.find('%') != std::string::npos) text += " (" + FileName + ")";
  return text;
}

void TMapFile::LineOfAddress(TAddress address, int& line, TAddress& lowest, TAddress& highest) const {
  if (line > 0 && address >= lowest && address < highest) return;
  line = LineAt(address);
  lowest = address;
  auto after = std::upper_bound(Lines.begin(), Lines.end(), address,
                                [](TAddress a, const TMfLine& l) { return a < l.Address; });
  highest = after != Lines.end() ? after->Address : (Code.Length != 0 ? Code.End() : address + 1);
}
