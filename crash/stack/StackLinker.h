#pragma once
// Third phase of a trace: each item's call is checked against the functions
// that contain it, and links are drawn from each item to the inner items that
// can lie inside the function it calls.
#include "crash/stack/StackItems.h"

class TStackLinker {
 public:
  explicit TStackLinker(TTraceState& state) : S(state) {}
  // Progress 25 to 650.
  void Link();

 private:
  void CheckItem(int i);
  int ApprovedEntry(int i);
  // An approved function whose code holds the item; -1 when none. Adds the
  // self entry when the item returns from one of its calls.
  int AdoptApprovedFunction(int i, bool& returnsFromCall);
  void LinkFromDecodedCalls(int i);
  void FillLinks(int q, TStackAddress callSite, bool hasTarget, TStackAddress target, bool approvedMode);
  void FillLinksTo(int q, const TStackLink& call, int function, bool approvedMode);
  bool HasConflictingApprovedLink(int j, TStackAddress callSite);
  // The call site of the item's self entry (for the top item, its own instruction); 0 when none.
  static TStackAddress OwnCallSite(const TInternalStackItem& item);

  TTraceState& S;
};
