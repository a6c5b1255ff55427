#include "crash/flow/ExceptionHandlers.h"

#include <algorithm>

namespace {

TExceptActionEvent Ignoring(TExceptionHandlerEvent handler) {
  return [handler = std::move(handler)](TExceptAction, TIMEException& exception, bool& handled) {
    handler(exception, handled);
  };
}

THandlerEntry Entry(const void* object, TExceptActionEvent call, TSyncType sync, TExceptPhase phase) {
  THandlerEntry entry;
  entry.Object = object;
  entry.Sync = sync;
  entry.Phase = phase;
  entry.Call = std::move(call);
  return entry;
}

}  // namespace

int TExceptionHandlers::Add(THandlerKind kind, THandlerEntry entry, bool method) {
  {
    std::lock_guard<std::mutex> guard(FIdLock);
    entry.Id = FNextId++;
  }
  TList& list = List(kind);
  std::lock_guard<std::mutex> guard(list.Lock);
  (method ? list.Methods : list.Functions).push_back(std::move(entry));
  return (method ? list.Methods : list.Functions).back().Id;
}

int TExceptionHandlers::RegisterExceptionHandler(TExceptionHandlerProc proc, TSyncType sync, TExceptPhase phase) {
  return Add(hkException, Entry(nullptr, Ignoring(proc), sync, phase), false);
}

int TExceptionHandlers::RegisterExceptionHandler(const void* object, TExceptionHandlerEvent method, TSyncType sync,
                                                 TExceptPhase phase) {
  return Add(hkException, Entry(object, Ignoring(std::move(method)), sync, phase), true);
}

int TExceptionHandlers::RegisterActionHandler(TExceptActionProc proc, TSyncType sync) {
  return Add(hkAction, Entry(nullptr, proc, sync, epNotHandledYet), false);
}

int TExceptionHandlers::RegisterActionHandler(const void* object, TExceptActionEvent method, TSyncType sync) {
  return Add(hkAction, Entry(object, std::move(method), sync, epNotHandledYet), true);
}

int TExceptionHandlers::RegisterHiddenHandler(TExceptionHandlerProc proc) {
  return Add(hkHidden, Entry(nullptr, Ignoring(proc), stDontSync, epNotHandledYet), false);
}

int TExceptionHandlers::RegisterHiddenHandler(const void* object, TExceptionHandlerEvent method) {
  return Add(hkHidden, Entry(object, Ignoring(std::move(method)), stDontSync, epNotHandledYet), true);
}

void TExceptionHandlers::Unregister(int id) {
  for (TList& list : FLists) {
    std::lock_guard<std::mutex> guard(list.Lock);
    for (std::vector<THandlerEntry>* entries : {&list.Methods, &list.Functions})
      entries->erase(std::remove_if(entries->begin(), entries->end(),
                                    [id](const THandlerEntry& entry) { return entry.Id == id; }),
                     entries->end());
  }
}

void TExceptionHandlers::UnregisterObject(const void* object) {
  if (object == nullptr) return;
  for (TList& list : FLists) {
    std::lock_guard<std::mutex> guard(list.Lock);
    list.Methods.erase(std::remove_if(list.Methods.begin(), list.Methods.end(),
                                      [object](const THandlerEntry& entry) { return entry.Object == object; }),
                       list.Methods.end());
  }
}

std::vector<THandlerEntry> TExceptionHandlers::Handlers(THandlerKind kind) const {
  const TList& list = List(kind);
  std::lock_guard<std::mutex> guard(list.Lock);
  std::vector<THandlerEntry> entries = list.Methods;
  entries.insert(entries.end(), list.Functions.begin(), list.Functions.end());
  return entries;
}

bool TExceptionHandlers::Any(THandlerKind kind) const {
  const TList& list = List(kind);
  std::lock_guard<std::mutex> guard(list.Lock);
  return !list.Methods.empty() || !list.Functions.empty();
}

bool TExceptionHandlers::AnyExceptionHandler(TExceptPhase phase) const {
  for (const THandlerEntry& entry : Handlers(hkException))
    if (entry.Phase == phase) return true;
  return false;
}

TExceptionHandlers& TExceptionHandlers::Process() {
  static TExceptionHandlers handlers;
  return handlers;
}
