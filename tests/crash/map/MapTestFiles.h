#pragma once
// Test helpers for the map readers: a module's sources as a test lays them
// out, and writers of the files the readers take in (the linker's text map,
// TD32 debug data and ".jdbg" data), so each test states its content and
// the bytes follow.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "crash/map/MapSources.h"

class TFakeMapSources : public IMapSources {
 public:
  std::optional<std::string> Embedded;
  std::string MinDebug;
  std::optional<std::string> DebugTd32;
  std::map<std::string, std::string> Files;    // by extension; "" is the module's own file
  std::map<std::string, std::int64_t> Days;    // by extension; a file without one has day 1

  std::optional<std::string> EmbeddedMap() override { return Embedded; }
  std::string MinDebugInfo() override { return MinDebug; }
  std::optional<std::string> DebugDirectoryTd32() override { return DebugTd32; }
  std::optional<std::string> AppendedTd32() override;
  std::optional<std::string> SideFile(const std::string& extension) override;
  std::optional<std::int64_t> SideFileDay(const std::string& extension) override;
};

// Lines of the text map, columns as the linker writes them.
std::string MapSectionLine(unsigned section, std::uint32_t start, std::uint32_t length, const std::string& name,
                           const std::string& kind);
std::string MapSegmentLine(unsigned section, std::uint32_t offset, std::uint32_t length, const std::string& module);
std::string MapAddress(unsigned section, std::uint32_t offset);

struct TTd32Segment {
  std::uint16_t Section = 1;
  std::uint32_t Offset = 0;
  std::uint32_t Size = 0;
};

struct TTd32Line {
  std::uint32_t Offset = 0;
  std::uint16_t Line = 0;
};

struct TTd32Symbol {
  std::uint16_t Kind = 0x205;  // global procedure; 0x203 a public
  std::uint16_t Section = 1;
  std::uint32_t Offset = 0;
  std::string Name;
};

struct TTd32Module {
  std::string Name;
  std::string SourceFile;  // empty: no source module subsection
  std::vector<TTd32Segment> Segments;
  std::vector<TTd32Line> Lines;  // in section 1
  std::vector<TTd32Symbol> Symbols;  // module symbols
};

// A TD32 block: names, then per module its module, source module and symbol
// subsections, then the global symbols; the directory at the end.
std::string WriteTd32(const std::vector<TTd32Module>& modules, const std::vector<TTd32Symbol>& globals,
                      const char* signature = "FB09");
// A block of the given subsections (kind, module index, bytes) in that
// order, the directory at the end.
struct TTd32Subsection {
  std::uint16_t Kind = 0;
  std::uint16_t Module = 0;
  std::string Bytes;
};
std::string WriteTd32Block(const std::vector<TTd32Subsection>& subsections, const char* signature = "FB09");
// The block appended to other bytes, with the trailer naming its start.
std::string AppendTd32(const std::string& image, const std::string& block);

struct TJdbgEntry {
  std::uint32_t Offset = 0;  // from the start of the code range
  std::string Name;
};

struct TJdbgLine {
  std::uint32_t Offset = 0;
  std::uint32_t Line = 0;
};

struct TJdbgContent {
  std::vector<TJdbgEntry> Units;
  std::vector<TJdbgEntry> Sources;
  std::vector<TJdbgEntry> Symbols;
  std::vector<TJdbgLine> Lines;
  bool ChecksumValid = true;
};

std::string WriteJdbg(const TJdbgContent& content);
