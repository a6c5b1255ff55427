#include "crash/map/Td32Reader.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "crash/map/ByteView.h"
#include "crash/map/MapNames.h"

namespace {

constexpr std::uint16_t kModule = 0x120;
constexpr std::uint16_t kAlignSymbols = 0x125;
constexpr std::uint16_t kSourceModule = 0x127;
constexpr std::uint16_t kGlobalSymbols = 0x129;
constexpr std::uint16_t kGlobalPublics = 0x12a;
constexpr std::uint16_t kNames = 0x130;

constexpr std::uint16_t kPublic32 = 0x203;
constexpr std::uint16_t kLocalProc32 = 0x204;
constexpr std::uint16_t kGlobalProc32 = 0x205;

constexpr std::uint16_t kCodeSection = 1;
constexpr std::size_t kMostDirectories = 64;

bool Signature(const std::string& bytes, std::size_t at) {
  return bytes.compare(at, 4, "FB09") == 0 || bytes.compare(at, 4, "FB0A") == 0;
}

struct TDirEntry {
  std::uint16_t Kind = 0;
  std::uint16_t Module = 0;
  std::uint32_t Offset = 0;
  std::uint32_t Size = 0;
};

// One subsection, a window on the block: reads inside it only; the first
// read outside marks the whole block as damaged.
class TSubsection {
 public:
  TSubsection(const std::string& bytes, std::size_t begin, std::size_t size, bool& failed)
      : FBytes(bytes), FBegin(begin), FSize(size), FFailed(failed) {}

  std::uint8_t Byte(std::size_t at) { return Inside(at, 1) ? static_cast<std::uint8_t>(FBytes[FBegin + at]) : 0; }
  std::uint16_t Word16(std::size_t at) {
    return Inside(at, 2) ? static_cast<std::uint16_t>(Byte(at) | (Byte(at + 1) << 8)) : 0;
  }
  std::uint32_t Word32(std::size_t at) {
    return Inside(at, 4) ? Word16(at) | (static_cast<std::uint32_t>(Word16(at + 2)) << 16) : 0;
  }
  // A count of entries of entrySize bytes from at that cannot fit is damage.
  bool Fits(std::size_t at, std::size_t count, std::size_t entrySize) {
    if (at <= FSize && count <= (FSize - at) / entrySize) return true;
    FFailed = true;
    return false;
  }
  std::string Text(std::size_t at, std::size_t length) {
    return Inside(at, length) ? FBytes.substr(FBegin + at, length) : std::string();
  }
  // Every entry a reader visits costs one unit; sound data never needs more
  // units than the subsection has bytes, so entries shared over and over
  // are damage rather than a reason to work for ever.
  bool Spend(std::size_t units) {
    if (units <= FSize - FSpent) {
      FSpent += units;
      return true;
    }
    FFailed = true;
    return false;
  }
  std::size_t Size() const { return FSize; }
  bool Failed() const { return FFailed; }

 private:
  bool Inside(std::size_t at, std::size_t count) {
    if (at <= FSize && count <= FSize - at) return true;
    FFailed = true;
    return false;
  }

  const std::string& FBytes;
  const std::size_t FBegin;
  const std::size_t FSize;
  std::size_t FSpent = 0;
  bool& FFailed;
};

class TTd32Reader {
 public:
  TTd32Reader(const std::string& bytes, std::size_t base, TMapFile& map) : FBytes(bytes), FBase(base), FMap(map) {}

  bool Read() {
    if (!Directories()) return false;
    ForEach(kNames, [this](TSubsection& s, const TDirEntry&) { Names(s); });
    ForEach(kSourceModule, [this](TSubsection& s, const TDirEntry& e) { SourceModule(s, e.Module); });
    ForEach(kModule, [this](TSubsection& s, const TDirEntry& e) { Module(s, e.Module); });
    FMap.Sort();  // the publics look up their segments
    for (std::uint16_t kind : {kGlobalSymbols, kAlignSymbols, kGlobalPublics})
      ForEach(kind, [this](TSubsection& s, const TDirEntry& e) { Symbols(s, e.Kind); });
    if (FFailed) return false;
    KeepOnePublicPerAddress();
    return !FMap.Segments.empty() || !FMap.Publics.empty();
  }

