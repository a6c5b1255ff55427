#include "crash/flow/win32/FrameworkInterceptions.h"

#include <windows.h>

#include <atomic>
#include <cstring>

#include "crash/flow/win32/ReportException.h"
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

// TApplication::ShowException: the object itself, or the one being caught
// when that is it.
void __attribute__((thiscall)) ApplicationShowExceptionHook(TApplication* /*application*/, const Exception* e) {
  std::exception_ptr exception = std::current_exception();
  if (!exception || ThrownObjectOf(exception) != static_cast<const void*>(e))
    exception = std::make_exception_ptr(*e);
  Report(exception, cpApplicationShowException, nullptr, true);
}

void UnitShowExceptionHook(const std::exception_ptr* exception) {
  Report(*exception, cpUnitShowException, nullptr, true);
}

void ThreadLastChanceHook(const std::exception_ptr* exception) {
  Report(*exception, cpLastChance, nullptr, GetCurrentThreadId() != MainThreadID);
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
  if (!FEntryJumps.empty()) return static_cast<int>(FEntryJumps.size());
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
    if (entry.keepOriginal && patch->Original() == nullptr) continue;
    if (entry.replacement == reinterpret_cast<void*>(&RunThreadBodyHook))
      gOriginalRunThreadBody.store(reinterpret_cast<void (*)(TThread*)>(patch->Original()));
    if (patch->Apply()) FEntryJumps.push_back(std::move(patch));
  }
  return static_cast<int>(FEntryJumps.size());
}

void TFrameworkInterceptions::Uninstall() {
  // Newest first, so that patches of one routine come off in order.
  while (!FEntryJumps.empty()) {
    FEntryJumps.back()->Undo();
    FEntryJumps.pop_back();
  }
}
