#include "crash/flow/HandlerFiring.h"

#include "crash/flow/TIMEException.h"

namespace {

std::atomic<bool> gMainThreadHandlersRunning{false};

// Runs entries in order until one handles; a handler's own exception is
// swallowed so that the rest of the chain still runs.
void CallChain(const std::vector<THandlerEntry>& entries, TExceptAction action, bool& handled,
               TIMEException& exception) {
  for (const THandlerEntry& entry : entries) {
    if (handled) return;
    try {
      entry.Call(action, exception, handled);
    } catch (...) {
    }
  }
}

std::vector<THandlerEntry> OfSync(const std::vector<THandlerEntry>& entries, bool (*keep)(TSyncType)) {
  std::vector<THandlerEntry> kept;
  for (const THandlerEntry& entry : entries)
    if (keep(entry.Sync)) kept.push_back(entry);
  return kept;
}

bool IsDontSync(TSyncType sync) { return sync == stDontSync; }
bool IsSynced(TSyncType sync) { return sync != stDontSync; }
bool IsSyncAlways(TSyncType sync) { return sync == stTrySyncCallAlways; }

// The action that follows an assistant: eaSendBugReport becomes eaSendBugReport2, ...
bool AssistedAction(TExceptAction action) {
  return action == eaSendBugReport || action == eaSaveBugReport || action == eaPrintBugReport;
}

std::string AssistantSetting(TIMEException& exception, TExceptAction action) {
  switch (action) {
    case eaSendBugReport: return exception.SendAssis();
    case eaSaveBugReport: return exception.SaveAssis();
    default: return exception.PrintAssis();
  }
}

}  // namespace

THandlerFiring::THandlerFiring(TExceptionHandlers& handlers, IMainThreadCalls& mainThread,
                               IActionAssistant* assistant)
    : FHandlers(handlers), FMainThread(mainThread), FAssistant(assistant) {}

bool THandlerFiring::MainThreadHandlersRunning() { return gMainThreadHandlersRunning; }

void THandlerFiring::RunHandlers(std::uintptr_t parentWindow, THandlerKind kind, TExceptAction action,
                                 bool& handled, TIMEException& exception) {
  Fire(kind, action, handled, exception);
  if (kind != hkAction || handled || parentWindow == 0 || !AssistedAction(action)) return;
  const std::string assistant = AssistantSetting(exception, action);
  if (FAssistant != nullptr && !assistant.empty()) {
    try {
      if (!FAssistant->Run(exception, assistant, parentWindow)) handled = true;  // the user cancelled
    } catch (...) {
    }
  }
  if (!handled) Fire(kind, static_cast<TExceptAction>(action + 3), handled, exception);
}

void THandlerFiring::Fire(THandlerKind kind, TExceptAction action, bool& handled, TIMEException& exception) {
  if (!exception.CallHandlers()) return;
  std::vector<THandlerEntry> entries;
  for (THandlerEntry& entry : FHandlers.Handlers(kind))
    if (kind != hkException || entry.Phase == exception.Phase()) entries.push_back(std::move(entry));
  if (entries.empty()) return;
  if (kind == hkAction && (action == eaRestartApplication || action == eaCloseApplication) &&
      (exception.HasCriticalCallback() || FHandlers.AnyExceptionHandler(epCompleteReport)))
    exception.WaitForCompleteReport();

  CallChain(OfSync(entries, IsDontSync), action, handled, exception);
  const std::vector<THandlerEntry> synced = OfSync(entries, IsSynced);
  if (handled || synced.empty()) return;
  if (MainThreadAnswers(exception)) {
    try {
      FMainThread.Call([&] {
        gMainThreadHandlersRunning = true;
        CallChain(synced, action, handled, exception);
        gMainThreadHandlersRunning = false;
      });
    } catch (...) {
      gMainThreadHandlersRunning = false;
    }
    return;
  }
  exception.SetSyncFailed(true);
  CallChain(OfSync(synced, IsSyncAlways), action, handled, exception);
}

bool THandlerFiring::MainThreadAnswers(TIMEException& exception) {
  // A frozen main thread would take the handling thread down with it.
  if (exception.EventKind() == ekFrozenMainThread) return false;
  try {
    const std::optional<std::intptr_t> answer = FMainThread.Probe(IMainThreadCalls::kProbeTimeout);
    return answer && *answer == IMainThreadCalls::kProbeAnswer;
  } catch (...) {
    return false;
  }
}
