#include "crash/map/Disassembler.h"

#include <cstdio>
#include <vector>

#include "crash/map/FunctionAnalysis.h"
#include "crash/map/InstructionDecoder.h"
#include "crash/map/InstructionText.h"
#include "crash/map/Unmangle.h"

const char* const kDisassemblyOrderError =
    "Internal error in ParseFunction while composing the disassembling string...  :-(";
const char* const kDisassemblyInternalError = ">> internal error in GetCleartextDisAsm";

namespace {

constexpr std::size_t kCommentColumn = 30;  // zero-based: the 31st column
constexpr std::size_t kMarkColumn = 9;      // the 10th character
const char* const kSeparator = "; ---------------------------------------------------------";

std::string Hex(TAddress value) {
  char text[12];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
  return text;
}

std::string LocLabel(TAddress address) { return "loc_" + Hex(address); }

std::string PaddedTo(std::string text, std::size_t column) {
  if (text.size() < column) text.resize(column, ' ');
  return text;
}

int Digits(long long value) {
  int digits = 1;
  for (long long v = value < 0 ? -value : value; v >= 10; v /= 10) ++digits;
  return digits;
}

struct TLine {
  std::string Text;
  bool Instruction = false;
  bool Marked = false;
};

class TListing {
 public:
  TListing(const TDisassemblySources& sources, const TFunctionInfo& info, TAddress marked, bool formatted)
      : FSources(sources), FInfo(info), FMarked(marked), FFormatted(formatted) {}

  // False when the areas overlap and cannot be put in order.
  bool Compose();
  const std::vector<TLine>& Lines() const { return FLines; }

 private:
  std::string Label() const;
  std::string AreaLabel(TAddress address) const;
  void LineColumn();
  void Add(std::string text, bool instruction = false, bool marked = false) {
    FLines.push_back({std::move(text), instruction, marked});
  }
  void Separator() {
    Add("");
    Add(kSeparator);
    Add("");
  }
  void CaseTable(const TCodeArea& area, bool afterInstruction);
  void HandlerTable(const TCodeArea& area);
  void Instructions(const TCodeArea& area, TAddress lastInstruction);
  std::string WithLineColumn(std::string text, TAddress address);

  const TDisassemblySources& FSources;
  const TFunctionInfo& FInfo;
  TAddress FMarked;
  bool FFormatted;
  std::vector<TLine> FLines;
  int FLineWidth = 0;  // 0: no line column
  int FLastLine = -1;
};

std::string TListing::Label() const {
  const std::string name = FSources.FunctionName ? FSources.FunctionName(FInfo.EntryPoint) : std::string();
  if (name.empty()) return "sub_" + Hex(FInfo.EntryPoint);
  if (name[0] == '@') {
    const TUnmangledName unmangled = UnmangleName(name);
    return "public " + (unmangled.Unit.empty() ? unmangled.Name : unmangled.Unit + "." + unmangled.Name);
  }
  return "public " + name;
}

std::string TListing::AreaLabel(TAddress address) const {
  return address == FInfo.EntryPoint ? Label() : LocLabel(address);
}

void TListing::LineColumn() {
  if (!FSources.LineAt) return;
  int last = FSources.LineAt(FInfo.CodeBegin + FInfo.CodeLength - 1);
  if (last <= 0) last = FSources.LineAt(FMarked) * 10;
  FLineWidth = Digits(last < 0 ? 0 : last);
}

// The line number (zero-padded) where a new source line starts, else blanks,
// placed after the address and its marker column.
std::string TListing::WithLineColumn(std::string text, TAddress address) {
  if (FLineWidth == 0 || text.size() < 11) return text;
  const int line = FSources.LineAt(address);
  std::string column(static_cast<std::size_t>(FLineWidth) + 1, ' ');
  if (line > 0 && line != FLastLine) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%0*d ", FLineWidth, line);
    column = digits;
  }
  if (line > 0) FLastLine = line;
  return text.insert(11, column);
}

void TListing::CaseTable(const TCodeArea& area, bool afterInstruction) {
  if (FFormatted && afterInstruction) Separator();
  for (TAddress at = area.Start; at + 4 <= area.End; at += 4) {
    std::uint8_t b[4] = {};
    FSources.Reader->Read(at, b, 4);
    const TAddress target = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<TAddress>(b[3]) << 24);
    std::string text = "  dd " + LocLabel(target);
    if (at == area.Start) text = PaddedTo(text, kCommentColumn) + "  ; case jump table";
    Add(text);
  }
}

