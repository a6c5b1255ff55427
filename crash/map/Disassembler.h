#pragma once
// The listing of one function for a crash report: its areas in address
// order, the entry label, jump labels, switch and handler tables, source
// line numbers, the marked instruction and the limit around it. Any thread.
#include <functional>
#include <string>

#include "crash/map/CodeReader.h"
#include "crash/map/FunctionInfo.h"

struct TDisassemblySources {
  const TCodeReader* Reader = nullptr;
  // The function's name: an export's name, else its map name; empty when none.
  std::function<std::string(TAddress)> FunctionName;
  // The source line of an address (0 when unknown); unset when lines cannot
  // be looked up at all.
  std::function<int(TAddress)> LineAt;
  // The name of an exception class, empty when it cannot be named.
  std::function<std::string(TAddress)> ClassName;
  TFrameHelpers Helpers;
};

extern const char* const kDisassemblyOrderError;
extern const char* const kDisassemblyInternalError;

// Empty when the function cannot be analysed. A failure while composing
// gives kDisassemblyInternalError; never raises.
std::string DisassembleFunction(const TDisassemblySources& sources, TAddress functionStart, TAddress markedAddress,
                                bool formatted, int limit);
