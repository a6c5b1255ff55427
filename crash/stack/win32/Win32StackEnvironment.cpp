#include "crash/stack/win32/Win32StackEnvironment.h"

#include <windows.h>

#include <algorithm>

#include "crash/map/FunctionAnalysis.h"
#include "crash/map/InstructionDecoder.h"
#include "crash/map/Unmangle.h"
#include "crash/map/win32/ModuleList.h"
#include "crash/map/win32/ProcessCodeReader.h"

namespace {

const TCodeReader& Reader() { return TProcessCodeReader::Instance(); }

TStackAddress ToAddress(const void* p) { return static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(p)); }

TStackRange RangeOf(const TAddressRange& range) { return {range.Start, range.End()}; }

}  // namespace

TWin32StackEnvironment& SystemStackEnvironment() {
  static TWin32StackEnvironment environment;
  return environment;
}

bool TWin32StackEnvironment::Read(TStackAddress address, void* buffer, std::uint32_t size) {
  return Reader().Read(address, buffer, size) == size;
}

void TWin32StackEnvironment::TraceStarts() {
  FRegions.clear();
  FModuleOfAllocation.clear();
  for (TKnownModule& module : FModules) {
    module.Loaded = false;
    module.Map.reset();
  }
}

const TWin32StackEnvironment::TRegionEntry& TWin32StackEnvironment::RegionEntryAt(TStackAddress address) {
  const auto after = FRegions.upper_bound(address);
  if (after != FRegions.end() && after->second.Region.Base <= address) return after->second;
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address)), &info, sizeof info) == 0)
    return FNoRegion;
  TRegionEntry entry;
  entry.Region.Committed = info.State == MEM_COMMIT;
  entry.Region.Base = ToAddress(info.BaseAddress);
  entry.Region.End = entry.Region.Base + static_cast<TStackAddress>(info.RegionSize);
  entry.Region.AllocationBase = ToAddress(info.AllocationBase);
  entry.Image = info.Type == MEM_IMAGE;
  // A region that ends at the top of the address space is not kept.
  if (entry.Region.End <= entry.Region.Base) return FNoRegion;
  return FRegions[entry.Region.End] = entry;
}

TMemoryRegion TWin32StackEnvironment::RegionAt(TStackAddress address) { return RegionEntryAt(address).Region; }

int TWin32StackEnvironment::ModuleIndexOf(TStackAddress address) {
  const TRegionEntry& region = RegionEntryAt(address);
  if (!region.Region.Committed || !region.Image || region.Region.AllocationBase == 0) return -1;
  const TStackAddress base = region.Region.AllocationBase;
  const auto known = FModuleOfAllocation.find(base);
  if (known != FModuleOfAllocation.end()) return known->second;
  const int index = TModuleList::Instance().IndexOfAddress(base);
  FModuleOfAllocation[base] = index;
  return index;
}

TWin32StackEnvironment::TKnownModule& TWin32StackEnvironment::Known(int index) {
  if (static_cast<std::size_t>(index) >= FModules.size()) FModules.resize(static_cast<std::size_t>(index) + 1);
  TKnownModule& known = FModules[static_cast<std::size_t>(index)];
  if (known.Loaded) return known;
  known.Loaded = true;
  const TModuleEntry entry = TModuleList::Instance().Entry(index);
  known.Map = TModuleList::Instance().MapOfModule(index);
  if (known.Map && !known.Map->Valid) known.Map.reset();
  TStackModule& info = known.Info;
  info.FileName = entry.FileName;
  info.LoadAddress = static_cast<TStackAddress>(entry.LoadAddress);
  info.Described = !entry.FileName.empty();
  info.Code = RangeOf(entry.Code);
  info.Data = RangeOf(entry.Data);
  info.HasMap = known.Map != nullptr;
  info.IsExecutable = entry.LoadAddress == reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr));
  info.Fingerprint = known.Map ? known.Map->Fingerprint : std::string();
  if (!known.Exports || known.Exports->All().empty())
    known.Exports = std::make_unique<TModuleExports>(Reader(), info.LoadAddress);
  return known;
}

const TStackModule& TWin32StackEnvironment::Module(int index) { return Known(index).Info; }

const TMapFile* TWin32StackEnvironment::MapAt(TStackAddress address) {
  const int index = ModuleIndexOf(address);
  return index < 0 ? nullptr : Known(index).Map.get();
}

bool TWin32StackEnvironment::PublicAt(TStackAddress address, TStackSymbol& symbol) {
  const TMapFile* map = MapAt(address);
  const TMfPublic* found = map ? map->PublicAt(address) : nullptr;
  if (found == nullptr) return false;
  symbol.Name = found->Name;
  symbol.Start = found->Address;
  // The next public ends it; the last one ends with the code.
  const std::size_t next = static_cast<std::size_t>(found - map->Publics.data()) + 1;
  symbol.End = next < map->Publics.size() ? map->Publics[next].Address : map->Code.End();
  return true;
}

std::string TWin32StackEnvironment::UnitAt(TStackAddress address) {
  const TMapFile* map = MapAt(address);
  return map ? map->UnitAt(address) : std::string();
}

