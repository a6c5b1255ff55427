#include "crash/stack/StackCollector.h"

#include <cstdio>

#include "crash/stack/CallTest.h"
#include "crash/stack/StackSlots.h"

namespace {

// Routines that raise on behalf of their caller: an exception thrown through
// them is shown at the calling line.
bool IsRaiseRoutineName(const std::string& name) {
  for (const char* part : {"@RaiseExcept", "Error", "__cxa_throw", "__cxa_rethrow"})
    if (name.find(part) != std::string::npos) return true;
  return false;
}

std::string Hex(TStackAddress value) {
  char text[12];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
  return text;
}

}  // namespace

bool TStackCollector::Collect() {
  const TTraceStackInput& in = S.In;
  if (in.HasCreationAddress) {
    TOffer creation;
    creation.Value = in.CreationAddress;
    creation.Keep = true;
    creation.Creation = true;
    Offer(creation);
  }
  if (in.Prepared == nullptr) {
    const TStackSlots slots(S.Env, in.FramePointer, in.StackTop, in.StackBottom);
    if (!slots.Readable()) return false;
    const TStackAddress span = in.StackTop - in.StackBottom;
    unsigned visited = 0;
    slots.ScanDown([&](TStackAddress slot, TStackAddress value, bool frameSlot) {
      if ((++visited & 1023) == 0) {
        S.CheckAbort();
        S.Progress(static_cast<int>(25.0 * (in.StackTop - slot) / span));
      }
      TOffer offer;
      offer.Value = value;
      offer.FrameSlot = frameSlot;
      if (!Offer(offer)) return 0;
      if (LastIsTop()) return -1;
      // Below a frame's return address lies the saved frame pointer.
      return S.Items.back().Sure ? 1 : 0;
    });
  } else {
    const TPreparedStack& prepared = *in.Prepared;
    for (std::size_t i = 0; i < prepared.size() && !LastIsTop(); ++i) {
      if ((i & 255) == 255) S.CheckAbort();
      TOffer offer;
      offer.Value = prepared[i].Address;
      offer.Keep = prepared[i].Sure != 0;
      Offer(offer);
    }
  }
  if (!in.DoNotAddCurrent && !LastIsTop()) {
    TOffer current;
    current.Value = in.CurrentAddress;
    current.ForcedTop = true;
    S.CurrentAppended = Offer(current);
  }
  S.Progress(25);
  return true;
}

bool TStackCollector::Offer(const TOffer& offer) {
  const TStackAddress value = offer.Value;
  const TStackAddress ignored = S.Env.IgnoredReturnAddress();
  if (ignored != 0 && value == ignored) return false;
  const bool top = offer.ForcedTop || (S.In.IsException && value == S.In.CurrentAddress);
  const bool asTop = top || offer.Creation;

  TInternalStackItem item;
  item.Top = top;
  item.Address = value;
  TStackAddress lookup = value - 1;
  if (asTop) {
    lookup = value;
    const TDecodedInstruction at = S.Env.Decode(value);
    if (at.Valid) item.Address = at.Next;
  }
  item.Module = S.Env.ModuleIndexOf(lookup);
  const bool accepted = Accepted(value, lookup, asTop, item.Module);
  // The creation address and the current address stand whatever they point at.
  if (!accepted && !offer.Creation && !offer.ForcedTop) return false;

  TCallFound call;
  if (accepted) call = FindCall(value, item.Address, asTop, item.Module, lookup);
  if (asTop && !call.Found) {
    call.Site = value;
    if (call.Function < 0) {
      std::uint8_t probe = 0;
      if (!S.Env.Read(value, &probe, 1)) call.Function = S.Functions.Add(S.Env, value, "", -1, false, true);
    }
  }
  const bool kept = top || call.Found || offer.Keep || offer.FrameSlot;
  if (!kept) return false;
  item.Sure = top || offer.Keep || offer.FrameSlot;
  if (call.Site != 0)
    item.Up.Entries.push_back({-1, call.Site, call.HasTarget, call.Target, call.Function, 0});
  S.Items.push_back(std::move(item));
  return true;
}

