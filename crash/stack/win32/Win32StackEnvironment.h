#pragma once
// The tracer's view of this process: guarded memory, the process-wide module
// list with its map information, the exports of modules without map, and the
// instruction decoder. Region and map answers are kept for the length of one
// trace, so a trace asks the system once per region and module. Used by one
// trace at a time (the tracer serialises them).
#include <map>
#include <memory>
#include <vector>

#include "crash/map/Disassembler.h"
#include "crash/map/MapFile.h"
#include "crash/stack/StackEnvironment.h"
#include "crash/stack/ModuleExports.h"

class TWin32StackEnvironment : public IStackEnvironment {
 public:
  bool Read(TStackAddress address, void* buffer, std::uint32_t size) override;
  TMemoryRegion RegionAt(TStackAddress address) override;
  void TraceStarts() override;
  int ModuleIndexOf(TStackAddress address) override;
  const TStackModule& Module(int index) override;
  bool PublicAt(TStackAddress address, TStackSymbol& symbol) override;
  std::string UnitAt(TStackAddress address) override;
  int LineAt(TStackAddress address) override;
  void SplitName(const std::string& name, std::string& unit, std::string& function) override;
  bool ExportBelow(int module, TStackAddress address, TStackSymbol& symbol) override;
  TDecodedInstruction Decode(TStackAddress address) override;
  TStackFunctionInfo Analyse(TStackAddress entry) override;
  TStackAddress IgnoredReturnAddress() override { return 0; }
  TStackAddress UnknownTargetDispatcher() override;

  // What the listing of the function starting at the address draws on: this
  // process's code, the function's export name or else its map name, the
  // map's lines when its module has a map, the frame helpers of that map.
  TDisassemblySources DisassemblySources(TStackAddress functionStart);

 private:
  struct TKnownModule {
    bool Loaded = false;
    TStackModule Info;
    std::shared_ptr<const TMapFile> Map;
    std::unique_ptr<TModuleExports> Exports;
  };
  struct TRegionEntry {
    TMemoryRegion Region;
    bool Image = false;
  };
  const TRegionEntry& RegionEntryAt(TStackAddress address);
  TKnownModule& Known(int index);
  const TMapFile* MapAt(TStackAddress address);
  std::string ExportNameAt(TStackAddress address);
  static TFrameHelpers FrameHelpersOf(const TMapFile& map);

  std::map<TStackAddress, TRegionEntry> FRegions;  // by region end
  std::map<TStackAddress, int> FModuleOfAllocation;
  std::vector<TKnownModule> FModules;
  TRegionEntry FNoRegion;
};

// The one environment of this process.
TWin32StackEnvironment& SystemStackEnvironment();
