#include "crash/map/FunctionAnalysis.h"

#include <algorithm>
#include <map>
#include <set>

#include "crash/map/InstructionDecoder.h"

const TCodeArea* TFunctionInfo::AreaAt(TAddress address) const {
  for (const TCodeArea& area : Areas)
    if (area.Kind == TCodeAreaKind::Instructions && address >= area.Start && address < area.End) return &area;
  return nullptr;
}

bool TFunctionInfo::IsReturnAddress(TAddress address) const {
  for (const TKnownCall& call : KnownCalls)
    if (call.ReturnAddress == address) return true;
  for (const TUnknownCall& call : UnknownCalls)
    if (call.ReturnAddress == address) return true;
  return false;
}

namespace {

bool ReadWord(const TCodeReader& reader, TAddress at, TAddress& value) {
  std::uint8_t bytes[4];
  if (reader.Read(at, bytes, 4) != 4) return false;
  value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<TAddress>(bytes[3]) << 24);
  return true;
}

// "cmp reg, imm" in the forms compilers use before a switch table.
bool CompareBound(const TCodeReader& reader, const TInstruction& instruction, std::uint32_t& bound) {
  std::uint8_t b[6] = {};
  const std::size_t got = reader.Read(instruction.Address, b, std::min<std::size_t>(instruction.Length, 6));
  if (got != instruction.Length) return false;
  if (instruction.Length == 3 && b[0] == 0x83 && (b[1] & 0xf8) == 0xf8) {
    bound = b[2];
    return b[2] < 0x80;
  }
  if (instruction.Length == 6 && b[0] == 0x81 && (b[1] & 0xf8) == 0xf8) {
    bound = b[2] | (b[3] << 8) | (b[4] << 16) | (static_cast<std::uint32_t>(b[5]) << 24);
    return true;
  }
  if (instruction.Length == 5 && b[0] == 0x3d) {
    bound = b[1] | (b[2] << 8) | (b[3] << 16) | (static_cast<std::uint32_t>(b[4]) << 24);
    return true;
  }
  return false;
}

class TFunctionWalk {
 public:
  TFunctionWalk(const TCodeReader& reader, const TFrameHelpers& helpers, const TAnalysisLimits& limits)
      : FReader(reader), FHelpers(helpers), FLimits(limits) {}

  TFunctionInfo Run(TAddress entry);

 private:
  void WalkPath(TAddress address, TAddress entry);
  void CaseTable(TAddress table, bool bounded, std::uint32_t bound, TAddress entry);
  void HandlerTable(TAddress table);
  void Target(TAddress target) {
    FJumpTargets.insert(target);
    FWork.push_back(target);
  }
  bool ContinuesAfterJumpTo(TAddress target) const {
    return target != 0 && (target == FHelpers.HandleFinally || target == FHelpers.HandleAnyException ||
                           target == FHelpers.HandleAutoException);
  }
  std::vector<TCodeArea> InstructionAreas() const;

  const TCodeReader& FReader;
  const TFrameHelpers& FHelpers;
  const TAnalysisLimits& FLimits;
  std::map<TAddress, TAddress> FInstructions;  // start -> next
  std::set<TAddress> FJumpTargets;
  std::vector<TAddress> FWork;
  std::vector<TCodeArea> FTables;
  TFunctionInfo FInfo;
};

