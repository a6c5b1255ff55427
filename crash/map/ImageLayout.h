#pragma once
// The parts of a loaded 32-bit image's headers that map information needs:
// code and data ranges, entry point, sections. Read through a code reader,
// so a live module and a file image in a buffer are read alike.
#include <cstdint>
#include <string>
#include <vector>

#include "crash/map/CodeReader.h"
#include "crash/map/MapFile.h"

constexpr std::uint32_t kSectionCode = 0x20;

struct TImageSection {
  std::string Name;
  std::uint32_t VirtualAddress = 0;
  std::uint32_t VirtualSize = 0;
  std::uint32_t Characteristics = 0;
};

struct TImageLayout {
  bool Valid = false;
  TAddress Base = 0;
  std::uint32_t EntryPoint = 0;  // relative to Base, 0 when none
  std::uint32_t BaseOfCode = 0, SizeOfCode = 0, BaseOfData = 0;
  std::uint32_t SizeOfInitializedData = 0, SizeOfUninitializedData = 0;
  std::uint32_t OptionalHeaderOffset = 0;  // from Base, for the calibration record
  std::vector<TImageSection> Sections;
  std::uint32_t ExportDirectory = 0, ExportDirectorySize = 0;
  std::uint32_t DebugDirectory = 0, DebugDirectorySize = 0;

  // From the first section when it holds code (through the second when that
  // holds code too), else from the optional header's code fields.
  TAddressRange CodeRange() const;
  TAddressRange DataRange() const;
  // Whether the code lies in one section.
  bool CodeInOneSection() const;
};

// Reads the headers of the image loaded (or laid out) at base; Valid is
// false when they are not those of a 32-bit image.
TImageLayout ReadImageLayout(const TCodeReader& reader, TAddress base);
