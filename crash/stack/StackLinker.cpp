#include "crash/stack/StackLinker.h"

#include <algorithm>
#include <iterator>

#include "crash/stack/FramePrologue.h"

void TStackLinker::Link() {
  const int n = S.Count();
  // Frame-chain items are the sure ones that are neither the current nor the
  // creation address.
  FFrameSlotOutside.assign(static_cast<std::size_t>(n), -1);
  int outside = -1;
  for (int i = 0; i < n; ++i) {
    FFrameSlotOutside[static_cast<std::size_t>(i)] = outside;
    if (S.Valid(i) && S[i].Sure && !S[i].Top && !S.IsCreationItem(i)) outside = i;
  }
  for (int i = 0; i < n; ++i) {
    S.CheckAbort();
    S.Progress(25 + 625 * i / (n > 0 ? n : 1));
    if (!S.Valid(i) || S.IsCreationItem(i)) continue;
    CheckItem(i);
  }
  S.Progress(650);
}

void TStackLinker::CheckItem(int i) {
  int entry = ApprovedEntry(i);
  if (entry < 0) {
    bool returnsFromCall = false;
    if (AdoptApprovedFunction(i, returnsFromCall) >= 0) {
      if (!returnsFromCall) {
        // Code of a known function, but not after one of its calls: a stale
        // value. Sure items stand regardless.
        if (!S[i].Sure) S[i].Invalid = true;
        return;
      }
      entry = ApprovedEntry(i);
    }
  }
  if (entry < 0) {
    LinkFromDecodedCalls(i);
    return;
  }
  const TStackLink approved = S[i].Up.Entries[static_cast<std::size_t>(entry)];
  std::vector<int> conflicting;
  for (const TStackLink& other : S[i].Up.Entries)
    if (other.CallSite != approved.CallSite && other.Function >= 0 && !S.FunctionApproved(other.Function))
      conflicting.push_back(other.Function);
  for (int f : conflicting) S.InvalidateFunction(f);
  FillLinks(i, approved.CallSite, approved.HasTarget, approved.Target, true);
}

int TStackLinker::ApprovedEntry(int i) {
  const auto& entries = S[i].Up.Entries;
  for (std::size_t e = 0; e < entries.size(); ++e)
    if (S.FunctionApproved(entries[e].Function)) return static_cast<int>(e);
  return -1;
}

int TStackLinker::AdoptApprovedFunction(int i, bool& returnsFromCall) {
  const TStackAddress address = S[i].Address;
  for (int f = 0; f < S.Functions.Count(); ++f) {
    if (!S.FunctionApproved(f) || !S.Functions[f].ContainsCode(address)) continue;
    const TStackCall* call = S.Functions[f].CallReturningTo(address);
    returnsFromCall = call != nullptr;
    if (call != nullptr) S[i].Up.Entries.push_back({-1, call->Site, call->HasTarget, call->Target, f, 0});
    return f;
  }
  return -1;
}

// Without a function that vouches for the item, every call instruction that
// ends right at its address is a candidate.
void TStackLinker::LinkFromDecodedCalls(int i) {
  const TStackAddress address = S[i].Address;
  if (address < 8) return;
  const TMemoryRegion region = S.Env.RegionAt(address - 1);
  if (!region.Committed) return;
  for (TStackAddress start = address - 7; start <= address - 2; ++start) {
    if (start < region.Base) continue;
    const TDecodedInstruction d = S.Env.Decode(start);
    if (d.Valid && d.IsCall && d.Next == address) FillLinks(i, start, d.HasTarget, d.Target, false);
  }
}

void TStackLinker::FillLinks(int q, TStackAddress callSite, bool hasTarget, TStackAddress target,
                             bool approvedMode) {
  const TStackLink call{-1, callSite, hasTarget, target, -1, 0};
  if (hasTarget) {
    const int f = S.Functions.Add(S.Env, target, "", S.Env.ModuleIndexOf(target), approvedMode);
    if (f < 0 || !S.FunctionValid(f)) return;
    FillLinksTo(q, call, f, approvedMode);
    // Where the called function's own calls are known to the map, each of
    // them leaves a return address that is an item of its own: what it
    // calls unknown links from there, never straight from q.
    if (!S.Functions[f].HasUnknownCall() || S.ModuleHasMap(S.Functions[f].Module)) return;
  }
  for (const TStackLink& down : S[q].Down.Entries)
    if (down.Function < 0) return;
  FillLinksTo(q, call, -1, approvedMode);
}

