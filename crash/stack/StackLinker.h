#pragma once
// Third phase of a trace: each item's call is checked against the functions
// that contain it, and links are drawn from each item to the inner items that
// can lie inside the function it calls.
//
// Frame rule: when a frame-chain item lies in a function that sets up a frame
// pointer, the chain's next slot further out lies just outside that
// function's frame and holds the return address of the call that entered it.
// So such an item can only have been called from that next frame slot, and
// only when that slot's call reaches the function. A stale return address
// left in dead stack fails this test where the link scores alone would let it
// in.
#include <unordered_map>
#include <vector>

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
  // The frame rule above, for the link from item q (making `call`) to item j.
  bool MayCall(int q, const TStackLink& call, int j);
  bool KeepsFrame(int function);
  // True when a call of `target` can arrive at `entry`: the same function,
  // one its code runs into (a tail jump), or a jump it makes without a known
  // target. An unknown target reaches anything.
  bool Reaches(TStackAddress target, TStackAddress entry);
  bool JumpsIndirectly(int function);
  static int OwnFunction(const TInternalStackItem& item);
  // The call site of the item's self entry (for the top item, its own instruction); 0 when none.
  static TStackAddress OwnCallSite(const TInternalStackItem& item);

  TTraceState& S;
  // Per item: the nearest frame-chain item further out, -1 when none.
  std::vector<int> FFrameSlotOutside;
  std::unordered_map<int, bool> FKeepsFrame;
  std::unordered_map<int, bool> FJumpsIndirectly;
};
