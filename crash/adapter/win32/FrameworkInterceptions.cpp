#include "crash/adapter/win32/FrameworkInterceptions.h"

#include <windows.h>

#include <atomic>
#include <cstring>

#include "crash/flow/ExceptionDescription.h"
#include "crash/flow/win32/ReportException.h"
#include "crash/hooks/win32/CallRedirect.h"
#include "crash/flow/win32/ThrowRecords.h"
#include "framework/win32/Application.h"
#include "framework/win32/LastResortRoutines.h"
#include "platform/win32/CodePatch.h"

namespace {

// The original RunThreadBody, reached through the entry patch's trampoline.
std::atomic<void (*)(TThread*)> gOriginalRunThreadBody{nullptr};

template <class Member>
void* MemberAddress(Member member) {
  static_assert(sizeof(Member) >= sizeof(void*), "a member pointer starts with the function");
  void* address = nullptr;
  std::memcpy(&address, &member, sizeof address);
  return address;
}

void Report(const std::exception_ptr& exception, TCatchPoint catchPoint, void* related, bool canContinue) {
  ReportException(ekException, exception ? &exception : nullptr, 0, nullptr, 0, related, catchPoint, nullptr, 0,
                  0, canContinue);
}

// TApplication::HandleException: an exception escaped an event handler.
void __attribute__((thiscall)) HandleExceptionHook(TApplication* /*application*/, TObject* sender) {
  // A control holding the mouse would keep it while the report is shown.
  if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
  Report(std::current_exception(), cpApplicationHandleException, sender, true);
}

// TApplication::ShowException: the object being caught when that is it,
// else a copy of its own class (not of the base it is seen through).
void __attribute__((thiscall)) ApplicationShowExceptionHook(TApplication* /*application*/, const Exception* e) {
  std::exception_ptr exception = std::current_exception();
  if (!exception || ThrownObjectOf(exception) != static_cast<const void*>(e))
    exception = e->Clone();
  Report(exception, cpApplicationShowException, nullptr, true);
}

void UnitShowExceptionHook(const std::exception_ptr* exception) {
  Report(*exception, cpUnitShowException, nullptr, true);
}

void ThreadLastChanceHook(const std::exception_ptr* exception) {
  Report(*exception, cpLastChance, nullptr, GetCurrentThreadId() != MainThreadID);
}

// The call of the synchronised method inside the hand-over: what it raised
// is reported here and the waiting thread goes on; an EAbort is passed on.
std::atomic<void (*)(TSyncRequest*)> gOriginalCallSynchronized{nullptr};

void CallSynchronizedHook(TSyncRequest* request) {
  gOriginalCallSynchronized.load()(request);
  if (!request->exception || TExceptionDescription(request->exception).InheritsFrom("EAbort")) return;
  Report(request->exception, cpSynchronize, request->thread, true);
  request->exception = nullptr;
}

void RunThreadBodyHook(TThread* thread) {
  gOriginalRunThreadBody.load()(thread);
  // What escaped Execute stays with the thread; the method counts as returned.
  if (thread->FatalException()) Report(thread->FatalException(), cpThreadExecute, thread, true);
}

}  // namespace

TFrameworkInterceptions::TFrameworkInterceptions() = default;
TFrameworkInterceptions::~TFrameworkInterceptions() { Uninstall(); }

int TFrameworkInterceptions::Install() {
  if (!FEntryJumps.empty() || FSynchronizedCall) return static_cast<int>(FEntryJumps.size()) + (FSynchronizedCall ? 1 : 0);
  struct TEntry {
    void* routine;
    void* replacement;
    bool keepOriginal;
  };
  const TEntry entries[] = {
      {MemberAddress(&TApplication::HandleException), reinterpret_cast<void*>(&HandleExceptionHook), false},
      {MemberAddress(&TApplication::ShowException), reinterpret_cast<void*>(&ApplicationShowExceptionHook), false},
      {reinterpret_cast<void*>(static_cast<void (*)(const std::exception_ptr&)>(&::ShowException)),
       reinterpret_cast<void*>(&UnitShowExceptionHook), false},
      {reinterpret_cast<void*>(&ThreadLastChance), reinterpret_cast<void*>(&ThreadLastChanceHook), false},
      {reinterpret_cast<void*>(&RunThreadBody), reinterpret_cast<void*>(&RunThreadBodyHook), true},
  };
  for (const TEntry& entry : entries) {
    auto patch = std::make_unique<TEntryJumpPatch>(entry.routine, entry.replacement, entry.keepOriginal);
    // The way to the original is built as the patch goes in; patches go in
    // before other threads run, so nobody meets the hook without it.
    if (!patch->Apply()) continue;
    if (entry.replacement == reinterpret_cast<void*>(&RunThreadBodyHook))
      gOriginalRunThreadBody.store(reinterpret_cast<void (*)(TThread*)>(patch->Original()));
    FEntryJumps.push_back(std::move(patch));
  }
  auto call = std::make_unique<TCallRedirect>(ServeQueueRoutine(), reinterpret_cast<void*>(&CallSynchronizedMethod),
                                              reinterpret_cast<void*>(&CallSynchronizedHook));
  if (call->Found()) {
    gOriginalCallSynchronized.store(reinterpret_cast<void (*)(TSyncRequest*)>(call->Original()));
    if (call->Apply()) FSynchronizedCall = std::move(call);
  }
  return static_cast<int>(FEntryJumps.size()) + (FSynchronizedCall ? 1 : 0);
}

void TFrameworkInterceptions::Uninstall() {
  if (FSynchronizedCall) {
    FSynchronizedCall->Undo();
    FSynchronizedCall.reset();
  }
  // Newest first, so that patches of one routine come off in order.
  while (!FEntryJumps.empty()) {
    FEntryJumps.back()->Undo();
    FEntryJumps.pop_back();
  }
}
