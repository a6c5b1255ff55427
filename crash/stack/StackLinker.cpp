#include "crash/stack/StackLinker.h"

void TStackLinker::Link() {
  const int n = S.Count();
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
    if (!S.Functions[f].HasUnknownCall()) return;
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
