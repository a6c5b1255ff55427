#include "tests/crash/stack/FakeProcess.h"

#include <cstring>

namespace {

void Put32(std::vector<std::uint8_t>& code, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) code.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// mov edi, edi; push ebp; mov ebp, esp; pop ebp; lea ecx, [esp+4];
// and esp, -16; push [ecx-4]; push ebp; mov ebp, esp; push ecx
const std::vector<std::uint8_t> kRealigningPrologue = {0x8B, 0xFF, 0x55, 0x89, 0xE5, 0x5D, 0x8D, 0x4C, 0x24, 0x04,
                                                       0x83, 0xE4, 0xF0, 0xFF, 0x71, 0xFC, 0x55, 0x89, 0xE5, 0x51};

}  // namespace

int TFakeProcess::AddModule(const std::string& fileName, TStackAddress load,
                            const std::vector<TFakeFunctionSpec>& functions, bool hasMap, bool isExecutable,
                            const std::string& unit) {
  TModule module;
  module.Info.FileName = fileName;
  module.Info.LoadAddress = load;
  module.Info.Described = true;
  module.Info.HasMap = hasMap;
  module.Info.IsExecutable = isExecutable;
  module.Unit = unit;
  const TStackAddress codeStart = load + 0x1000;

  // First pass: starts, so that calls can name later functions.
  std::vector<std::uint8_t> code;
  std::map<std::string, TStackAddress> starts;
  TStackAddress at = codeStart;
  for (const TFakeFunctionSpec& f : functions) {
    starts[f.Name] = at;
    // prologue and epilogue (or just ret)
    std::uint32_t size = f.Frameless ? 1 : f.Realigns ? static_cast<std::uint32_t>(kRealigningPrologue.size()) + 2 : 5;
    for (const TFakeStep& s : f.Steps) size += s.Kind == TFakeStep::Call ? 5 : s.Kind == TFakeStep::CallIndirect ? 2 : 1;
    at += (size + 15) & ~15u;
  }
  for (const TFakeFunctionSpec& f : functions) {
    const TStackAddress start = starts[f.Name];
    while (codeStart + code.size() < start) code.push_back(0xCC);
    auto here = [&] { return static_cast<TStackAddress>(codeStart + code.size()); };
    module.Lines[here()] = f.FirstLine;
    if (f.Realigns)
      code.insert(code.end(), kRealigningPrologue.begin(), kRealigningPrologue.end());
    else if (!f.Frameless)
      code.insert(code.end(), {0x55, 0x89, 0xE5});
    std::vector<TStackAddress>& sites = FSteps[f.Name];
    std::vector<TStackAddress>& returns = FReturns[f.Name];
    for (const TFakeStep& s : f.Steps) {
      sites.push_back(here());
      if (s.Line > 0) module.Lines[here()] = s.Line;
      if (s.Kind == TFakeStep::Call) {
        code.push_back(0xE8);
        const TStackAddress target = starts.count(s.Callee) ? starts[s.Callee] : FStarts.at(s.Callee);
        Put32(code, target - (here() + 4));
      } else if (s.Kind == TFakeStep::CallIndirect) {
        code.insert(code.end(), {0xFF, 0xD0});
      } else if (s.Kind == TFakeStep::Return) {
        code.push_back(0xC3);
      } else {
        code.push_back(0x90);
      }
      returns.push_back(here());
    }
    if (!f.Frameless) code.push_back(0x5D);
    code.push_back(0xC3);
    FStarts[f.Name] = start;
    module.Publics.push_back({f.Name, start, 0});
  }
  const TStackAddress codeEnd = codeStart + static_cast<TStackAddress>(code.size());
  for (std::size_t i = 0; i < module.Publics.size(); ++i)
    module.Publics[i].End = i + 1 < module.Publics.size() ? module.Publics[i + 1].Start : codeEnd;
  module.Info.Code = {codeStart, codeEnd};
  module.Info.Data = {codeEnd + 0x1000, codeEnd + 0x2000};
  if (hasMap) module.Info.Fingerprint = "$" + std::to_string(code.size());

  TRegion headers;
  headers.Base = load;
  headers.Bytes.assign(0x1000, 0);
  headers.AllocationBase = load;
  FRegions.push_back(headers);
  TRegion text;
  text.Base = codeStart;
  text.Bytes = code;
  text.AllocationBase = load;
  FRegions.push_back(text);
  FModules.push_back(module);
  return static_cast<int>(FModules.size()) - 1;
}

