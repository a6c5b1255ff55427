#include "crash/stack/StackItems.h"

#include <algorithm>

bool TTraceState::ModuleHasMap(int module) { return module >= 0 && Env.Module(module).HasMap; }

int TTraceState::LineBefore(int i) {
  TInternalStackItem& item = (*this)[i];
  if (item.LineBefore == -2) item.LineBefore = ModuleHasMap(item.Module) ? Env.LineAt(item.Address - 1) : 0;
  return item.LineBefore;
}

void TTraceState::CheckAbort() const {
  if (In.Abort != nullptr && In.Abort->load(std::memory_order_relaxed)) throw TTraceAborted();
}

void TTraceState::Progress(int position) const {
  if (In.Progress) In.Progress(position);
}

namespace {

template <typename Pred>
void RemoveLinksWhere(TLinkList& list, Pred pred) {
  auto& e = list.Entries;
  e.erase(std::remove_if(e.begin(), e.end(), pred), e.end());
  list.Best = -1;
}

}  // namespace

void TTraceState::RemoveLinksOf(int i) {
  for (TInternalStackItem& item : Items) {
    RemoveLinksWhere(item.Down, [i](const TStackLink& l) { return l.Other == i; });
    RemoveLinksWhere(item.Up, [i](const TStackLink& l) { return l.Other == i; });
  }
  (*this)[i].Down = TLinkList();
  (*this)[i].Up = TLinkList();
}

void TTraceState::InvalidateFunction(int f) {
  InvalidFunctions.insert(f);
  for (TInternalStackItem& item : Items) {
    RemoveLinksWhere(item.Down, [f](const TStackLink& l) { return l.Function == f; });
    RemoveLinksWhere(item.Up, [f](const TStackLink& l) { return l.Function == f; });
  }
}
