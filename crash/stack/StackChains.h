#pragma once
// Fourth phase of a trace: between each two neighbouring sure items, and from
// the outermost one to the outside of the stack, only the best-scoring chain
// of links stays valid.
#include "crash/stack/StackItems.h"

class TStackChains {
 public:
  explicit TStackChains(TTraceState& state) : S(state) {}
  // Progress 650 to 1000.
  void Realize();

  // Score bits: the chain reached its end; the chain is made only of links
  // with a known function; the floor every score starts from.
  static constexpr std::uint64_t kReached = std::uint64_t(1) << 62;
  static constexpr std::uint64_t kConnected = std::uint64_t(1) << 61;
  static constexpr std::uint64_t kFloor = std::uint64_t(1) << 60;

  // Best score of a chain from item `from` to item `to` (-1: the outside)
  // through down links (inwards) or up links (outwards); remembers the best
  // entry of each list passed.
  std::uint64_t BestScore(int from, int to, bool down, bool connected, int depth = 0);

 private:
  void Choose(int lo, int hi);
  bool Qualifies(const TStackLink& link, int from, int to, bool down) const;
  int LineExponent(int item, int other);
  void Follow(int start, int end, bool down);

  TTraceState& S;
};
