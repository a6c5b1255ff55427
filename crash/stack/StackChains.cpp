#include "crash/stack/StackChains.h"

void TStackChains::Realize() {
  const int n = S.Count();
  int c = n - 1;
  while (c >= 0 && !S.Valid(c)) --c;
  if (c < 0) return;
  for (int i = c - 1; i >= 0; --i) {
    S.CheckAbort();
    S.Progress(650 + 350 * (n - 1 - i) / n);
    if (!S.Valid(i) || !S[i].Sure) continue;
    Choose(i, c);
    c = i;
  }
  Choose(-1, c);
  S.Progress(1000);
}

void TStackChains::Choose(int lo, int hi) {
  if (hi == lo + 1) return;
  const std::uint64_t down = lo < 0 ? 0 : BestScore(lo, hi, true, true);
  const std::uint64_t up = (down & kReached) != 0 ? 0 : BestScore(hi, lo, false, true);
  for (int k = lo + 1; k < hi; ++k) S[k].Invalid = true;
  if (down > up)
    Follow(lo, hi, true);
  else
    Follow(hi, lo, false);
}

bool TStackChains::Qualifies(const TStackLink& link, int from, int to, bool down) const {
  if (link.Other == to) return true;
  if (link.Other < 0 || !S.Valid(link.Other)) return false;
  return down ? (link.Other > from && link.Other < to) : (link.Other < from && link.Other > to);
}

std::uint64_t TStackChains::BestScore(int from, int to, bool down, bool connected, int depth) {
  TLinkList& list = down ? S[from].Down : S[from].Up;
  std::uint64_t best = kFloor;
  list.Best = -1;
  // A chain deeper than any real stack is a loop of bad data: not followed.
  constexpr int kDeepest = 20000;
  if (depth > kDeepest) return best;
  for (std::size_t e = 0; e < list.Entries.size(); ++e) {
    if (!Qualifies(list.Entries[e], from, to, down)) continue;
    if (list.Entries[e].Score == 0) {
      const TStackLink link = list.Entries[e];
      const bool withFunction = link.Function >= 0;
      std::uint64_t score;
      if (link.Other == to)
        score = withFunction ? 7 * kFloor : 5 * kFloor;
      else
        score = BestScore(link.Other, to, down, connected && withFunction, depth + 1);
      int exponent = 0;
      if (!withFunction) {
        score &= ~kConnected;
      } else {
        exponent = (connected || (score & kConnected) != 0) ? 28 : 14;
        if (S.FunctionApproved(link.Function)) exponent += 14;
      }
      exponent += LineExponent(from, link.Other);
      list.Entries[e].Score = score + (std::uint64_t(1) << exponent);
    }
    if (list.Entries[e].Score > best) {
      best = list.Entries[e].Score;
      list.Best = static_cast<int>(e);
    }
  }
  return best;
}

// Links between frames whose lines the map knows are worth more.
int TStackChains::LineExponent(int item, int other) {
  if (other < 0 || S[item].Module < 0 || S[other].Module < 0 || !S.ModuleHasMap(S[item].Module)) return 0;
  if (S.LineBefore(item) <= 0) return 3;
  return S.ModuleHasMap(S[other].Module) && S.LineBefore(other) > 0 ? 9 : 6;
}

void TStackChains::Follow(int start, int end, bool down) {
  int at = start;
  while (at >= 0 && at != end) {
    S[at].Invalid = false;
    const TLinkList& list = down ? S[at].Down : S[at].Up;
    if (list.Best < 0) break;
    at = list.Entries[static_cast<std::size_t>(list.Best)].Other;
  }
}