 private:
  bool Directories() {
    const TByteView view(FBytes);
    std::uint32_t offset = 0;
    if (!view.Word32(FBase + 4, offset)) return false;
    std::set<std::uint32_t> seen;
    // Subsections do not overlap: together they fit in the block.
    std::size_t total = 0;
    while (offset != 0) {
      if (seen.size() == kMostDirectories || !seen.insert(offset).second) return false;
      const std::size_t at = FBase + offset;
      std::uint16_t headerSize = 0, entrySize = 0;
      std::uint32_t count = 0, next = 0;
      if (!view.Word16(at, headerSize) || !view.Word16(at + 2, entrySize) || !view.Word32(at + 4, count) ||
          !view.Word32(at + 8, next) || entrySize < 12)
        return false;
      const std::size_t first = at + headerSize;
      if (!view.Holds(first, 0) || count > (view.Size() - first) / entrySize) return false;
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = first + std::size_t{i} * entrySize;
        TDirEntry item;
        view.Word16(entry, item.Kind);
        view.Word16(entry + 2, item.Module);
        view.Word32(entry + 4, item.Offset);
        view.Word32(entry + 8, item.Size);
        total += item.Size;
        if (!view.Holds(FBase + item.Offset, item.Size) || total > view.Size() - FBase) return false;
        FEntries.push_back(item);
      }
      offset = next;
    }
    return true;
  }

  template <typename TRead>
  void ForEach(std::uint16_t kind, TRead read) {
    for (const TDirEntry& entry : FEntries) {
      if (FFailed) return;
      if (entry.Kind != kind) continue;
      TSubsection subsection(FBytes, FBase + entry.Offset, entry.Size, FFailed);
      read(subsection, entry);
    }
  }

  void Names(TSubsection& s) {
    const std::uint32_t count = s.Word32(0);
    if (!s.Fits(4, count, 2)) return;
    std::size_t at = 4;
    for (std::uint32_t i = 0; i < count && !s.Failed(); ++i) {
      const std::size_t length = s.Byte(at);
      if (!s.Fits(at + 1, length + 1, 1)) return;
      FNames.push_back(s.Text(at + 1, length));
      at += length + 2;
    }
  }

  std::string Name(std::uint32_t index) const {
    return index >= 1 && index <= FNames.size() ? FNames[index - 1] : std::string();
  }

  void SourceModule(TSubsection& s, std::uint16_t module) {
    const std::uint16_t files = s.Word16(0);
    if (!s.Fits(4, files, 4)) return;
    for (std::uint16_t i = 0; i < files && !s.Failed(); ++i) {
      const std::size_t file = s.Word32(4 + 4u * i);
      const std::uint16_t blocks = s.Word16(file);
      const std::string name = Name(s.Word32(file + 2));
      if (i == 0 && !name.empty()) FSourceNames[module] = name;
      if (!s.Fits(file + 6, blocks, 4) || !s.Spend(blocks)) return;
      for (std::uint16_t j = 0; j < blocks && !s.Failed(); ++j) LineBlock(s, s.Word32(file + 6 + 4u * j), module);
    }
  }

  void LineBlock(TSubsection& s, std::size_t at, std::uint16_t module) {
    const std::uint16_t section = s.Word16(at);
    const std::uint16_t count = s.Word16(at + 2);
    if (!s.Fits(at + 4, count, 6) || !s.Spend(count) || section != kCodeSection) return;
    for (std::uint16_t k = 0; k < count; ++k) {
      const std::uint32_t offset = s.Word32(at + 4 + 4u * k);
      const std::uint16_t line = s.Word16(at + 4 + 4u * count + 2u * k);
      FMap.Lines.push_back({line, FMap.Code.Start + offset});
    }
    if (count > 0) FModulesWithLines.insert(module);
  }

