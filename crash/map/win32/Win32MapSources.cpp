#include "crash/map/win32/Win32MapSources.h"

#include <algorithm>
#include <vector>

#include "crash/TIMESettings.h"
#include "crash/map/MapResource.h"
#include "crash/map/Td32Reader.h"
#include "crash/map/win32/ProcessCodeReader.h"
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

std::optional<std::string> ReadFileRange(const std::string& path, std::int64_t offset, std::size_t count) {
  TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.Get(), &size) || count > 256 * 1024 * 1024) return std::nullopt;
  const std::int64_t start = offset < 0 ? size.QuadPart + offset : offset;
  if (start < 0 || start > size.QuadPart || static_cast<std::int64_t>(count) > size.QuadPart - start)
    return std::nullopt;
  LARGE_INTEGER position;
  position.QuadPart = start;
  if (!SetFilePointerEx(file.Get(), position, nullptr, FILE_BEGIN)) return std::nullopt;
  std::string bytes(count, '\0');
  DWORD read = 0;
  if (count != 0 && (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(count), &read, nullptr) || read != count))
    return std::nullopt;
  return bytes;
}

namespace {

// The module's debug directory entries, read from its mapped headers.
std::vector<IMAGE_DEBUG_DIRECTORY> DebugDirectory(HMODULE module) {
  const TCodeReader& memory = TProcessCodeReader::Instance();
  const auto base = static_cast<TAddress>(reinterpret_cast<std::uintptr_t>(module));
  IMAGE_DOS_HEADER dos;
  IMAGE_NT_HEADERS32 headers;
  if (memory.Read(base, &dos, sizeof dos) != sizeof dos || dos.e_magic != IMAGE_DOS_SIGNATURE) return {};
  if (memory.Read(base + static_cast<TAddress>(dos.e_lfanew), &headers, sizeof headers) != sizeof headers ||
      headers.Signature != IMAGE_NT_SIGNATURE ||
      headers.OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_DEBUG)
    return {};
  const IMAGE_DATA_DIRECTORY& place = headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DEBUG];
  std::vector<IMAGE_DEBUG_DIRECTORY> entries(std::min<std::size_t>(place.Size / sizeof(IMAGE_DEBUG_DIRECTORY), 64));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TAddress at = base + place.VirtualAddress + static_cast<TAddress>(i * sizeof(IMAGE_DEBUG_DIRECTORY));
    if (memory.Read(at, &entries[i], sizeof entries[i]) != sizeof entries[i]) return {};
  }
  return entries;
}

}  // namespace

TWin32MapSources::TWin32MapSources(HMODULE module, std::string path) : FModule(module), FPath(std::move(path)) {}

std::optional<std::string> TWin32MapSources::EmbeddedMap() {
  return ModuleResource(FModule, kMapResourceName, kMapResourceType);
}

std::string TWin32MapSources::MinDebugInfo() {
  const auto settings = SettingsOfModule(SystemSettingsEnvironment(), reinterpret_cast<TModuleHandle>(FModule));
  return settings ? settings->ReadText("MinDebugInfo") : std::string();
}

// The TD32 entry's data is mapped when the linker gave it an address, else
// only in the file.
std::optional<std::string> TWin32MapSources::DebugDirectoryTd32() {
  for (const IMAGE_DEBUG_DIRECTORY& entry : DebugDirectory(FModule)) {
    if (entry.Type != kTd32DebugType || entry.SizeOfData < 8) continue;
    std::optional<std::string> bytes;
    if (entry.AddressOfRawData != 0) {
      std::string mapped(entry.SizeOfData, '\0');
      const auto base = static_cast<TAddress>(reinterpret_cast<std::uintptr_t>(FModule));
      if (TProcessCodeReader::Instance().Read(base + entry.AddressOfRawData, mapped.data(), mapped.size()) ==
          mapped.size())
        bytes = std::move(mapped);
    } else {
      bytes = ReadFileRange(FPath, entry.PointerToRawData, entry.SizeOfData);
    }
    if (bytes && FindTd32Block(*bytes) == 0) return bytes;
  }
  return std::nullopt;
}

std::optional<std::string> TWin32MapSources::AppendedTd32() {
  const std::optional<std::string> tail = ReadFileRange(FPath, -static_cast<std::int64_t>(kTd32TrailerSize), kTd32TrailerSize);
  const std::size_t distance = tail ? Td32TrailerDistance(*tail) : 0;
  if (distance == 0) return std::nullopt;
  return ReadFileRange(FPath, -static_cast<std::int64_t>(distance), distance);
}

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