bool TStackCollector::Accepted(TStackAddress value, TStackAddress lookup, bool asTop, int module) {
  const TMemoryRegion region = S.Env.RegionAt(lookup);
  if (!region.Committed || region.AllocationBase == 0) return false;
  if (!asTop && !IsCallReturnAddress(S.Env, value)) return false;
  if (module < 0) return true;
  const TStackModule& m = S.Env.Module(module);
  if (!m.Described) return true;
  auto within = [lookup](const TStackRange& r) { return lookup > r.Start && lookup <= r.End; };
  return within(m.Code) || within(m.Data);
}

TStackCollector::TCallFound TStackCollector::FindCall(TStackAddress value, TStackAddress& itemAddress, bool asTop,
                                                      int module, TStackAddress lookup) {
  TCallFound none;
  if (module < 0) return none;
  const TStackModule& m = S.Env.Module(module);
  TStackSymbol symbol;
  if (m.HasMap) {
    if (!S.Env.PublicAt(lookup, symbol)) return none;
  } else if (!m.IsExecutable) {
    if (!S.Env.ExportBelow(module, lookup, symbol)) return none;
  } else {
    return none;
  }
  const int f = S.Functions.Add(S.Env, symbol.Start, symbol.Name, module, true);
  if (f < 0) return none;
  if (!m.HasMap && !S.Functions[f].ContainsCode(lookup)) return none;
  TCallFound found = CallInFunction(f, value, itemAddress, asTop);
  if (!found.Found) found = CallInPieces(f, symbol, module, value, itemAddress, asTop);
  if (!found.Found) found.Function = f;
  return found;
}

TStackCollector::TCallFound TStackCollector::CallInFunction(int f, TStackAddress value, TStackAddress& itemAddress,
                                                            bool asTop) {
  TCallFound found;
  found.Function = f;
  if (!asTop) {
    if (const TStackCall* call = S.Functions[f].CallReturningTo(itemAddress)) {
      found.Found = true;
      found.Site = call->Site;
      found.HasTarget = call->HasTarget;
      found.Target = call->Target;
    }
    return found;
  }
  if (!S.In.IsSystemException) {
    const TStackCall* call = S.Functions[f].CallReturningTo(value);
    if (call != nullptr && call->HasTarget && CallsRaiseRoutine(*call)) {
      itemAddress = value;
      found.Found = true;
      found.Site = call->Site;
      found.HasTarget = true;
      found.Target = call->Target;
      return found;
    }
  }
  if (S.Functions[f].StartsInstruction(S.Env, value)) {
    found.Found = true;
    found.Site = value;
  }
  return found;
}

// Code that a function reaches by calls into its own public but outside its
// own extent is analysed piece by piece.
TStackCollector::TCallFound TStackCollector::CallInPieces(int f, const TStackSymbol& symbol, int module,
                                                          TStackAddress value, TStackAddress& itemAddress,
                                                          bool asTop) {
  TCallFound none;
  if (symbol.End <= symbol.Start) return none;
  const TStackFunctionInfo info = S.Functions[f].Info;
  const TStackAddress extentEnd = info.CodeBegin + info.CodeLength;
  for (const TStackCall& call : info.Calls) {
    if (!call.HasTarget || call.Target < symbol.Start || call.Target >= symbol.End) continue;
    if (call.Target >= info.CodeBegin && call.Target < extentEnd) continue;
    const int piece = S.Functions.Add(S.Env, call.Target, symbol.Name + ".@" + Hex(call.Target), module, true);
    if (piece < 0) continue;
    TCallFound found = CallInFunction(piece, value, itemAddress, asTop);
    if (found.Found) return found;
  }
  return none;
}

bool TStackCollector::CallsRaiseRoutine(const TStackCall& call) {
  const int callee = S.Functions.Find(call.Target);
  if (callee >= 0 && !S.Functions[callee].Name.empty()) return IsRaiseRoutineName(S.Functions[callee].Name);
  TStackSymbol symbol;
  return S.Env.PublicAt(call.Target, symbol) && symbol.Start == call.Target && IsRaiseRoutineName(symbol.Name);
}
