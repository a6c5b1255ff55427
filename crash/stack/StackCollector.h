#pragma once
// First phase of a trace: every candidate of the stack (or of a prepared
// list) that is plausible is kept as an item, with the call it returns from
// when the code of its function shows that call.
#include "crash/stack/StackItems.h"

class TStackCollector {
 public:
  explicit TStackCollector(TTraceState& state) : S(state) {}
  // Progress 0 to 25. False when the stack range cannot be read.
  bool Collect();

 private:
  struct TOffer {
    TStackAddress Value = 0;
    bool ForcedTop = false;
    bool Keep = false;
    bool FrameSlot = false;
    bool Creation = false;
  };
  struct TCallFound {
    bool Found = false;
    int Function = -1;
    TStackAddress Site = 0;
    bool HasTarget = false;
    TStackAddress Target = 0;
  };

  // Answers whether the value became an item.
  bool Offer(const TOffer& offer);
  bool Accepted(TStackAddress value, TStackAddress lookup, bool asTop, int module);
  TCallFound FindCall(TStackAddress value, TStackAddress& itemAddress, bool asTop, int module, TStackAddress lookup);
  TCallFound CallInFunction(int f, TStackAddress value, TStackAddress& itemAddress, bool asTop);
  TCallFound CallInPieces(int f, const TStackSymbol& symbol, int module, TStackAddress value,
                          TStackAddress& itemAddress, bool asTop);
  bool CallsRaiseRoutine(const TStackCall& call);
  bool LastIsTop() const { return !S.Items.empty() && S.Items.back().Top; }

  TTraceState& S;
};
