#pragma once
// The map sources of a loaded module: its resources, its settings, its debug
// directory and the files beside it.
#include <windows.h>

#include "crash/map/MapSources.h"

// The debug directory's entry type of TD32 data.
constexpr DWORD kTd32DebugType = 9;

class TWin32MapSources : public IMapSources {
 public:
  TWin32MapSources(HMODULE module, std::string path);

  std::optional<std::string> EmbeddedMap() override;
  std::string MinDebugInfo() override;
  std::optional<std::string> DebugDirectoryTd32() override;
  std::optional<std::string> AppendedTd32() override;
  std::optional<std::string> SideFile(const std::string& extension) override;
  std::optional<std::int64_t> SideFileDay(const std::string& extension) override;

 private:
  std::string SidePath(const std::string& extension) const;
  HMODULE FModule;
  std::string FPath;
};

// The bytes of a named resource of a named type, nullopt when missing.
std::optional<std::string> ModuleResource(HMODULE module, const char* name, const char* type);
// The whole of a file, nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// count bytes of a file from offset, or, with offset negative, that far
// before its end; nullopt when they are not all there.
std::optional<std::string> ReadFileRange(const std::string& path, std::int64_t offset, std::size_t count);