void TFunctionWalk::WalkPath(TAddress address, TAddress entry) {
  bool bounded = false;
  std::uint32_t bound = 0;
  for (;;) {
    if (FInstructions.count(address) || FInstructions.size() >= FLimits.MaxInstructions) return;
    const TInstruction instruction = DecodeInstruction(FReader, address);
    if (!instruction.Valid) return;
    FInstructions[address] = instruction.NextAddress;
    std::uint32_t compared = 0;
    if (CompareBound(FReader, instruction, compared)) {
      bounded = true;
      bound = compared;
    }
    switch (instruction.Kind) {
      case TBranchKind::Call:
        if (instruction.HasTarget)
          FInfo.KnownCalls.push_back({address, instruction.NextAddress, instruction.Target});
        else
          FInfo.UnknownCalls.push_back({address, instruction.NextAddress});
        if (instruction.HasTarget && FHelpers.Halt0 != 0 && instruction.Target == FHelpers.Halt0) return;
        break;
      case TBranchKind::ConditionalJump:
        if (instruction.HasTarget) Target(instruction.Target);
        break;
      case TBranchKind::Jump:
        if (instruction.HasTarget && ContinuesAfterJumpTo(instruction.Target)) break;
        if (instruction.HasTarget && FHelpers.HandleOnException != 0 &&
            instruction.Target == FHelpers.HandleOnException) {
          HandlerTable(instruction.NextAddress);
          return;
        }
        if (instruction.HasTarget) Target(instruction.Target);
        if (instruction.HasJumpTable) CaseTable(instruction.JumpTable, bounded, bound, entry);
        return;
      case TBranchKind::Return:
      case TBranchKind::Stop:
        return;
      case TBranchKind::None:
        break;
    }
    address = instruction.NextAddress;
    if (FLimits.FallThroughEnd != 0 && entry < FLimits.FallThroughEnd && address >= FLimits.FallThroughEnd) return;
  }
}

// Without a compare before it, the table ends at the first entry that does
// not lead to an instruction near the function.
void TFunctionWalk::CaseTable(TAddress table, bool bounded, std::uint32_t bound, TAddress entry) {
  const std::uint32_t most = bounded ? std::min(bound + 1, FLimits.MaxCaseEntries) : FLimits.MaxCaseEntries;
  std::uint32_t count = 0;
  for (; count < most; ++count) {
    TAddress target = 0;
    if (!ReadWord(FReader, table + 4 * count, target)) break;
    if (!bounded) {
      const TAddress distance = target > entry ? target - entry : entry - target;
      if (distance > 0x100000 || !DecodeInstruction(FReader, target).Valid) break;
    }
    Target(target);
  }
  if (count != 0) FTables.push_back({table, table + 4 * count, TCodeAreaKind::CaseTable, false});
}

void TFunctionWalk::HandlerTable(TAddress table) {
  TAddress count = 0;
  if (!ReadWord(FReader, table, count) || count > 256) return;
  TAddress end = table + 4;
  for (TAddress i = 0; i < count; ++i, end += 8) {
    TAddress handler = 0;
    if (!ReadWord(FReader, end + 4, handler)) break;
    Target(handler);
  }
  FTables.push_back({table, end, TCodeAreaKind::HandlerTable, false});
}

// Runs of instructions laid end to end; a jump target starts a new one.
std::vector<TCodeArea> TFunctionWalk::InstructionAreas() const {
  std::vector<TCodeArea> areas;
  for (const auto& [start, next] : FInstructions) {
    if (areas.empty() || areas.back().End != start || FJumpTargets.count(start))
      areas.push_back({start, next, TCodeAreaKind::Instructions, FJumpTargets.count(start) != 0});
    else
      areas.back().End = next;
  }
  return areas;
}

TFunctionInfo TFunctionWalk::Run(TAddress entry) {
  FInfo.EntryPoint = entry;
  FWork.push_back(entry);
  while (!FWork.empty()) {
    const TAddress next = FWork.back();
    FWork.pop_back();
    WalkPath(next, entry);
  }
  if (!FInstructions.count(entry)) return FInfo;
  FInfo.Valid = true;
  FInfo.Areas = InstructionAreas();
  FInfo.CodeBegin = FInfo.Areas.front().Start;
  FInfo.CodeLength = FInfo.Areas.back().End - FInfo.CodeBegin;
  FInfo.Areas.insert(FInfo.Areas.end(), FTables.begin(), FTables.end());
  std::stable_sort(FInfo.Areas.begin(), FInfo.Areas.end(),
                   [](const TCodeArea& a, const TCodeArea& b) { return a.Start < b.Start; });
  return FInfo;
}

}  // namespace

TFunctionInfo AnalyseFunction(const TCodeReader& reader, TAddress entry, const TFrameHelpers& helpers,
                              const TAnalysisLimits& limits) {
  return TFunctionWalk(reader, helpers, limits).Run(entry);
}
