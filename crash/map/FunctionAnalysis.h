#pragma once
// Analysis of a function from its entry point: decodes along every path
// (jumps, conditional jumps, switch tables as the compiler emits them:
// "cmp reg, n; ja default; ... jmp [table + reg*4]") and ends each path at a
// return, an unconditional jump, an instruction that stops, or bytes that
// form no instruction. Any thread.
#include "crash/map/CodeReader.h"
#include "crash/map/FunctionInfo.h"

struct TAnalysisLimits {
  // Falling through to this address (the next function) ends a path; jumps
  // may still lead beyond it. 0: no such limit.
  TAddress FallThroughEnd = 0;
  std::uint32_t MaxInstructions = 65536;
  std::uint32_t MaxCaseEntries = 1024;
};

TFunctionInfo AnalyseFunction(const TCodeReader& reader, TAddress entry, const TFrameHelpers& helpers = {},
                              const TAnalysisLimits& limits = {});