void TListing::HandlerTable(const TCodeArea& area) {
  struct TEntry {
    std::string ClassName;
    TAddress Handler;
  };
  std::vector<TEntry> entries;
  std::size_t widest = 0;
  for (TAddress at = area.Start + 4; at + 8 <= area.End; at += 8) {
    std::uint8_t b[8] = {};
    FSources.Reader->Read(at, b, 8);
    const TAddress classRef = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<TAddress>(b[3]) << 24);
    const TAddress handler = b[4] | (b[5] << 8) | (b[6] << 16) | (static_cast<TAddress>(b[7]) << 24);
    std::string name;
    if (classRef != 0) {
      name = FSources.ClassName ? FSources.ClassName(classRef) : std::string();
      if (name.empty()) name = "EUnknown";
    }
    widest = std::max(widest, name.size());
    entries.push_back({name, handler});
  }
  for (const TEntry& entry : entries) {
    if (entry.ClassName.empty())
      Add("  else" + std::string(widest + 3, ' ') + LocLabel(entry.Handler));  // as wide as "on X do"
    else
      Add("  on " + PaddedTo(entry.ClassName, widest) + " do " + LocLabel(entry.Handler));
  }
}

void TListing::Instructions(const TCodeArea& area, TAddress lastInstruction) {
  for (TAddress at = area.Start; at < area.End;) {
    const TInstruction instruction = DecodeInstruction(*FSources.Reader, at, true);
    if (instruction.Length == 0) break;
    std::string text = instruction.Text;
    if ((instruction.IsCall() || instruction.IsJump()) && instruction.HasTarget) {
      for (const TCodeArea& other : FInfo.Areas)
        if (other.Start == instruction.Target && text.size() > kOperandColumn) {
          text = text.substr(0, kOperandColumn) + AreaLabel(other.Start);
          break;
        }
    }
    const bool marked = at == FMarked;
    if (marked && text.size() > kMarkColumn) text[kMarkColumn] = '>';
    Add(WithLineColumn(text, at), true, marked);
    const bool endsFlow = instruction.Kind == TBranchKind::Return || instruction.Kind == TBranchKind::Jump;
    const bool toFinally = instruction.HasTarget && FSources.Helpers.HandleFinally != 0 &&
                           instruction.Target == FSources.Helpers.HandleFinally;
    if (FFormatted && endsFlow && !toFinally && at != lastInstruction) Separator();
    at = instruction.NextAddress;
  }
}

bool TListing::Compose() {
  for (std::size_t i = 1; i < FInfo.Areas.size(); ++i)
    if (FInfo.Areas[i].Start < FInfo.Areas[i - 1].End) return false;
  LineColumn();
  TAddress lastInstruction = 0;
  for (const TCodeArea& area : FInfo.Areas)
    if (area.Kind == TCodeAreaKind::Instructions)
      for (TAddress at = area.Start; at < area.End;) {
        lastInstruction = at;
        const TInstruction instruction = DecodeInstruction(*FSources.Reader, at);
        if (instruction.Length == 0) break;
        at = instruction.NextAddress;
      }
  bool previousWasInstruction = false;
  for (const TCodeArea& area : FInfo.Areas) {
    if (area.Start == FInfo.EntryPoint) {
      Add(PaddedTo(Label() + ":", kCommentColumn) + "  ; function entry point");
    } else if (FFormatted && area.JumpTarget && area.Kind == TCodeAreaKind::Instructions) {
      if (!FLines.empty() && FLines.back().Instruction) Add("");
      Add(LocLabel(area.Start) + ":");
    }
    switch (area.Kind) {
      case TCodeAreaKind::Instructions:
        Instructions(area, lastInstruction);
        break;
      case TCodeAreaKind::CaseTable:
        CaseTable(area, previousWasInstruction);
        break;
      case TCodeAreaKind::HandlerTable:
        HandlerTable(area);
        break;
    }
    previousWasInstruction = area.Kind == TCodeAreaKind::Instructions;
  }
  return true;
}

// Keeps at most limit lines on each side of the marked line, when the lines
// before it are more than 1.2 times the limit.
std::vector<std::string> Limited(const std::vector<TLine>& lines, int limit) {
  std::vector<std::string> out;
  std::size_t marked = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].Marked) {
      marked = i;
      break;
    }
  if (limit <= 0 || marked == lines.size()) {
    for (const TLine& line : lines) out.push_back(line.Text);
    return out;
  }
  const std::size_t upToMarked = marked + 1;
  const std::size_t keep = static_cast<std::size_t>(limit);
  std::size_t first = 0;
  if (upToMarked > keep * 12 / 10) {
    first = marked - keep;
    out.push_back("[...]");
  }
  const std::size_t last = std::min(lines.size(), marked + 1 + keep);
  for (std::size_t i = first; i < last; ++i) out.push_back(lines[i].Text);
  if (last < lines.size()) out.push_back("[...]");
  return out;
}

}  // namespace

std::string DisassembleFunction(const TDisassemblySources& sources, TAddress functionStart, TAddress markedAddress,
                                bool formatted, int limit) {
  try {
    if (!sources.Reader) return std::string();
    const TFunctionInfo info = AnalyseFunction(*sources.Reader, functionStart, sources.Helpers);
    if (!info.Valid) return std::string();
    TListing listing(sources, info, markedAddress, formatted);
    if (!listing.Compose()) return kDisassemblyOrderError;
    std::string text;
    for (const std::string& line : Limited(listing.Lines(), limit)) text += line + "\r\n";
    if (!text.empty()) text.resize(text.size() - 2);
    return text;
  } catch (...) {
    return kDisassemblyInternalError;
  }
}