int TWin32StackEnvironment::LineAt(TStackAddress address) {
  const TMapFile* map = MapAt(address);
  return map ? map->LineAt(address) : 0;
}

void TWin32StackEnvironment::SplitName(const std::string& name, std::string& unit, std::string& function) {
  TUnmangledName split = UnmangleName(name);
  unit = std::move(split.Unit);
  function = std::move(split.Name);
}

bool TWin32StackEnvironment::ExportBelow(int module, TStackAddress address, TStackSymbol& symbol) {
  if (module < 0) return false;
  TModuleExport found;
  if (!Known(module).Exports->Below(address, found)) return false;
  symbol.Name = found.Name;
  symbol.Start = found.Address;
  symbol.End = 0;
  return true;
}

TDecodedInstruction TWin32StackEnvironment::Decode(TStackAddress address) {
  const TInstruction instruction = DecodeInstruction(Reader(), address);
  TDecodedInstruction decoded;
  decoded.Valid = instruction.Valid;
  decoded.Length = instruction.Length;
  decoded.Next = instruction.NextAddress;
  decoded.IsCall = instruction.IsCall();
  decoded.IsJump = instruction.IsJump();
  decoded.HasTarget = instruction.HasTarget;
  decoded.Target = instruction.Target;
  return decoded;
}

TStackFunctionInfo TWin32StackEnvironment::Analyse(TStackAddress entry) {
  TFrameHelpers helpers;
  TAnalysisLimits limits;
  if (const TMapFile* map = MapAt(entry)) {
    helpers = FrameHelpersOf(*map);
    // Falling through into the next public leaves the function.
    TStackSymbol symbol;
    if (PublicAt(entry, symbol) && symbol.Start == entry) limits.FallThroughEnd = symbol.End;
  }
  const TFunctionInfo found = AnalyseFunction(Reader(), entry, helpers, limits);
  TStackFunctionInfo info;
  info.Valid = found.Valid;
  info.Entry = found.EntryPoint;
  info.CodeBegin = found.CodeBegin;
  info.CodeLength = found.CodeLength;
  for (const TCodeArea& area : found.Areas) {
    const TStackAreaKind kind = area.Kind == TCodeAreaKind::Instructions ? TStackAreaKind::Instructions
                                : area.Kind == TCodeAreaKind::CaseTable  ? TStackAreaKind::CaseTable
                                                                         : TStackAreaKind::HandlerTable;
    info.Areas.push_back({area.Start, area.End, kind});
  }
  for (const TKnownCall& call : found.KnownCalls) info.Calls.push_back({call.CallSite, call.ReturnAddress, true, call.Target});
  for (const TUnknownCall& call : found.UnknownCalls) info.Calls.push_back({call.CallSite, call.ReturnAddress, false, 0});
  return info;
}

TFrameHelpers TWin32StackEnvironment::FrameHelpersOf(const TMapFile& map) {
  TFrameHelpers helpers;
  helpers.HandleOnException = map.PublicByName(true, "System", "@HandleOnException", true);
  helpers.HandleAutoException = map.PublicByName(true, "System", "@HandleAutoException", true);
  helpers.HandleFinally = map.PublicByName(true, "System", "@HandleFinally", true);
  helpers.Halt0 = map.PublicByName(true, "System", "@Halt0", true);
  helpers.HandleAnyException = map.PublicByName(true, "System", "@HandleAnyException", true);
  return helpers;
}

TDisassemblySources TWin32StackEnvironment::DisassemblySources(TStackAddress functionStart) {
  TDisassemblySources sources;
  sources.Reader = &Reader();
  std::string name = ExportNameAt(functionStart);
  if (name.empty()) name = FunctionNameAt(functionStart);
  sources.FunctionName = [name, functionStart](TAddress at) { return at == functionStart ? name : std::string(); };
  const int module = ModuleIndexOf(functionStart);
  std::shared_ptr<const TMapFile> map = module < 0 ? nullptr : Known(module).Map;
  if (map) {
    sources.Helpers = FrameHelpersOf(*map);
    sources.LineAt = [map](TAddress at) { return std::max(map->LineAt(at), 0); };
  }
  return sources;
}

// The name of an export that starts exactly there ("#" and its ordinal when
// it has none); a linker name of the older form is written unit "." name.
std::string TWin32StackEnvironment::ExportNameAt(TStackAddress address) {
  const int module = ModuleIndexOf(address);
  TModuleExport found;
  if (module < 0 || !Known(module).Exports->Below(address, found)) return {};
  if (found.Address != address || found.Name.empty()) return {};
  if (found.Name[0] != '@') return found.Name;
  const TUnmangledName split = UnmangleName(found.Name);
  return split.Unit.empty() ? split.Name : split.Unit + "." + split.Name;
}

TStackAddress TWin32StackEnvironment::UnknownTargetDispatcher() {
  // Only the 9x systems reach window procedures this way.
  if ((GetVersion() & 0x80000000u) == 0) return 0;
  const HMODULE user = GetModuleHandleW(L"user32.dll");
  return user ? static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(GetProcAddress(user, "DispatchMessageA")))
              : 0;
}