TStackAddress TFakeProcess::StepAddress(const std::string& function, std::size_t step) const {
  return FSteps.at(function).at(step);
}
TStackAddress TFakeProcess::ReturnAddress(const std::string& function, std::size_t step) const {
  return FReturns.at(function).at(step);
}
TStackAddress TFakeProcess::FunctionStart(const std::string& function) const { return FStarts.at(function); }

void TFakeProcess::AddHeap(TStackAddress base, std::uint32_t size) {
  TRegion heap;
  heap.Base = base;
  heap.Bytes.assign(size, 0);
  heap.AllocationBase = base;
  FRegions.push_back(heap);
}

void TFakeProcess::AddExport(int module, const std::string& name, TStackAddress address) {
  FModules.at(static_cast<std::size_t>(module)).Exports.push_back({name, address, 0});
}

void TFakeProcess::MapStack(TStackAddress base, const std::vector<std::uint8_t>& bytes) {
  TRegion stack;
  stack.Base = base;
  stack.Bytes = bytes;
  stack.AllocationBase = base;
  FRegions.push_back(stack);
}

const TFakeProcess::TRegion* TFakeProcess::RegionOf(TStackAddress address) const {
  for (const TRegion& r : FRegions)
    if (address >= r.Base && address - r.Base < r.Bytes.size()) return &r;
  return nullptr;
}

bool TFakeProcess::Read(TStackAddress address, void* buffer, std::uint32_t size) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  for (std::uint32_t i = 0; i < size; ++i) {
    const TRegion* r = RegionOf(address + i);
    if (r == nullptr) return false;
    out[i] = r->Bytes[address + i - r->Base];
  }
  return true;
}

TMemoryRegion TFakeProcess::RegionAt(TStackAddress address) {
  TMemoryRegion region;
  const TRegion* r = RegionOf(address);
  if (r == nullptr) return region;
  region.Committed = true;
  region.Base = r->Base;
  region.End = r->Base + static_cast<TStackAddress>(r->Bytes.size());
  region.AllocationBase = r->AllocationBase;
  return region;
}

const TFakeProcess::TModule* TFakeProcess::ModuleOf(TStackAddress address) const {
  const int index = const_cast<TFakeProcess*>(this)->ModuleIndexOf(address);
  return index < 0 ? nullptr : &FModules[static_cast<std::size_t>(index)];
}

int TFakeProcess::ModuleIndexOf(TStackAddress address) {
  for (std::size_t i = 0; i < FModules.size(); ++i) {
    const TStackModule& m = FModules[i].Info;
    if (address >= m.LoadAddress && address < m.Data.End) return static_cast<int>(i);
  }
  return -1;
}

bool TFakeProcess::PublicAt(TStackAddress address, TStackSymbol& symbol) {
  const TModule* m = ModuleOf(address);
  if (m == nullptr || !m->Info.HasMap) return false;
  for (const TStackSymbol& p : m->Publics)
    if (address >= p.Start && address < p.End) {
      symbol = p;
      return true;
    }
  return false;
}

std::string TFakeProcess::UnitAt(TStackAddress address) {
  const TModule* m = ModuleOf(address);
  return m != nullptr && m->Info.HasMap && m->Info.Code.Contains(address) ? m->Unit : std::string();
}

int TFakeProcess::LineAt(TStackAddress address) {
  if (FailLineLookups) throw std::runtime_error("line table damaged");
  const TModule* m = ModuleOf(address);
  if (m == nullptr || !m->Info.HasMap || !m->Info.Code.Contains(address)) return 0;
  auto after = m->Lines.upper_bound(address);
  if (after == m->Lines.begin()) return 0;
  return std::prev(after)->second;
}

void TFakeProcess::SplitName(const std::string& name, std::string& unit, std::string& function) {
  // "Unit.Name" for the tests' own qualified names.
  const auto dot = name.find("::");
  unit = dot == std::string::npos ? std::string() : name.substr(0, dot);
  function = dot == std::string::npos ? name : name.substr(dot + 2);
}

