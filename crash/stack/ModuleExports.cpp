#include "crash/stack/ModuleExports.h"

#include <algorithm>
#include <cstdint>

#include "crash/map/ImageLayout.h"

namespace {

// More than any real module exports: a larger count is a damaged directory.
constexpr std::uint32_t kMostExports = 65536;

bool Read32(const TCodeReader& reader, TAddress address, std::uint32_t& value) {
  return reader.Read(address, &value, 4) == 4;
}

std::string ReadName(const TCodeReader& reader, TAddress address) {
  std::string name;
  char chunk[64];
  for (int round = 0; round < 16; ++round) {
    const std::size_t got = reader.Read(address + static_cast<TAddress>(name.size()), chunk, sizeof chunk);
    for (std::size_t i = 0; i < got; ++i) {
      if (chunk[i] == 0) return name;
      name += chunk[i];
    }
    if (got < sizeof chunk) break;
  }
  return name;
}

}  // namespace

TModuleExports::TModuleExports(const TCodeReader& reader, TAddress base) {
  const TImageLayout layout = ReadImageLayout(reader, base);
  if (!layout.Valid) return;
  if (layout.EntryPoint != 0) FEntryPoint = base + layout.EntryPoint;
  if (layout.ExportDirectory == 0 || layout.ExportDirectorySize < 40) return;
  const TAddress directory = base + layout.ExportDirectory;
  std::uint32_t field[11];
  if (reader.Read(directory, field, sizeof field) != sizeof field) return;
  const std::uint32_t ordinalBase = field[4], functionCount = field[5], nameCount = field[6];
  const TAddress functions = base + field[7], names = base + field[8], ordinals = base + field[9];
  if (functionCount > kMostExports || nameCount > kMostExports) return;

  std::vector<std::string> named(functionCount);
  for (std::uint32_t i = 0; i < nameCount; ++i) {
    std::uint32_t nameRva = 0;
    std::uint16_t index = 0;
    if (!Read32(reader, names + 4 * i, nameRva) || reader.Read(ordinals + 2 * i, &index, 2) != 2) return;
    if (index < functionCount) named[index] = ReadName(reader, base + nameRva);
  }
  for (std::uint32_t i = 0; i < functionCount; ++i) {
    std::uint32_t rva = 0;
    if (!Read32(reader, functions + 4 * i, rva)) return;
    // Empty slots and forwarders (which point into the directory) are no code.
    if (rva == 0 || (rva >= layout.ExportDirectory && rva < layout.ExportDirectory + layout.ExportDirectorySize))
      continue;
    const std::string name = named[i].empty() ? "#" + std::to_string(ordinalBase + i) : named[i];
    FExports.push_back({base + rva, name});
  }
  std::stable_sort(FExports.begin(), FExports.end(),
                   [](const TModuleExport& a, const TModuleExport& b) { return a.Address < b.Address; });
}

bool TModuleExports::Below(TAddress address, TModuleExport& found) const {
  auto after = std::upper_bound(FExports.begin(), FExports.end(), address,
                                [](TAddress a, const TModuleExport& e) { return a < e.Address; });
  const TModuleExport* best = after == FExports.begin() ? nullptr : &*std::prev(after);
  if (FEntryPoint != 0 && FEntryPoint <= address && (best == nullptr || FEntryPoint > best->Address)) {
    found = {FEntryPoint, std::string()};
    return true;
  }
  if (best == nullptr) return false;
  found = *best;
  return true;
}