void TStackLinker::FillLinksTo(int q, const TStackLink& call, int function, bool approvedMode) {
  for (int j = q + 1; j < S.Count(); ++j) {
    if (!S.Valid(j)) continue;
    TInternalStackItem& inner = S[j];
    TStackAddress site = 0;
    bool hasTarget = false;
    TStackAddress target = 0;
    bool qualifies = true;
    if (function >= 0) {
      const TStackCall* innerCall = S.Functions[function].CallReturningTo(inner.Address);
      qualifies = innerCall != nullptr;
      if (innerCall != nullptr) {
        site = innerCall->Site;
        hasTarget = innerCall->HasTarget;
        target = innerCall->Target;
      } else if (inner.Top) {
        // The current address stands on an instruction of the called function
        // itself, not after a call: a leaf (without calls, often without a
        // frame) is reached only this way.
        site = OwnCallSite(inner);
        qualifies = site != 0 && S.Functions[function].ContainsCode(site);
      }
    } else if (!inner.Up.Entries.empty()) {
      const TStackLink& self = inner.Up.Entries.front();
      site = self.CallSite;
      hasTarget = self.HasTarget;
      target = self.Target;
    }
    if (qualifies && !approvedMode && HasConflictingApprovedLink(j, site)) qualifies = false;
    if (qualifies && !MayCall(q, call, j)) qualifies = false;
    if (qualifies) {
      inner.Up.Entries.push_back({q, site, hasTarget, target, function, 0});
      // The down entry describes q's own call into the function.
      S[q].Down.Entries.push_back({j, call.CallSite, call.HasTarget, call.Target, function, 0});
    }
    if (inner.Sure) break;
  }
}

bool TStackLinker::HasConflictingApprovedLink(int j, TStackAddress callSite) {
  for (const TStackLink& link : S[j].Up.Entries)
    if (S.FunctionApproved(link.Function) && link.CallSite != callSite) return true;
  return false;
}

TStackAddress TStackLinker::OwnCallSite(const TInternalStackItem& item) {
  for (const TStackLink& link : item.Up.Entries)
    if (link.Other < 0) return link.CallSite;
  return 0;
}

bool TStackLinker::MayCall(int q, const TStackLink& call, int j) {
  const TInternalStackItem& inner = S[j];
  // Only a frame-chain item proves that its function's frame is on the chain
  // (the chain went from its callee's frame to that one); elsewhere the chain
  // may have skipped frames, as at the system's callback boundaries.
  if (!inner.Sure || inner.Top || S.IsCreationItem(j)) return true;
  const int function = OwnFunction(inner);
  if (function < 0 || !KeepsFrame(function)) return true;
  const int caller = FFrameSlotOutside[static_cast<std::size_t>(j)];
  if (caller < 0) return true;
  if (q != caller) return false;
  return !call.HasTarget || Reaches(call.Target, S.Functions[function].Info.Entry);
}

int TStackLinker::OwnFunction(const TInternalStackItem& item) {
  for (const TStackLink& link : item.Up.Entries)
    if (link.Other < 0) return link.Function;
  return -1;
}

bool TStackLinker::KeepsFrame(int function) {
  const auto known = FKeepsFrame.find(function);
  if (known != FKeepsFrame.end()) return known->second;
  const TStackAddress entry = S.Functions[function].Info.Entry;
  std::uint8_t b[kFramePrologueBytes] = {};
  bool read = S.Env.Read(entry, b, sizeof b);
  if (!read) {
    // A short function at the end of its section still shows a plain prologue.
    std::fill(std::begin(b), std::end(b), std::uint8_t{0});
    read = S.Env.Read(entry, b, 6);
  }
  const bool framed = read && SetsUpFrame(b);
  FKeepsFrame.emplace(function, framed);
  return framed;
}

bool TStackLinker::Reaches(TStackAddress target, TStackAddress entry) {
  if (target == entry) return true;
  const int callee = S.Functions.Find(target);
  if (callee < 0) return true;
  return S.Functions[callee].ContainsCode(entry) || JumpsIndirectly(callee);
}

bool TStackLinker::JumpsIndirectly(int function) {
  const auto known = FJumpsIndirectly.find(function);
  if (known != FJumpsIndirectly.end()) return known->second;
  bool found = false;
  for (const TStackCodeArea& area : S.Functions[function].Info.Areas) {
    if (area.Kind != TStackAreaKind::Instructions) continue;
    for (TStackAddress at = area.Start; at < area.End && !found;) {
      const TDecodedInstruction d = S.Env.Decode(at);
      if (!d.Valid || d.Next <= at) break;
      found = d.IsJump && !d.HasTarget;
      at = d.Next;
    }
  }
  FJumpsIndirectly.emplace(function, found);
  return found;
}
