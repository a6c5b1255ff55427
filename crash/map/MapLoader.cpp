#include "crash/map/MapLoader.h"

#include <algorithm>

#include "crash/map/JdbgReader.h"
#include "crash/map/MapResource.h"
#include "crash/map/Td32Reader.h"
#include "crash/map/TextMapReader.h"

namespace {

std::unique_ptr<TMapFile> EmptyMap(const TMapModule& module) {
  auto map = std::make_unique<TMapFile>();
  map->FileName = module.FileName;
  map->Module = module.Module;
  map->Code = module.Code;
  map->Data = module.Data;
  return map;
}

// The embedded resource; in the minimal form the full names come from the
// ".ost" file beside the module whose fingerprint is the one the module's
// settings name, else the numbered names stay.
std::unique_ptr<TMapFile> FromEmbedded(IMapSources& sources, const TMapModule& module) {
  const std::optional<std::string> bytes = sources.EmbeddedMap();
  if (!bytes) return nullptr;
  TMapResourceHeader header;
  if (!ParseMapResourceHeader(*bytes, header)) return nullptr;
  if (header.Minimal()) {
    const std::string wanted = sources.MinDebugInfo();
    const std::optional<std::string> side = wanted.empty() ? std::nullopt : sources.SideFile(".ost");
    TMapResourceHeader sideHeader;
    if (side && ParseMapResourceHeader(*side, sideHeader) &&
        MapFingerprint(sideHeader.TotalLength, sideHeader.BuildId1, sideHeader.BuildId2) == wanted) {
      auto map = EmptyMap(module);
      if (ReadMapResource(*side, *map)) return map;
    }
  }
  auto map = EmptyMap(module);
  return ReadMapResource(*bytes, *map) ? std::move(map) : nullptr;
}

std::unique_ptr<TMapFile> FromOstFile(IMapSources& sources, const TMapModule& module) {
  const std::optional<std::string> bytes = sources.SideFile(".ost");
  if (!bytes) return nullptr;
  auto map = EmptyMap(module);
  return ReadMapResource(*bytes, *map) ? std::move(map) : nullptr;
}

// A ".tds" older (by day) than the ".map" beside it is left over from an
// earlier build.
std::optional<std::string> Td32Bytes(IMapSources& sources) {
  if (std::optional<std::string> bytes = sources.DebugDirectoryTd32()) return bytes;
  const std::optional<std::int64_t> tdsDay = sources.SideFileDay(".tds");
  if (!tdsDay) return sources.AppendedTd32();
  const std::optional<std::int64_t> mapDay = sources.SideFileDay(".map");
  if (mapDay && *tdsDay < *mapDay) return sources.AppendedTd32();
  return sources.SideFile(".tds");
}

// TD32 places everything in the first section, so it only serves modules
// whose code lies in one section.
std::unique_ptr<TMapFile> FromTd32(IMapSources& sources, const TMapModule& module) {
  if (!module.CodeInOneSection) return nullptr;
  const std::optional<std::string> bytes = Td32Bytes(sources);
  if (!bytes) return nullptr;
  auto map = EmptyMap(module);
  return ReadTd32(*bytes, *map) ? std::move(map) : nullptr;
}

std::unique_ptr<TMapFile> FromTextMap(IMapSources& sources, const TMapModule& module) {
  const std::optional<std::string> text = sources.SideFile(".map");
  if (!text) return nullptr;
  auto map = EmptyMap(module);
  return ReadTextMap(*text, *map) ? std::move(map) : nullptr;
}

std::unique_ptr<TMapFile> FromJdbgFile(IMapSources& sources, const TMapModule& module) {
  const std::optional<std::string> bytes = sources.SideFile(".jdbg");
  if (!bytes) return nullptr;
  auto map = EmptyMap(module);
  return ReadJdbg(*bytes, *map) ? std::move(map) : nullptr;
}

}  // namespace

std::unique_ptr<TMapFile> LoadMapInformation(IMapSources& sources, const TMapModule& module) {
  using TSource = std::unique_ptr<TMapFile> (*)(IMapSources&, const TMapModule&);
  const TSource order[] = {FromEmbedded, FromTd32, FromTextMap, FromOstFile, FromJdbgFile};
  for (TSource source : order) {
    std::unique_ptr<TMapFile> map = source(sources, module);
    if (!map) continue;
    map->Valid = true;
    map->Sort();
    return map;
  }
  return EmptyMap(module);
}
