#include "crash/stack/FunctionList.h"

#include <algorithm>

bool TStackFunction::ContainsCode(TStackAddress address) const {
  return std::any_of(Info.Areas.begin(), Info.Areas.end(), [&](const TStackCodeArea& area) {
    return area.Kind == TStackAreaKind::Instructions && address >= area.Start && address < area.End;
  });
}

const TStackCall* TStackFunction::CallReturningTo(TStackAddress address) const {
  for (const TStackCall& call : Info.Calls)
    if (call.Return == address) return &call;
  return nullptr;
}

bool TStackFunction::HasUnknownCall() const {
  return std::any_of(Info.Calls.begin(), Info.Calls.end(), [](const TStackCall& c) { return !c.HasTarget; });
}

bool TStackFunction::StartsInstruction(IStackEnvironment& env, TStackAddress address) const {
  for (const TStackCodeArea& area : Info.Areas) {
    if (area.Kind != TStackAreaKind::Instructions || address < area.Start || address >= area.End) continue;
    TStackAddress at = area.Start;
    while (at < address) {
      const TDecodedInstruction d = env.Decode(at);
      if (!d.Valid || d.Next <= at) break;
      at = d.Next;
    }
    if (at == address) return true;
  }
  return false;
}

TFunctionList::TFunctionList() { FFunctions.reserve(16); }

int TFunctionList::Find(TStackAddress entry) const {
  const auto found = FByEntry.find(entry);
  return found == FByEntry.end() ? -1 : found->second;
}

int TFunctionList::Add(IStackEnvironment& env, TStackAddress entry, const std::string& name, int module,
                       bool approved, bool artificial) {
  int index = Find(entry);
  if (index < 0) {
    TStackFunction function;
    function.Module = module;
    function.Name = name;
    function.Info = env.Analyse(entry);
    if (!function.Info.Valid) {
      if (!artificial) return -1;
      function.Info = TStackFunctionInfo();
      function.Info.Entry = entry;
      function.Info.CodeBegin = entry;
    }
    // Where the dispatcher reaches unknown window procedures, calling it is a
    // call with unknown target as well.
    const TStackAddress dispatcher = env.UnknownTargetDispatcher();
    if (dispatcher != 0) {
      std::vector<TStackCall>& calls = function.Info.Calls;
      const std::size_t known = calls.size();
      for (std::size_t i = 0; i < known; ++i)
        if (calls[i].HasTarget && calls[i].Target == dispatcher)
          calls.push_back({calls[i].Site, calls[i].Return, false, 0});
    }
    FFunctions.push_back(std::move(function));
    index = static_cast<int>(FFunctions.size()) - 1;
    FByEntry.emplace(entry, index);
  } else if (!name.empty() && (*this)[index].Name.empty()) {
    (*this)[index].Name = name;
  }
  if (approved)
    Approve(env, index);
  else if (!(*this)[index].CalleesAdded)
    AddCallees(env, index);
  return index;
}

void TFunctionList::Approve(IStackEnvironment& env, int index) {
  if ((*this)[index].Approved && (*this)[index].CalleesAdded) return;
  (*this)[index].Approved = true;
  if (!(*this)[index].CalleesAdded) {
    AddCallees(env, index);
    return;
  }
  for (const TStackCall& call : (*this)[index].Info.Calls) {
    const int callee = call.HasTarget ? Find(call.Target) : -1;
    if (callee >= 0) (*this)[callee].Approved = true;
  }
}

// One level only: a callee's own callees join when it is used itself, which
// keeps the first trace from analysing the whole call graph.
void TFunctionList::AddCallees(IStackEnvironment& env, int index) {
  (*this)[index].CalleesAdded = true;
  const bool approved = (*this)[index].Approved;
  std::vector<TStackAddress> targets;
  for (const TStackCall& call : (*this)[index].Info.Calls)
    if (call.HasTarget) targets.push_back(call.Target);
  for (TStackAddress target : targets) {
    int callee = Find(target);
    if (callee < 0) {
      TStackFunction function;
      function.Module = env.ModuleIndexOf(target);
      function.Info = env.Analyse(target);
      if (!function.Info.Valid) continue;
      FFunctions.push_back(std::move(function));
      callee = static_cast<int>(FFunctions.size()) - 1;
      FByEntry.emplace(target, callee);
    }
    if (approved) (*this)[callee].Approved = true;
  }
}
