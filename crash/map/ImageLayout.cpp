#include "crash/map/ImageLayout.h"

namespace {

bool ReadWord(const TCodeReader& reader, TAddress at, std::uint32_t& value) {
  std::uint8_t bytes[4];
  if (reader.Read(at, bytes, 4) != 4) return false;
  value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
  return true;
}

bool ReadHalf(const TCodeReader& reader, TAddress at, std::uint32_t& value) {
  std::uint8_t bytes[2];
  if (reader.Read(at, bytes, 2) != 2) return false;
  value = bytes[0] | (bytes[1] << 8);
  return true;
}

constexpr std::uint32_t kPeSignature = 0x00004550;
constexpr std::uint32_t kPe32Magic = 0x10b;
constexpr std::uint32_t kMaxSections = 96;

}  // namespace

TImageLayout ReadImageLayout(const TCodeReader& reader, TAddress base) {
  TImageLayout layout;
  layout.Base = base;
  std::uint32_t mz = 0, peOffset = 0, signature = 0, sections = 0, optionalSize = 0, magic = 0;
  if (!ReadHalf(reader, base, mz) || mz != 0x5a4d) return layout;
  if (!ReadWord(reader, base + 0x3c, peOffset) || peOffset > 0x10000000) return layout;
  const TAddress pe = base + peOffset;
  if (!ReadWord(reader, pe, signature) || signature != kPeSignature) return layout;
  if (!ReadHalf(reader, pe + 6, sections) || !ReadHalf(reader, pe + 20, optionalSize)) return layout;
  const TAddress optional = pe + 24;
  if (!ReadHalf(reader, optional, magic) || magic != kPe32Magic || sections > kMaxSections) return layout;
  layout.OptionalHeaderOffset = optional - base;
  std::uint32_t directories = 0;
  const bool read = ReadWord(reader, optional + 4, layout.SizeOfCode) &&
                    ReadWord(reader, optional + 8, layout.SizeOfInitializedData) &&
                    ReadWord(reader, optional + 12, layout.SizeOfUninitializedData) &&
                    ReadWord(reader, optional + 16, layout.EntryPoint) &&
                    ReadWord(reader, optional + 20, layout.BaseOfCode) &&
                    ReadWord(reader, optional + 24, layout.BaseOfData) &&
                    ReadWord(reader, optional + 92, directories);
  if (!read) return layout;
  if (directories > 0) {
    ReadWord(reader, optional + 96, layout.ExportDirectory);
    ReadWord(reader, optional + 100, layout.ExportDirectorySize);
  }
  if (directories > 6) {
    ReadWord(reader, optional + 96 + 6 * 8, layout.DebugDirectory);
    ReadWord(reader, optional + 100 + 6 * 8, layout.DebugDirectorySize);
  }
  const TAddress table = optional + optionalSize;
  for (std::uint32_t i = 0; i < sections; ++i) {
    const TAddress at = table + i * 40;
    char name[9] = {};
    TImageSection section;
    if (reader.Read(at, name, 8) != 8 || !ReadWord(reader, at + 8, section.VirtualSize) ||
        !ReadWord(reader, at + 12, section.VirtualAddress) || !ReadWord(reader, at + 36, section.Characteristics))
      return layout;
    section.Name = name;
    layout.Sections.push_back(section);
  }
  layout.Valid = true;
  return layout;
}

TAddressRange TImageLayout::CodeRange() const {
  if (!Sections.empty() && (Sections[0].Characteristics & kSectionCode)) {
    TAddressRange range{Base + Sections[0].VirtualAddress, Sections[0].VirtualSize};
    if (Sections.size() > 1 && (Sections[1].Characteristics & kSectionCode))
      range.Length = Sections[1].VirtualAddress + Sections[1].VirtualSize - Sections[0].VirtualAddress;
    return range;
  }
  return {Base + BaseOfCode, SizeOfCode};
}

TAddressRange TImageLayout::DataRange() const {
  return {Base + BaseOfData, SizeOfInitializedData + SizeOfUninitializedData};
}

bool TImageLayout::CodeInOneSection() const {
  int code = 0;
  for (const TImageSection& section : Sections)
    if (section.Characteristics & kSectionCode) ++code;
  return code == 1;
}
