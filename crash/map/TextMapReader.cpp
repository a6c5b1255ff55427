#include "crash/map/TextMapReader.h"

#include <cstdint>
#include <set>
#include <vector>

#include "crash/map/MapNames.h"

namespace {

enum class TBlock { None, Sections, Segments, Publics, Lines };

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }
bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Exactly count hexadecimal digits from at; false on anything else.
bool Hex(const std::string& text, std::size_t at, std::size_t count, std::uint32_t& value) {
  if (at > text.size() || count > text.size() - at) return false;
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      return false;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return true;
}

bool Decimal(const std::string& text, std::uint32_t& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return true;
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string TrimmedLeft(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string TrimmedRight(std::string text) {
  const std::size_t last = text.find_last_not_of(" \t\r");
  text.erase(last == std::string::npos ? 0 : last + 1);
  return text;
}

std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> fields;
  std::size_t at = 0;
  while ((at = text.find_first_not_of(" \t", at)) != std::string::npos) {
    const std::size_t end = text.find_first_of(" \t", at);
    fields.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end;
  }
  return fields;
}

class TTextMapReader {
 public:
  explicit TTextMapReader(TMapFile& map) : FMap(map) {}

  // Names the publics after their segments and marks the segments of units
  // with line numbers.
  void Finish() {
    FMap.Sort();
    for (TPendingPublic& pending : FPublics) {
      const TMfSegment* segment = FMap.SegmentAt(pending.Item.Code, pending.Item.Address);
      pending.Item.Name = PublicNameInSegment(pending.Name, segment ? segment->Unit : std::string());
      if (!pending.Item.Name.empty()) FMap.Publics.push_back(pending.Item);
    }
    for (TMfSegment& segment : FMap.Segments)
      segment.HasLines = segment.Code && FUnitsWithLines.count(LowerCase(segment.Unit)) != 0;
  }

  void Line(const std::string& raw) {
    std::string text = TrimmedLeft(raw);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.find_first_not_of(" \t") == std::string::npos) {
      if (FInBlockData) FBlock = TBlock::None;
      return;
    }
    if (Header(text)) return;
    if (FBlock == TBlock::None) return;
    const bool first = !FInBlockData;
    FInBlockData = true;
    switch (FBlock) {
      case TBlock::Sections: SectionLine(text); break;
      case TBlock::Segments: SegmentLine(text); break;
      case TBlock::Publics: PublicLine(text); break;
      case TBlock::Lines: LineNumbersLine(text, first); break;
      case TBlock::None: break;
    }
  }

 private:
  bool Header(const std::string& text) {
    if (StartsWith(text, "Program entry point at ")) {
      TAddress address;
      bool code;
      if (Place(text.substr(23), address, code) && code) FMap.EntryPoint = address;
      Enter(TBlock::None);
    } else if (StartsWith(text, "Start ") && Contains(text, " Length ") && Contains(text, " Name ") &&
               Contains(text, " Class")) {
      Enter(TBlock::Sections);
    } else if (Contains(text, "Detailed map of segments")) {
      Enter(TBlock::Segments);
    } else if (Contains(text, "Publics by Value")) {
      Enter(TBlock::Publics);
    } else if (StartsWith(text, "Line numbers for ")) {
      LineNumbersHeader(text);
      Enter(TBlock::Lines);
    } else if (Contains(text, "Publics by Name") || Contains(text, "Bound resource files")) {
      Enter(TBlock::None);
    } else {
      return false;
    }
    return true;
  }

  void Enter(TBlock block) {
    FBlock = block;
    FInBlockData = false;
  }

  void SectionLine(const std::string& text) {
    std::uint32_t length;
    if (Contains(text, ".text") && text.size() > 22 && text[4] == ':' && text[13] == ' ' && text[22] == 'H' &&
        Hex(text, 14, 8, length))
      FTextLength = static_cast<std::uint32_t>((std::uint64_t{length} + 4095) / 4096 * 4096);
    std::uint32_t section;
    if (Contains(text, ".data") && Hex(text, 0, 4, section)) FDataSection = section >= 2 && section <= 9 ? section : 2;
  }

  // "ssss:oooooooo" at the start of text as an absolute address.
  bool Place(const std::string& text, TAddress& address, bool& code) const {
    std::uint32_t section, offset;
    if (text.size() < 13 || text[4] != ':' || !Hex(text, 0, 4, section) || !Hex(text, 5, 8, offset)) return false;
    return Place(section, offset, address, code);
  }

  bool Place(std::uint32_t section, std::uint32_t offset, TAddress& address, bool& code) const {
    code = section < FDataSection;
    if (section == 1)
      address = FMap.Code.Start + offset;
    else if (section >= 2 && section < FDataSection)
      address = FMap.Code.Start + FTextLength + offset;
    else if (section == FDataSection)
      address = FMap.Data.Start + offset;
    else
      return false;
    return true;
  }

  void SegmentLine(const std::string& text) {
    if (text.size() <= 72 || text[4] != ':' || text[13] != ' ' || text[22] != ' ' || text.compare(23, 2, "C=") != 0)
      return;
    std::uint32_t section, offset, length;
    if (!Hex(text, 0, 4, section) || !Hex(text, 5, 8, offset) || !Hex(text, 14, 8, length)) return;
    if (section < 1 || section > FDataSection) return;
    TMfSegment segment;
    if (!Place(section, offset, segment.Start, segment.Code)) return;
    segment.Length = length;
    const std::string fields = TrimmedRight(text);
    segment.Unit = UnitOfSourceName(TrimmedRight(fields.substr(0, fields.find_last_of(' '))));
    FMap.Segments.push_back(segment);
  }

  void PublicLine(const std::string& text) {
    TPendingPublic pending;
    if (!Place(text, pending.Item.Address, pending.Item.Code)) return;
    const std::string name = TrimmedRight(TrimmedLeft(text.substr(13)));
    if (name.empty()) return;
    if (name.size() >= 5 && StartsWith(name, "@$x") && name[4] == '$') return;
    pending.Name = UnmangleName(name);
    FPublics.push_back(pending);
  }

  // "Line numbers for Unit(file) segment .text": the unit has lines.
  void LineNumbersHeader(const std::string& text) {
    const std::string rest = text.substr(17);
    FUnitsWithLines.insert(LowerCase(TrimmedRight(rest.substr(0, rest.find('(')))));
  }

  // Pairs of a line number and section:offset. Out-of-order entries are
  // skipped, except on the first line of the block.
  void LineNumbersLine(const std::string& text, bool firstLine) {
    const std::vector<std::string> fields = Fields(text);
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
      std::uint32_t number;
      TAddress address;
      bool code;
      if (!Decimal(fields[i], number) || fields[i + 1].size() != 13 || !Place(fields[i + 1], address, code)) return;
      if (!code) continue;
      if (!firstLine && !FMap.Lines.empty() && address <= FMap.Lines.back().Address) continue;
      FMap.Lines.push_back({number, address});
    }
  }

  struct TPendingPublic {
    TMfPublic Item;
    TUnmangledName Name;
  };

  TMapFile& FMap;
  std::vector<TPendingPublic> FPublics;  // named once all segments are known
  std::set<std::string> FUnitsWithLines;  // lower case
  TBlock FBlock = TBlock::None;
  bool FInBlockData = false;
  std::uint32_t FTextLength = 0;
  std::uint32_t FDataSection = 2;
};

}  // namespace

bool ReadTextMap(const std::string& text, TMapFile& map) {
  TTextMapReader reader(map);
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    reader.Line(text.substr(at, end - at));
    at = end + 1;
  }
  reader.Finish();
  return !map.Segments.empty() || !map.Publics.empty();
}