  void Module(TSubsection& s, std::uint16_t module) {
    const std::uint16_t segments = s.Word16(4);
    const std::string name = Name(s.Word32(8));
    if (!s.Fits(28, segments, 12)) return;
    const auto source = FSourceNames.find(module);
    const std::string unit = UnitOfSourceName(source != FSourceNames.end() ? source->second : name);
    const bool hasLines = FModulesWithLines.count(module) != 0;
    for (std::uint16_t i = 0; i < segments; ++i) {
      const std::size_t at = 28 + 12u * i;
      if (s.Word16(at) != kCodeSection) continue;
      TMfSegment segment;
      segment.Start = FMap.Code.Start + s.Word32(at + 4);
      segment.Length = s.Word32(at + 8);
      segment.Unit = unit;
      segment.HasLines = hasLines;
      if (segment.Length != 0) FMap.Segments.push_back(segment);
    }
  }

  // Global symbols and publics carry a 16-byte hash header whose third word
  // is the length of the records; module symbols a 4-byte signature.
  void Symbols(TSubsection& s, std::uint16_t kind) {
    std::size_t at = 4, end = s.Size();
    if (kind != kAlignSymbols) {
      const std::uint32_t length = s.Word32(4);
      if (!s.Fits(16, length, 1)) return;
      at = 16;
      end = 16 + std::size_t{length};
    }
    while (at + 4 <= end && !s.Failed()) {
      const std::uint16_t length = s.Word16(at);
      if (length < 2) return;  // a record must at least hold its kind
      Symbol(s, at, s.Word16(at + 2));
      at += 2 + std::size_t{length};
    }
  }

  void Symbol(TSubsection& s, std::size_t at, std::uint16_t kind) {
    std::size_t offsetAt = 0, sectionAt = 0, nameAt = 0;
    if (kind == kGlobalProc32 || kind == kLocalProc32) {
      offsetAt = at + 28, sectionAt = at + 32, nameAt = at + 38;
    } else if (kind == kPublic32) {
      offsetAt = at + 4, sectionAt = at + 8, nameAt = at + 14;
    } else {
      return;
    }
    if (s.Word16(sectionAt) != kCodeSection) return;
    const std::string name = Name(s.Word32(nameAt));
    if (name.empty() || s.Failed()) return;
    TMfPublic item;
    item.Address = FMap.Code.Start + s.Word32(offsetAt);
    const TMfSegment* segment = FMap.SegmentAt(true, item.Address);
    item.Name = PublicNameInSegment(UnmangleName(name), segment ? segment->Unit : std::string());
    if (!item.Name.empty()) FMap.Publics.push_back(item);
  }

  // A procedure is usually also listed as a public: the first name read
  // (the procedure's) stays.
  void KeepOnePublicPerAddress() {
    std::stable_sort(FMap.Publics.begin(), FMap.Publics.end(),
                     [](const TMfPublic& a, const TMfPublic& b) { return a.Address < b.Address; });
    FMap.Publics.erase(std::unique(FMap.Publics.begin(), FMap.Publics.end(),
                                   [](const TMfPublic& a, const TMfPublic& b) { return a.Address == b.Address; }),
                       FMap.Publics.end());
  }

  const std::string& FBytes;
  const std::size_t FBase;
  TMapFile& FMap;
  bool FFailed = false;
  std::vector<TDirEntry> FEntries;
  std::vector<std::string> FNames;
  std::map<std::uint16_t, std::string> FSourceNames;
  std::set<std::uint16_t> FModulesWithLines;
};

}  // namespace

std::size_t Td32TrailerDistance(const std::string& tail) {
  if (tail.size() != kTd32TrailerSize || !Signature(tail, 0)) return 0;
  std::uint32_t distance = 0;
  TByteView(tail).Word32(4, distance);
  return distance >= 16 ? distance : 0;
}

std::size_t FindTd32Block(const std::string& bytes) {
  if (bytes.size() >= 8 && Signature(bytes, 0)) return 0;
  if (bytes.size() < kTd32TrailerSize) return std::string::npos;
  const std::size_t distance = Td32TrailerDistance(bytes.substr(bytes.size() - kTd32TrailerSize));
  if (distance == 0 || distance > bytes.size()) return std::string::npos;
  const std::size_t start = bytes.size() - distance;
  return Signature(bytes, start) ? start : std::string::npos;
}

bool ReadTd32(const std::string& bytes, TMapFile& map) {
  const std::size_t base = FindTd32Block(bytes);
  if (base == std::string::npos) return false;
  return TTd32Reader(bytes, base, map).Read();
}
