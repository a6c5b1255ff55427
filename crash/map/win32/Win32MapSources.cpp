#include "crash/map/win32/Win32MapSources.h"

#include "crash/TIMESettings.h"
#include "crash/map/MapResource.h"
#include "crash/win32/Win32SettingsEnvironment.h"
#include "platform/win32/HandleOwners.h"

std::optional<std::string> ModuleResource(HMODULE module, const char* name, const char* type) {
  HRSRC found = FindResourceA(module, name, type);
  if (!found) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return std::nullopt;
  return std::string(static_cast<const char*>(bytes), size);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 256 * 1024 * 1024) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                         read != bytes.size()))
    return std::nullopt;
  return bytes;
}

TWin32MapSources::TWin32MapSources(HMODULE module, std::string path) : FModule(module), FPath(std::move(path)) {}

std::optional<std::string> TWin32MapSources::EmbeddedMap() {
  return ModuleResource(FModule, kMapResourceName, kMapResourceType);
}

std::string TWin32MapSources::MinDebugInfo() {
  const auto settings = SettingsOfModule(SystemSettingsEnvironment(), reinterpret_cast<TModuleHandle>(FModule));
  return settings ? settings->ReadText("MinDebugInfo") : std::string();
}

std::optional<std::string> TWin32MapSources::DebugDirectoryTd32() { return std::nullopt; }

std::string TWin32MapSources::SidePath(const std::string& extension) const {
  if (extension.empty()) return FPath;
  const std::size_t slash = FPath.find_last_of("\\/");
  const std::size_t dot = FPath.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? FPath.substr(0, dot) : FPath) + extension;
}

std::optional<std::string> TWin32MapSources::SideFile(const std::string& extension) {
  return ReadWholeFile(SidePath(extension));
}

std::optional<std::int64_t> TWin32MapSources::SideFileDay(const std::string& extension) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(SidePath(extension).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  FILETIME local;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  ULARGE_INTEGER ticks;
  ticks.LowPart = local.dwLowDateTime;
  ticks.HighPart = local.dwHighDateTime;
  return static_cast<std::int64_t>(ticks.QuadPart / (10000000ull * 86400ull));
}
