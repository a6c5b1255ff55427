#include "crash/report/ContextSections.h"

#include <algorithm>

#include "crash/report/ReportText.h"
#include "crash/report/ValueTexts.h"

namespace {

constexpr std::uint32_t kBytesPerLine = 16;
constexpr std::uint32_t kDumpLines = 20;

std::string DumpLine(std::uint32_t address, const std::uint8_t* bytes, std::size_t count) {
  std::string line = HexText(address, 8) + "  ";
  std::string characters;
  for (std::size_t i = 0; i < kBytesPerLine; ++i) {
    const bool present = i < count;
    if (i == 8) line += present ? "- " : "  ";
    line += present ? HexText(bytes[i], 2) + ' ' : "   ";
    if (present) characters += bytes[i] >= 33 && bytes[i] <= 126 ? static_cast<char>(bytes[i]) : '.';
  }
  return line + ' ' + characters;
}

}  // namespace

std::string CpuRegistersSection(const TCpuRegisters& r) {
  const std::pair<const char*, std::uint32_t> registers[] = {
      {"eax", r.Eax}, {"ebx", r.Ebx}, {"ecx", r.Ecx}, {"edx", r.Edx}, {"esi", r.Esi},
      {"edi", r.Edi}, {"eip", r.Eip}, {"esp", r.Esp}, {"ebp", r.Ebp}};
  std::vector<std::string> lines;
  for (const auto& [name, value] : registers) lines.push_back(std::string(name) + " = " + HexText(value, 8));
  return JoinLines(lines);
}

std::uint32_t StackDumpLength(std::uint32_t stackPointer, std::uint32_t regionEnd) {
  if (regionEnd <= stackPointer) return 0;
  return std::min(regionEnd - stackPointer, kBytesPerLine * kDumpLines);
}

std::string StackDumpSection(std::uint32_t stackPointer, const std::vector<std::uint8_t>& bytes) {
  const std::size_t total = std::min<std::size_t>(bytes.size(), kBytesPerLine * kDumpLines);
  std::vector<std::string> lines;
  for (std::size_t offset = 0; offset < total; offset += kBytesPerLine)
    lines.push_back(DumpLine(stackPointer + static_cast<std::uint32_t>(offset), bytes.data() + offset,
                             std::min<std::size_t>(kBytesPerLine, total - offset)));
  return JoinLines(lines);
}
