#include "crash/map/win32/ModuleList.h"

#include <windows.h>

#include "crash/TextItems.h"
#include "crash/map/ImageLayout.h"
#include "crash/map/MapLoader.h"
#include "crash/map/win32/ProcessCodeReader.h"
#include "crash/map/win32/Win32MapSources.h"
#include "platform/win32/ModuleFileName.h"

namespace {

std::string WithoutDirectory(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The DOS date and time of the file's last write, 0 when unknown.
std::uint32_t DosWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
    return 0;
  return (static_cast<std::uint32_t>(date) << 16) | time;
}

// The image whose allocation holds the address, when it is one.
std::uintptr_t ImageOfAddress(TAddress address) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address)), &info, sizeof info) == 0)
    return 0;
  if (info.State != MEM_COMMIT || info.Type != MEM_IMAGE || !info.AllocationBase) return 0;
  return reinterpret_cast<std::uintptr_t>(info.AllocationBase);
}

}  // namespace

TModuleList& TModuleList::Instance() {
  static TModuleList list;
  return list;
}

TModuleList::TModuleList() { FEntries.reserve(16); }

int TModuleList::IndexOfAddress(TAddress address) {
  const std::uintptr_t base = ImageOfAddress(address);
  if (base == 0) return -1;
  std::lock_guard<std::mutex> hold(FLock);
  for (std::size_t i = 0; i < FEntries.size(); ++i)
    if (FEntries[i].LoadAddress == base) return static_cast<int>(i);
  const std::string path = ModuleFileName(reinterpret_cast<HMODULE>(base));
  if (path.empty()) return -1;
  const TImageLayout layout = ReadImageLayout(TProcessCodeReader::Instance(), static_cast<TAddress>(base));
  if (!layout.Valid) return -1;
  TModuleEntry entry;
  entry.LoadAddress = base;
  entry.Path = path;
  entry.FileName = WithoutDirectory(path);
  entry.Code = layout.CodeRange();
  entry.Data = layout.DataRange();
  entry.CodeInOneSection = layout.CodeInOneSection();
  if (FEntries.size() == FEntries.capacity()) FEntries.reserve(FEntries.size() * 2);
  FEntries.push_back(entry);
  return static_cast<int>(FEntries.size() - 1);
}

TModuleEntry TModuleList::Entry(int index) {
  std::lock_guard<std::mutex> hold(FLock);
  return index >= 0 && static_cast<std::size_t>(index) < FEntries.size() ? FEntries[index] : TModuleEntry();
}

std::size_t TModuleList::Count() {
  std::lock_guard<std::mutex> hold(FLock);
  return FEntries.size();
}

std::shared_ptr<const TMapFile> TModuleList::MapOfModule(int index) {
  if (index < 0) return nullptr;
  const TModuleEntry entry = Entry(index);
  const std::uint32_t time = DosWriteTime(entry.Path);
  {
    std::lock_guard<std::mutex> hold(FLock);
    for (auto cached = FCache.begin(); cached != FCache.end(); ++cached) {
      if (!SameNameNoCase(cached->FileName, entry.FileName)) continue;
      if (cached->DosTime == time && cached->Map->Module == entry.LoadAddress) return cached->Map;
      FCache.erase(cached);  // the file changed (or loads elsewhere now): read it again
      break;
    }
  }
  TWin32MapSources sources(reinterpret_cast<HMODULE>(entry.LoadAddress), entry.Path);
  TMapModule module{entry.FileName, entry.LoadAddress, entry.Code, entry.Data, entry.CodeInOneSection};
  std::shared_ptr<const TMapFile> map = LoadMapInformation(sources, module);
  // A module without map information is remembered too: probing it costs a
  // resource lookup and several file probes, on every lookup of every frame.
  std::lock_guard<std::mutex> hold(FLock);
  FCache.push_back({entry.FileName, time, map});
  return map;
}

std::shared_ptr<const TMapFile> TModuleList::MapOfAddress(TAddress address) {
  return MapOfModule(IndexOfAddress(address));
}

std::string FunctionNameAt(TAddress address) {
  const auto map = TModuleList::Instance().MapOfAddress(address);
  return map && map->Valid ? map->FunctionNameAt(address) : std::string();
}

void LineOfAddress(TAddress address, int& line, TAddress& lowest, TAddress& highest) {
  if (line > 0 && address >= lowest && address < highest) return;
  const auto map = TModuleList::Instance().MapOfAddress(address);
  if (map && map->Valid) {
    map->LineOfAddress(address, line, lowest, highest);
  } else {
    line = 0;
    lowest = address;
    highest = address + 1;
  }
}
