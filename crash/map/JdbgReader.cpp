#include "crash/map/JdbgReader.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "crash/TextItems.h"
#include "crash/map/ByteView.h"
#include "crash/map/MapNames.h"

namespace {

// Longer names are damage; the bound keeps many entries naming one huge
// "name" from copying it over and over.
constexpr std::size_t kLongestName = 255;

struct TNamedAddress {
  TAddress Address = 0;
  std::string Name;
};

class TJdbgReader {
 public:
  TJdbgReader(const std::string& bytes, TMapFile& map) : FView(bytes), FMap(map) {}

  bool Read() {
    std::uint32_t units = 0, sources = 0, symbols = 0, lines = 0, words = 0;
    if (!FView.Word32(16, units) || !FView.Word32(20, sources) || !FView.Word32(24, symbols) ||
        !FView.Word32(28, lines) || !FView.Word32(32, words))
      return false;
    FWords = words;
    if (FWords < kJdbgHeaderSize || FWords > FView.Size()) return false;
    std::vector<TNamedAddress> unitList, sourceList, symbolList;
    if (!NamedTable(units, unitList) || !NamedTable(sources, sourceList) || !NamedTable(symbols, symbolList) ||
        !LineTable(lines))
      return false;
    Segments(sourceList);
    FMap.Sort();
    Publics(unitList, symbolList);
    MarkSegmentsWithLines();
    return !FMap.Segments.empty() || !FMap.Publics.empty();
  }

 private:
  bool Packed(std::size_t& at, std::uint32_t& value) const {
    value = 0;
    for (int shift = 0; shift < 35; shift += 7) {
      if (!FView.Holds(at, 1)) return false;
      const std::uint8_t byte = FView.Byte(at++);
      value |= static_cast<std::uint32_t>(byte & 0x7f) << shift;
      if ((byte & 0x80) == 0) return true;
    }
    return false;
  }

  bool Signed(std::size_t& at, std::int32_t& value) const {
    std::uint32_t raw = 0;
    if (!Packed(at, raw)) return false;
    value = static_cast<std::int32_t>(raw >> 1) ^ -static_cast<std::int32_t>(raw & 1);
    return true;
  }

  // A table's count, when its start lies inside the file and every entry
  // could fit in what follows (each takes at least two bytes).
  bool Count(std::size_t& at, std::uint32_t& count) const {
    if (at < kJdbgHeaderSize || !Packed(at, count)) return false;
    return count <= (FView.Size() - at) / 2;
  }

  bool Word(std::uint32_t offset, std::string& name) const {
    const std::string& bytes = FView.Bytes();
    if (offset >= bytes.size() - FWords) return false;
    const std::size_t start = FWords + offset;
    const std::size_t end = bytes.find('\0', start);
    if (end == std::string::npos || end - start > kLongestName) return false;
    name = bytes.substr(start, end - start);
    return true;
  }

  bool NamedTable(std::size_t at, std::vector<TNamedAddress>& table) const {
    std::uint32_t count = 0;
    if (!Count(at, count)) return false;
    TAddress address = FMap.Code.Start;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint32_t distance = 0, offset = 0;
      TNamedAddress entry;
      if (!Packed(at, distance) || !Packed(at, offset) || !Word(offset, entry.Name)) return false;
      address += distance;
      entry.Address = address;
      table.push_back(entry);
    }
    return true;
  }

  bool LineTable(std::size_t at) {
    std::uint32_t count = 0;
    if (!Count(at, count)) return false;
    TAddress address = FMap.Code.Start;
    std::uint32_t line = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint32_t distance = 0;
      std::int32_t step = 0;
      if (!Packed(at, distance) || !Signed(at, step)) return false;
      address += distance;
      line += static_cast<std::uint32_t>(step);
      FMap.Lines.push_back({line, address});
    }
    return true;
  }

  TAddress EndOf(const std::vector<TNamedAddress>& table, std::size_t i) const {
    return i + 1 < table.size() ? table[i + 1].Address : FMap.Code.End();
  }

  void Segments(const std::vector<TNamedAddress>& sources) {
    for (std::size_t i = 0; i < sources.size(); ++i) {
      const TAddress end = EndOf(sources, i);
      if (end <= sources[i].Address) continue;
      TMfSegment segment;
      segment.Start = sources[i].Address;
      segment.Length = end - sources[i].Address;
      segment.Unit = UnitOfSourceName(sources[i].Name);
      FMap.Segments.push_back(segment);
    }
  }

  void Publics(const std::vector<TNamedAddress>& units, const std::vector<TNamedAddress>& symbols) {
    std::size_t unit = 0;
    for (const TNamedAddress& symbol : symbols) {
      if (symbol.Name.empty()) continue;
      // Units and symbols are both in address order: walk them together.
      while (unit + 1 < units.size() && units[unit + 1].Address <= symbol.Address) ++unit;
      const bool inUnit = !units.empty() && units[unit].Address <= symbol.Address;
      const std::string unitName = inUnit ? units[unit].Name : std::string();
      const TMfSegment* segment = FMap.SegmentAt(true, symbol.Address);
      TMfPublic item;
      item.Address = symbol.Address;
      item.Name = unitName.empty() || (segment && SameNameNoCase(unitName, segment->Unit))
                      ? symbol.Name
                      : unitName + "." + symbol.Name;
      FMap.Publics.push_back(item);
    }
  }

  // The lines are sorted by now.
  void MarkSegmentsWithLines() {
    for (TMfSegment& segment : FMap.Segments) {
      const auto first = std::lower_bound(FMap.Lines.begin(), FMap.Lines.end(), segment.Start,
                                          [](const TMfLine& line, TAddress a) { return line.Address < a; });
      segment.HasLines = first != FMap.Lines.end() && segment.Contains(first->Address);
    }
  }

  TByteView FView;
  TMapFile& FMap;
  std::size_t FWords = 0;
};

}  // namespace

std::uint32_t JdbgChecksum(const std::string& bytes) {
  const TByteView view(bytes);
  std::uint32_t sum = 0, stored = 0;
  for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
    std::uint32_t word = 0;
    view.Word32(at, word);
    sum += word;
  }
  view.Word32(12, stored);
  sum -= stored;
  return (sum >> 8) | (sum << 24);
}

bool ReadJdbg(const std::string& bytes, TMapFile& map) {
  if (bytes.size() < 35 || bytes.size() % 4 != 0 || bytes.compare(0, 4, "JDBG") != 0) return false;
  const TByteView view(bytes);
  std::uint32_t version = 0, flags = 0, checksum = 0;
  view.Word32(4, version);
  view.Word32(8, flags);
  view.Word32(12, checksum);
  if (version != kJdbgVersion) return false;
  if ((flags & kJdbgChecksumValid) != 0 && JdbgChecksum(bytes) != checksum) return false;
  return TJdbgReader(bytes, map).Read();
}
