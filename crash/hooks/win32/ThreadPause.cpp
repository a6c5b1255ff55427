#include "crash/hooks/win32/ThreadPause.h"

#include <atomic>
#include <shared_mutex>

#include "crash/hooks/win32/CreatedThreads.h"
#include "crash/hooks/win32/ImportRedirect.h"
#include "platform/ScopeGuard.h"

namespace {

using TGetMessage = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT);
using TPeekMessage = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT, UINT);

// The redirected functions find the active pause here; the shared lock is
// held while they wait, so the pause's end waits for its last waiter.
struct TPauseState {
  std::shared_mutex Lock;
  TThreadPause* Active = nullptr;
  // Set once, never cleared: a call already inside a hook still needs them.
  std::atomic<TGetMessage> GetMessageA{nullptr};
  std::atomic<TGetMessage> GetMessageW{nullptr};
  std::atomic<TPeekMessage> PeekMessageA{nullptr};
  std::atomic<TPeekMessage> PeekMessageW{nullptr};
};

TPauseState& State() {
  static TPauseState* const state = new TPauseState;
  return *state;
}

void WaitWhilePaused() {
  const DWORD error = GetLastError();
  {
    std::shared_lock<std::shared_mutex> hold(State().Lock);
    if (TThreadPause* pause = State().Active) pause->StopIfPaused();
  }
  SetLastError(error);
}

BOOL WINAPI PausingGetMessageA(LPMSG message, HWND window, UINT first, UINT last) {
  const BOOL result = State().GetMessageA.load()(message, window, first, last);
  WaitWhilePaused();
  return result;
}

BOOL WINAPI PausingGetMessageW(LPMSG message, HWND window, UINT first, UINT last) {
  const BOOL result = State().GetMessageW.load()(message, window, first, last);
  WaitWhilePaused();
  return result;
}

BOOL WINAPI PausingPeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
  const BOOL result = State().PeekMessageA.load()(message, window, first, last, remove);
  WaitWhilePaused();
  return result;
}

BOOL WINAPI PausingPeekMessageW(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
  const BOOL result = State().PeekMessageW.load()(message, window, first, last, remove);
  WaitWhilePaused();
  return result;
}

// The export (maybe a stub, whose cell is redirected too) and, kept for
// the redirected calls, the routine behind it.
template <typename Function>
void* Remember(std::atomic<Function>& original, const char* name) {
  void* exported = ExportedFunction("user32.dll", name);
  if (original.load() == nullptr && exported != nullptr)
    original = reinterpret_cast<Function>(ResolveRoutineEntry(exported));
  return exported;
}

}  // namespace

TThreadPause::TThreadPause(DWORD mainThreadId)
    : FMainThreadId(mainThreadId),
      FMainEvent(CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      FOthersEvent(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

TThreadPause::~TThreadPause() {
  Resume();
  {
    std::unique_lock<std::shared_mutex> hold(State().Lock);
    if (State().Active == this) State().Active = nullptr;
  }
  FRedirects.clear();
}

bool TThreadPause::RedirectMessageFunctions() {
  if (FRedirected) return FUsable;
  if (!FMainEvent || !FOthersEvent) return false;
  TPauseState& state = State();
  void* exports[4] = {};
  {
    std::unique_lock<std::shared_mutex> hold(state.Lock);
    if (state.Active != nullptr) return false;
    exports[0] = Remember(state.GetMessageA, "GetMessageA");
    exports[1] = Remember(state.GetMessageW, "GetMessageW");
    exports[2] = Remember(state.PeekMessageA, "PeekMessageA");
    exports[3] = Remember(state.PeekMessageW, "PeekMessageW");
    for (void* exported : exports)
      if (exported == nullptr) return false;
    state.Active = this;
  }
  const std::pair<void*, void*> functions[] = {
      {exports[0], reinterpret_cast<void*>(&PausingGetMessageA)},
      {exports[1], reinterpret_cast<void*>(&PausingGetMessageW)},
      {exports[2], reinterpret_cast<void*>(&PausingPeekMessageA)},
      {exports[3], reinterpret_cast<void*>(&PausingPeekMessageW)},
  };
  std::size_t slots = 0;
  for (const auto& function : functions) {
    FRedirects.push_back(std::make_unique<TImportRedirect>(function.first, function.second));
    slots += FRedirects.back()->Apply();
  }
  FRedirected = true;
  FUsable = slots > 0;
  return FUsable;
}

bool TThreadPause::Pause(DWORD completionThreadId) {
  if (!RedirectMessageFunctions()) return false;
  const DWORD self = GetCurrentThreadId();
  std::lock_guard<std::mutex> guard(FLock);
  FPaused.clear();
  for (DWORD id : TCreatedThreads::Instance().Snapshot())
    if (id != self && id != FMainThreadId && id != completionThreadId) FPaused.insert(id);
  ResetEvent(FOthersEvent.Get());
  // A main thread that pauses the others keeps serving its own messages.
  FMainPaused = self != FMainThreadId;
  if (FMainPaused) ResetEvent(FMainEvent.Get());
  return true;
}

void TThreadPause::Resume() {
  std::lock_guard<std::mutex> guard(FLock);
  FPaused.clear();
  FMainPaused = false;
  if (FMainEvent) SetEvent(FMainEvent.Get());
  if (FOthersEvent) SetEvent(FOthersEvent.Get());
}

void TThreadPause::WithMainThreadLetGo(const std::function<void()>& call) {
  bool paused;
  {
    std::lock_guard<std::mutex> guard(FLock);
    paused = FMainPaused;
  }
  if (paused) SetEvent(FMainEvent.Get());
  // Paused again however the call ends, unless resumed meanwhile.
  const auto pauseAgain = OnScopeExit([this] {
    std::lock_guard<std::mutex> guard(FLock);
    if (FMainPaused) ResetEvent(FMainEvent.Get());
  });
  call();
}

std::vector<DWORD> TThreadPause::PausedThreads() {
  std::lock_guard<std::mutex> guard(FLock);
  return std::vector<DWORD>(FPaused.begin(), FPaused.end());
}

bool TThreadPause::MainThreadPaused() {
  std::lock_guard<std::mutex> guard(FLock);
  return FMainPaused;
}

void TThreadPause::StopIfPaused() {
  const HANDLE event = EventOfCurrentThread();
  if (event == nullptr) return;
  ++FStopped;
  WaitForSingleObject(event, INFINITE);
  --FStopped;
}

HANDLE TThreadPause::EventOfCurrentThread() {
  const DWORD self = GetCurrentThreadId();
  std::lock_guard<std::mutex> guard(FLock);
  if (self == FMainThreadId) return FMainPaused ? FMainEvent.Get() : nullptr;
  return FPaused.count(self) != 0 ? FOthersEvent.Get() : nullptr;
}