bool TFakeProcess::ExportBelow(int module, TStackAddress address, TStackSymbol& symbol) {
  const TStackSymbol* best = nullptr;
  for (const TStackSymbol& e : FModules.at(static_cast<std::size_t>(module)).Exports)
    if (e.Start <= address && (best == nullptr || e.Start > best->Start)) best = &e;
  if (best == nullptr) return false;
  symbol = *best;
  return true;
}

TDecodedInstruction TFakeProcess::Decode(TStackAddress address) {
  TDecodedInstruction d;
  std::uint8_t b[5] = {};
  if (!Read(address, b, 1)) return d;
  std::uint32_t length = 0;
  switch (b[0]) {
    case 0x55: case 0x5D: case 0xC3: case 0x90: case 0xCC: case 0x51:
      length = 1;
      break;
    case 0x8B:
      if (Read(address, b, 2) && b[1] == 0xFF) length = 2;
      break;
    case 0x8D:
      if (Read(address, b, 4) && b[1] == 0x4C && b[2] == 0x24) length = 4;
      break;
    case 0x83:
      if (Read(address, b, 3) && b[1] == 0xE4) length = 3;
      break;
    case 0x89:
      if (Read(address, b, 2) && b[1] == 0xE5) length = 2;
      break;
    case 0xE8:
      if (Read(address, b, 5)) {
        length = 5;
        d.IsCall = d.HasTarget = true;
        std::uint32_t rel = 0;
        std::memcpy(&rel, b + 1, 4);
        d.Target = address + 5 + rel;
      }
      break;
    case 0xFF:
      if (Read(address, b, 2) && b[1] == 0xD0) {
        length = 2;
        d.IsCall = true;
      } else if (Read(address, b, 3) && b[1] == 0x71) {
        length = 3;  // push [ecx+disp8]
      }
      break;
    default:
      break;
  }
  if (length == 0) return d;
  d.Valid = true;
  d.Length = length;
  d.Next = address + length;
  return d;
}

TStackFunctionInfo TFakeProcess::Analyse(TStackAddress entry) {
  ++AnalyseCount;
  TStackFunctionInfo info;
  TStackAddress at = entry;
  for (int guard = 0; guard < 4096; ++guard) {
    std::uint8_t op = 0;
    const TDecodedInstruction d = Decode(at);
    if (!d.Valid || !Read(at, &op, 1) || op == 0xCC) return TStackFunctionInfo();
    if (d.IsCall) info.Calls.push_back({at, d.Next, d.HasTarget, d.Target});
    at = d.Next;
    if (op == 0xC3) {
      info.Valid = true;
      info.Entry = entry;
      info.CodeBegin = entry;
      info.CodeLength = at - entry;
      info.Areas.push_back({entry, at, TStackAreaKind::Instructions});
      return info;
    }
  }
  return TStackFunctionInfo();
}

void TFakeStack::Push(TStackAddress value) {
  FSp -= 4;
  FWords.push_back(value);
}

void TFakeStack::Call(TStackAddress returnAddress, bool framedCallee) {
  Push(returnAddress);
  if (!framedCallee) return;
  Push(FFrame);
  FFrame = FSp;
}

void TFakeStack::CallRealigning(TStackAddress returnAddress, const std::vector<TStackAddress>& gap) {
  Push(returnAddress);
  for (TStackAddress value : gap) Push(value);
  Call(returnAddress);
}

void TFakeStack::Locals(std::size_t words, TStackAddress fill) {
  for (std::size_t i = 0; i < words; ++i) Push(fill);
}

void TFakeStack::MapInto(TFakeProcess& process) const {
  // The stack region also holds the unused part below the stack pointer.
  constexpr std::uint32_t kSlack = 64;
  std::vector<std::uint8_t> bytes(kSlack + FWords.size() * 4, 0);
  for (std::size_t i = 0; i < FWords.size(); ++i) {
    const std::size_t offset = kSlack + (FWords.size() - 1 - i) * 4;
    std::memcpy(&bytes[offset], &FWords[i], 4);
  }
  process.MapStack(FSp - kSlack, bytes);
}
