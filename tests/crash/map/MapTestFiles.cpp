#include "tests/crash/map/MapTestFiles.h"

#include <cstdio>

#include "crash/map/Td32Reader.h"

std::optional<std::string> TFakeMapSources::SideFile(const std::string& extension) {
  auto found = Files.find(extension);
  return found == Files.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::optional<std::int64_t> TFakeMapSources::SideFileDay(const std::string& extension) {
  if (!Files.count(extension)) return std::nullopt;
  auto day = Days.find(extension);
  return day == Days.end() ? 1 : day->second;
}

std::optional<std::string> TFakeMapSources::AppendedTd32() {
  auto own = Files.find("");
  if (own == Files.end()) return std::nullopt;
  const std::size_t start = FindTd32Block(own->second);
  if (start == std::string::npos || start == 0) return std::nullopt;
  return own->second.substr(start);
}

namespace {

std::string Format(const char* format, unsigned a, std::uint32_t b, std::uint32_t c) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

std::string Padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

void Put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xffff);
  Put16(out, value >> 16);
}

void Align4(std::string& out) {
  while (out.size() % 4 != 0) out += '\0';
}

}  // namespace

std::string MapSectionLine(unsigned section, std::uint32_t start, std::uint32_t length, const std::string& name,
                           const std::string& kind) {
  return " " + Format("%04X:%08X %08XH ", section, start, length) + Padded(name, 23) + " " + kind;
}

std::string MapSegmentLine(unsigned section, std::uint32_t offset, std::uint32_t length, const std::string& module) {
  const std::string kind = section == 1 ? "C=CODE     S=.text    " : "C=DATA     S=.data    ";
  return " " + Format("%04X:%08X %08X ", section, offset, length) + kind + "G=(none)   M=" + Padded(module, 10) +
         " ACBP=A9";
}

std::string MapAddress(unsigned section, std::uint32_t offset) { return Format("%04X:%08X", section, offset, 0); }

namespace {

// Names are numbered from 1 in the order first asked for.
class TTd32Names {
 public:
  std::uint32_t Index(const std::string& name) {
    for (std::size_t i = 0; i < FNames.size(); ++i)
      if (FNames[i] == name) return static_cast<std::uint32_t>(i + 1);
    FNames.push_back(name);
    return static_cast<std::uint32_t>(FNames.size());
  }
  std::string Subsection() const {
    std::string out;
    Put32(out, static_cast<std::uint32_t>(FNames.size()));
    for (const std::string& name : FNames) {
      out += static_cast<char>(name.size());
      out += name;
      out += '\0';
    }
    return out;
  }

 private:
  std::vector<std::string> FNames;
};

struct TTd32Entry {
  std::uint16_t Kind;
  std::uint16_t Module;
  std::uint32_t Offset;
  std::uint32_t Size;
};

std::string ModuleSubsection(const TTd32Module& module, TTd32Names& names) {
  std::string out;
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<std::uint32_t>(module.Segments.size()));
  Put16(out, 0);
  Put32(out, names.Index(module.Name));
  for (int i = 0; i < 4; ++i) Put32(out, 0);  // time stamp, reserved
  for (const TTd32Segment& segment : module.Segments) {
    Put16(out, segment.Section);
    Put16(out, 0);
    Put32(out, segment.Offset);
    Put32(out, segment.Size);
  }
  return out;
}

// One source file with one line block in section 1.
std::string SourceModuleSubsection(const TTd32Module& module, TTd32Names& names) {
  std::string out;
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, 20);               // the file entry
  Put32(out, 0);
  Put32(out, 0);                // start and end of the segment
  Put16(out, 1);
  Put16(out, 0);                // section, padding
  Put16(out, 1);                // file entry: one line block
  Put32(out, names.Index(module.SourceFile));
  Put32(out, 38);               // the line block
  Put32(out, 0);
  Put32(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<std::uint32_t>(module.Lines.size()));
  for (const TTd32Line& line : module.Lines) Put32(out, line.Offset);
  for (const TTd32Line& line : module.Lines) Put16(out, line.Line);
  return out;
}

std::string SymbolRecords(const std::vector<TTd32Symbol>& symbols, TTd32Names& names) {
  std::string out;
  for (const TTd32Symbol& symbol : symbols) {
    std::string record;
    Put16(record, symbol.Kind);
    if (symbol.Kind == 0x203) {
      Put32(record, symbol.Offset);
      Put16(record, symbol.Section);
      Put32(record, 0);
      Put32(record, names.Index(symbol.Name));
      Put32(record, 0);
    } else {
      for (int i = 0; i < 6; ++i) Put32(record, 0);  // parent, end, next, length, debug start and end
      Put32(record, symbol.Offset);
      Put16(record, symbol.Section);
      Put32(record, 0);
      Put32(record, names.Index(symbol.Name));
      Put32(record, 0);
    }
    Put16(out, static_cast<std::uint32_t>(record.size()));
    out += record;
  }
  return out;
}

std::string GlobalSubsection(const std::string& records) {
  std::string out;
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, static_cast<std::uint32_t>(records.size()));
  Put32(out, 0);
  Put32(out, 0);
  return out + records;
}

}  // namespace

