#pragma once
// The process-wide list of modules met by any trace, each with its code and
// data ranges and its map information (loaded on first need, cached under the
// module's file name and the time of its last write, reloaded when the file
// changes; the lack of it is cached alike). Any thread: every access holds
// the list's lock.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "crash/map/MapFile.h"

struct TModuleEntry {
  std::uintptr_t LoadAddress = 0;
  std::string FileName;  // without directory
  std::string Path;
  TAddressRange Code;
  TAddressRange Data;
  bool CodeInOneSection = true;
};

class TModuleList {
 public:
  static TModuleList& Instance();

  // Index of the module holding the address (added when first met), or -1
  // when the address lies in no loaded image with a file name and headers.
  int IndexOfAddress(TAddress address);
  TModuleEntry Entry(int index);
  std::size_t Count();

  // The map information of the module holding the address, from the cache
  // or newly loaded; null when the address is in no module. A map that is
  // not Valid (no source gave one) is handed back and cached as well, so the
  // sources are probed again only once the module's file changes.
  std::shared_ptr<const TMapFile> MapOfAddress(TAddress address);
  std::shared_ptr<const TMapFile> MapOfModule(int index);

 private:
  TModuleList();
  std::mutex FLock;
  std::vector<TModuleEntry> FEntries;
  struct TCached {
    std::string FileName;
    std::uint32_t DosTime = 0;
    std::shared_ptr<const TMapFile> Map;
  };
  std::vector<TCached> FCache;
};

// The lookups every part of the reporter calls by address.
std::string FunctionNameAt(TAddress address);
void LineOfAddress(TAddress address, int& line, TAddress& lowest, TAddress& highest);
