#include "crash/stack/StackOutput.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "crash/stack/FunctionFirstLine.h"
#include "crash/stack/StackChecksum.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string HexDigits(std::uint32_t value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*x", width, static_cast<unsigned>(value));
  return text;
}

std::string PadRight(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string PadLeft(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

bool HasLine(const TInternalStackItem& item) { return item.Line > 0 || item.Figure > 0; }

}  // namespace

std::uint32_t StackLineChecksumValue(const TInternalStackItem& item) {
  if (!item.HasFunctionStart || item.ModuleName.empty() || item.FunctionName.empty()) return item.ShownAddress;
  std::uint32_t value = item.ShownAddress - item.FunctionStart;
  value = Crc32Update(value, Lower(item.ModuleName));
  if (!item.UnitName.empty()) value = Crc32Update(value, Lower(item.UnitName));
  return Crc32Update(value, Lower(item.FunctionName));
}

void TStackOutput::Fill(TTraceStackResult& result) {
  bool first = true;
  for (int i = S.Count() - 1; i >= 0; --i) {
    if (!S.Valid(i)) continue;
    S.CheckAbort();
    Name(i, result);
    if (first) result.InnermostAddress = S[i].ShownAddress;
    first = false;
    CutRuntimeFrames(i);
  }
}

void TStackOutput::Name(int i, TTraceStackResult& result) {
  TInternalStackItem& item = S[i];
  const TStackLink* withApproved = nullptr;
  const TStackLink* withSite = nullptr;
  for (const TStackLink& link : item.Up.Entries) {
    if (withApproved == nullptr && S.FunctionApproved(link.Function)) withApproved = &link;
    if (withSite == nullptr && link.CallSite != 0) withSite = &link;
  }
  if (withApproved != nullptr) {
    item.ShownAddress = withApproved->CallSite != 0 ? withApproved->CallSite : item.Address;
    S.Env.SplitName(FunctionName(withApproved->Function), item.UnitName, item.FunctionName);
    item.HasFunctionStart = true;
    item.FunctionStart = S.Functions[withApproved->Function].Info.Entry;
  } else if (withSite != nullptr) {
    item.ShownAddress = withSite->CallSite;
  } else if (item.Down.Best >= 0 && item.Down.Entries[static_cast<std::size_t>(item.Down.Best)].CallSite != 0) {
    item.ShownAddress = item.Down.Entries[static_cast<std::size_t>(item.Down.Best)].CallSite;
  } else {
    item.ShownAddress = OwnCallSite(i);
  }
  if (item.Module < 0) {
    item.ModuleName = "???";
    return;
  }
  const TStackModule& module = S.Env.Module(item.Module);
  item.ModuleName = module.FileName;
  if (module.HasMap) NameFromMap(item);
  if (!module.Fingerprint.empty()) {
    const std::string entry = module.FileName + "|" + module.Fingerprint;
    const std::string key = Lower(entry);
    const bool known = std::any_of(result.Fingerprints.begin(), result.Fingerprints.end(),
                                   [&](const std::string& e) { return Lower(e) == key; });
    if (!known) result.Fingerprints.push_back(entry);
  }
}

void TStackOutput::NameFromMap(TInternalStackItem& item) {
  if (item.FunctionName.empty()) {
    TStackSymbol symbol;
    if (S.Env.PublicAt(item.ShownAddress, symbol)) {
      S.Env.SplitName(symbol.Name, item.UnitName, item.FunctionName);
      item.HasFunctionStart = true;
      item.FunctionStart = symbol.Start;
    }
  }
  const std::string unit = S.Env.UnitAt(item.ShownAddress);
  if (!unit.empty()) item.UnitName = unit;
  const int line = std::max(0, S.Env.LineAt(item.ShownAddress));
  item.Figure = line;
  if (S.In.ShowRelLines && line > 0 && item.HasFunctionStart) {
    const int firstLine = FunctionFirstLine(S.Env, item.FunctionStart, item.ShownAddress);
    if (firstLine > 0) {
      item.Figure = line - firstLine;
      item.Line = line;
    }
  }
}

// A frame stands for its call, never for the instruction after it: the
// return address is only the way the call was found. Only the current
// address and the creation address are shown as they are.
TStackAddress TStackOutput::OwnCallSite(int i) {
  const TInternalStackItem& item = S[i];
  for (const TStackLink& down : item.Down.Entries)
    if (down.CallSite != 0) return down.CallSite;
  if (item.Top || S.IsCreationItem(i) || item.Address < 8) return item.Address;
  // The lengths the call test accepts, the common near call first.
  for (const std::uint32_t length : {5u, 6u, 2u, 3u, 4u, 7u}) {
    const TDecodedInstruction d = S.Env.Decode(item.Address - length);
    if (d.Valid && d.IsCall && d.Next == item.Address) return item.Address - length;
  }
  return item.Address;
}

std::string TStackOutput::FunctionName(int f) {
  const TStackFunction& function = S.Functions[f];
  if (!function.Name.empty() || !S.ModuleHasMap(function.Module)) return function.Name;
  TStackSymbol symbol;
  if (S.Env.PublicAt(function.Info.Entry, symbol) && symbol.Start == function.Info.Entry) return symbol.Name;
  return std::string();
}

// Frames of the language runtime's own throwing and handling say nothing
// about the program; they are cut from the trace.
void TStackOutput::CutRuntimeFrames(int i) {
  const std::string& name = S[i].FunctionName;
  if (S.In.BcbTermination && !FCutThrow && (name == "_ThrowExceptionLDTC" || name == "_ReThrowException")) {
    FCutThrow = true;
    for (int k = i; k < S.Count(); ++k) S[k].Invalid = true;
    return;
  }
  if (FCheckDispatcher && !name.empty()) {
    FCheckDispatcher = false;
    if (name == "KiUserExceptionDispatcher") S[i].Invalid = true;
    return;
  }
  if (S.In.Prepared != nullptr && S.CurrentAppended && !FCutHandler && name == "__ExceptionHandler") {
    FCutHandler = true;
    int innermost = S.Count() - 1;
    while (innermost > i && !S.Valid(innermost)) --innermost;
    for (int k = i; k < S.Count(); ++k)
      if (k != innermost) S[k].Invalid = true;
    FCheckDispatcher = true;
  }
}

bool TStackOutput::GivesLine(int i) const {
  const TInternalStackItem& item = S.Items[static_cast<std::size_t>(i)];
  if (item.Top || S.IsCreationItem(i)) return true;
  if (item.FunctionName.empty()) return false;
  return !S.In.HideUglyItems || HasLine(item);
}

void TStackOutput::Compose(TTraceStackResult& result) {
  std::vector<int> lines;
  for (int i = S.Count() - 1; i >= 0; --i) {
    if (!S.Valid(i) || !GivesLine(i)) continue;
    const bool always = S[i].Top || S.IsCreationItem(i);
    if (!always && !lines.empty() && S[lines.back()].ShownAddress == S[i].ShownAddress) continue;
    lines.push_back(i);
  }

  std::uint32_t largestOffset = 0;
  bool anyOffset = false;
  std::size_t moduleWidth = 0, unitWidth = 0, lineWidth = 0, figureWidth = 0;
  std::vector<std::string> figures;
  for (int i : lines) {
    const TInternalStackItem& item = S[i];
    if (item.HasFunctionStart && item.FunctionStart < item.ShownAddress) {
      anyOffset = true;
      largestOffset = std::max(largestOffset, item.ShownAddress - item.FunctionStart);
    }
    moduleWidth = std::max(moduleWidth, item.ModuleName.size());
    unitWidth = std::max(unitWidth, item.UnitName.size());
    if (item.Line > 0) lineWidth = std::max(lineWidth, std::to_string(item.Line).size());
    std::string figure;
    if (item.Line > 0)
      figure = "+" + std::to_string(item.Figure);
    else if (item.Figure > 0)
      figure = std::to_string(item.Figure);
    figureWidth = std::max(figureWidth, figure.size());
    figures.push_back(figure);
  }
  const bool offsetColumn = S.In.ShowRelAddrs && anyOffset;
  const int offsetDigits = static_cast<int>(HexDigits(largestOffset, 1).size());

  std::string text;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const TInternalStackItem& item = S[lines[n]];
    std::string line = HexDigits(item.ShownAddress, 8) + " ";
    const bool hasOffset = item.HasFunctionStart && item.FunctionStart <= item.ShownAddress;
    const std::uint32_t offset = hasOffset ? item.ShownAddress - item.FunctionStart : 0;
    if (offsetColumn) line += "+" + HexDigits(offset, offsetDigits) + " ";
    line += PadRight(item.ModuleName, moduleWidth + 1);
    line += PadRight(item.UnitName, unitWidth + 1);
    // Right-aligned columns keep their extra blank after the figure, so that
    // the function name never runs into it.
    if (lineWidth > 0) line += PadLeft(item.Line > 0 ? std::to_string(item.Line) : "", lineWidth) + " ";
    if (figureWidth > 0) line += PadLeft(figures[n], figureWidth) + " ";
    line += item.FunctionName;
    if (n > 0) text += "\r\n";
    text += line;

    const std::uint32_t value = StackLineChecksumValue(item);
    if (n == 0) {
      result.Checksum1 = value;
      result.Checksum2 = value;
    } else {
      result.Checksum2 = Crc32UpdateValue(result.Checksum2, value);
    }
    if (HasLine(item)) result.HasLineInformation = true;
    if (S.In.WantStackTrace)
      result.Trace.push_back({item.ShownAddress, offset, item.ModuleName, item.UnitName,
                              item.Line > 0 ? item.Line : item.Figure, item.Line > 0 ? item.Figure : 0,
                              item.FunctionName});
  }
  result.Text = text;

  // The disassembly shows the first named frame, preferring one with a line.
  int chosen = -1;
  for (int i : lines) {
    if (!S[i].HasFunctionStart) continue;
    if (chosen < 0) chosen = i;
    if (!S.In.ShowRelLines || S[i].Line > 0) {
      chosen = i;
      break;
    }
  }
  if (chosen >= 0) {
    result.DisasmFunctionStart = S[chosen].FunctionStart;
    result.DisasmAddress = S[chosen].ShownAddress;
  }
}