std::string WriteTd32(const std::vector<TTd32Module>& modules, const std::vector<TTd32Symbol>& globals,
                      const char* signature) {
  TTd32Names names;
  std::vector<TTd32Subsection> parts;
  for (std::size_t i = 0; i < modules.size(); ++i) {
    const auto index = static_cast<std::uint16_t>(i + 1);
    if (!modules[i].SourceFile.empty())
      parts.push_back({0x127, index, SourceModuleSubsection(modules[i], names)});
    parts.push_back({0x120, index, ModuleSubsection(modules[i], names)});
    std::string symbols;
    Put32(symbols, 1);
    parts.push_back({0x125, index, symbols + SymbolRecords(modules[i].Symbols, names)});
  }
  std::vector<TTd32Symbol> procedures, publics;
  for (const TTd32Symbol& symbol : globals) (symbol.Kind == 0x203 ? publics : procedures).push_back(symbol);
  parts.push_back({0x129, 0, GlobalSubsection(SymbolRecords(procedures, names))});
  parts.push_back({0x12a, 0, GlobalSubsection(SymbolRecords(publics, names))});
  parts.push_back({0x130, 0, names.Subsection()});
  return WriteTd32Block(parts, signature);
}

std::string WriteTd32Block(const std::vector<TTd32Subsection>& subsections, const char* signature) {
  std::string out = signature;
  Put32(out, 0);  // the directory's offset, set below
  std::vector<TTd32Entry> entries;
  for (const TTd32Subsection& part : subsections) {
    entries.push_back({part.Kind, part.Module, static_cast<std::uint32_t>(out.size()),
                       static_cast<std::uint32_t>(part.Bytes.size())});
    out += part.Bytes;
    Align4(out);
  }
  const auto directory = static_cast<std::uint32_t>(out.size());
  Put16(out, 16);
  Put16(out, 12);
  Put32(out, static_cast<std::uint32_t>(entries.size()));
  Put32(out, 0);
  Put32(out, 0);
  for (const TTd32Entry& entry : entries) {
    Put16(out, entry.Kind);
    Put16(out, entry.Module);
    Put32(out, entry.Offset);
    Put32(out, entry.Size);
  }
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<char>((directory >> (8 * i)) & 0xff);
  return out;
}

std::string AppendTd32(const std::string& image, const std::string& block) {
  std::string out = image + block + "FB09";
  Put32(out, static_cast<std::uint32_t>(block.size() + 8));
  return out;
}

namespace {

void PutPacked(std::string& out, std::uint32_t value) {
  while (value >= 0x80) {
    out += static_cast<char>((value & 0x7f) | 0x80);
    value >>= 7;
  }
  out += static_cast<char>(value);
}

class TJdbgWords {
 public:
  std::uint32_t Offset(const std::string& name) {
    const std::size_t found = FBytes.find(name + '\0');
    if (found != std::string::npos && (found == 0 || FBytes[found - 1] == '\0'))
      return static_cast<std::uint32_t>(found);
    const auto at = static_cast<std::uint32_t>(FBytes.size());
    FBytes += name + '\0';
    return at;
  }
  const std::string& Bytes() const { return FBytes; }

 private:
  std::string FBytes;
};

std::string NamedTable(const std::vector<TJdbgEntry>& entries, TJdbgWords& words) {
  std::string out;
  PutPacked(out, static_cast<std::uint32_t>(entries.size()));
  std::uint32_t previous = 0;
  for (const TJdbgEntry& entry : entries) {
    PutPacked(out, entry.Offset - previous);
    PutPacked(out, words.Offset(entry.Name));
    previous = entry.Offset;
  }
  return out;
}

std::string LineTable(const std::vector<TJdbgLine>& lines) {
  std::string out;
  PutPacked(out, static_cast<std::uint32_t>(lines.size()));
  std::uint32_t previousOffset = 0, previousLine = 0;
  for (const TJdbgLine& line : lines) {
    PutPacked(out, line.Offset - previousOffset);
    const auto step = static_cast<std::int32_t>(line.Line - previousLine);
    PutPacked(out, (static_cast<std::uint32_t>(step) << 1) ^ static_cast<std::uint32_t>(step >> 31));
    previousOffset = line.Offset;
    previousLine = line.Line;
  }
  return out;
}

}  // namespace

std::string WriteJdbg(const TJdbgContent& content) {
  TJdbgWords words;
  const std::string tables[] = {NamedTable(content.Units, words), NamedTable(content.Sources, words),
                                NamedTable(content.Symbols, words), LineTable(content.Lines), words.Bytes()};
  std::string out = "JDBG";
  Put32(out, 1);
  Put32(out, content.ChecksumValid ? 1 : 0);
  Put32(out, 0);  // the checksum, set below
  std::uint32_t offset = 36;
  for (const std::string& table : tables) {
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(table.size());
  }
  for (const std::string& table : tables) out += table;
  Align4(out);
  if (content.ChecksumValid) {
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at < out.size(); at += 4)
      for (int i = 0; i < 4; ++i) sum += static_cast<std::uint32_t>(static_cast<std::uint8_t>(out[at + i])) << (8 * i);
    const std::uint32_t checksum = (sum >> 8) | (sum << 24);
    for (int i = 0; i < 4; ++i) out[12 + i] = static_cast<char>((checksum >> (8 * i)) & 0xff);
  }
  return out;
}
