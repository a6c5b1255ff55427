#pragma once
// The last two phases of a trace: each remaining item is named (module, unit,
// function, line), and the named items become the report's lines with their
// checksums.
#include "crash/stack/StackItems.h"

class TStackOutput {
 public:
  explicit TStackOutput(TTraceState& state) : S(state) {}
  // "FillFinalOutput".
  void Fill(TTraceStackResult& result);
  // "ComposeResult".
  void Compose(TTraceStackResult& result);

 private:
  void Name(int i, TTraceStackResult& result);
  void NameFromMap(TInternalStackItem& item);
  std::string FunctionName(int f);
  TStackAddress OwnCallSite(int i);
  void CutRuntimeFrames(int i);
  bool GivesLine(int i) const;

  TTraceState& S;
  bool FCutThrow = false;
  bool FCutHandler = false;
  bool FCheckDispatcher = false;
};

// The value one output line contributes to the checksums.
std::uint32_t StackLineChecksumValue(const TInternalStackItem& item);
