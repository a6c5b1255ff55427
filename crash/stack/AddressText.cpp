#include "crash/stack/AddressText.h"

#include <algorithm>
#include <cstdio>

#include "crash/stack/FunctionFirstLine.h"

namespace {

std::string Hex(TStackAddress value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*x", width, static_cast<unsigned>(value));
  return text;
}

std::string WithMap(IStackEnvironment& env, TStackAddress address, const TStackModule& module,
                    const TAddressTextOptions& options) {
  TStackSymbol symbol;
  const bool named = env.PublicAt(address, symbol);
  std::string unit, function;
  if (named) env.SplitName(symbol.Name, unit, function);
  const std::string segmentUnit = env.UnitAt(address);
  if (!segmentUnit.empty()) unit = segmentUnit;
  std::string text = Hex(address, 8);
  if (options.ShowRelAddrs) text += " +" + Hex(named ? address - symbol.Start : 0, 1);
  text += " " + module.FileName + " " + unit + " ";
  const int line = std::max(0, env.LineAt(address));
  if (line > 0) text += std::to_string(line) + " ";
  if (options.ShowRelLines) {
    const int first = named ? FunctionFirstLine(env, symbol.Start, address) : 0;
    text += "+" + std::to_string(line - first) + " ";
  }
  return text + function;
}

}  // namespace

std::string AddressText(IStackEnvironment& env, TStackAddress address, const TAddressTextOptions& options) {
  try {
    const int module = env.ModuleIndexOf(address);
    if (module >= 0 && env.Module(module).HasMap) return WithMap(env, address, env.Module(module), options);
  } catch (...) {
  }
  return Hex(address, 8) + (options.ShowRelAddrs ? " +0" : "") + " ???";
}

TStackAddress CorrectExceptAddress(IStackEnvironment& env, TFunctionList& functions, bool isAbort,
                                   TStackAddress address) {
  if (isAbort || address == 0) return address;
  try {
    const int module = env.ModuleIndexOf(address);
    TStackSymbol symbol;
    if (module < 0 || !env.Module(module).HasMap || !env.PublicAt(address, symbol)) return address;
    const int f = functions.Add(env, symbol.Start, symbol.Name, module, true);
    if (f < 0) return address;
    auto fits = [&](TStackAddress a) {
      return functions[f].CallReturningTo(a) != nullptr || functions[f].StartsInstruction(env, a);
    };
    if (!fits(address) && fits(address + 4)) return address + 4;
  } catch (...) {
  }
  return address;
}
