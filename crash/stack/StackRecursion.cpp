#include "crash/stack/StackRecursion.h"

#include <vector>

namespace {

// The inner repetition ending at valid position k of `valid`, if any: the
// positions of k and the items between k and the same address further out.
bool FindRepeat(TTraceState& s, const std::vector<int>& valid, std::size_t k, std::size_t& between) {
  const TStackAddress address = s[valid[k]].Address;
  for (std::size_t i = k; i-- > 0;) {
    if (s[valid[i]].Address != address) continue;
    const std::size_t j = k - i - 1;
    if (i < j) return false;
    for (std::size_t n = 1; n <= j; ++n)
      if (s[valid[k - n]].Address != s[valid[i - n]].Address) return false;
    between = j;
    return true;
  }
  return false;
}

bool RemoveOnePass(TTraceState& s, bool dropLinks) {
  std::vector<int> valid;
  for (int i = 0; i < s.Count(); ++i)
    if (!s[i].Invalid) valid.push_back(i);
  bool changed = false;
  // From the innermost outwards; positions dropped in this pass are skipped.
  for (std::size_t k = valid.size(); k-- > 0;) {
    if (s[valid[k]].Invalid) continue;
    std::size_t between = 0;
    if (!FindRepeat(s, valid, k, between)) continue;
    // Two neighbouring slots with the same return address are one frame
    // (a routine that realigns its stack pushes a copy of its return
    // address): keep the slot the frame chain passes through.
    const std::size_t first = between == 0 && s[valid[k]].Sure && !s[valid[k - 1]].Sure ? k - 1 : k;
    for (std::size_t n = 0; n <= between; ++n) {
      const int item = valid[first - n];
      s[item].Sure = false;
      s[item].Invalid = true;
      if (dropLinks) s.RemoveLinksOf(item);
    }
    changed = true;
    valid.erase(valid.begin() + static_cast<std::ptrdiff_t>(first - between),
                valid.begin() + static_cast<std::ptrdiff_t>(first + 1));
    k = first - between;
  }
  return changed;
}

}  // namespace

void RemoveRepeatedRecursion(TTraceState& state, bool dropLinks) {
  while (RemoveOnePass(state, dropLinks)) state.CheckAbort();
}
