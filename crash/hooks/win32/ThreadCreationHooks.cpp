#include "crash/hooks/win32/ThreadCreationHooks.h"

#include <process.h>

#include <atomic>
#include <new>
#include <shared_mutex>

#include "crash/hooks/win32/CreatedThreads.h"
#include "crash/hooks/win32/ImportRedirect.h"
#include "crash/win32/ThreadInfoBuffer.h"

namespace {

using TCreateThread = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
using TQueueUserWorkItem = BOOL(WINAPI*)(LPTHREAD_START_ROUTINE, PVOID, ULONG);
using TRuntimeThreadRoutine = unsigned(__stdcall*)(void*);
using TBeginThreadEx = uintptr_t(__cdecl*)(void*, unsigned, TRuntimeThreadRoutine, void*, unsigned, unsigned*);

// The exit code of a thread whose procedure was left by an exception, as
// the framework's own thread entry gives.
constexpr DWORD kEscapedExitCode = 1;

// What the hooks share with the threads they start. The list is used under
// the shared lock only, so that uninstalling waits for its last user.
struct THookState {
  std::shared_mutex Lock;
  TThreadInfoBuffer* Threads = nullptr;
  std::atomic<TThreadFailureReport> Report{nullptr};
  // Set once, never cleared: a call already inside a hook still needs them.
  std::atomic<TCreateThread> CreateThread{nullptr};
  std::atomic<TQueueUserWorkItem> QueueUserWorkItem{nullptr};
  std::atomic<TBeginThreadEx> BeginThreadEx{nullptr};
  std::atomic<void*> FrameworkThreadRoutine{nullptr};
  std::atomic<std::string (*)(void*)> FrameworkClassName{nullptr};
  HMODULE RuntimeModule = nullptr;
  bool Active = false;
};

THookState& State() {
  // Never destroyed: hooked threads may end after the statics are gone.
  static THookState* const state = new THookState;
  return *state;
}

// The return address of a _beginthreadex call in progress on this thread,
// for the CreateThread it makes.
thread_local uintptr_t tRuntimeCaller = 0;

// What a wrapped thread or work item is to run.
struct TStartRecord {
  LPTHREAD_START_ROUTINE Routine;
  void* Parameter;
  // Set for a framework thread object's thread: its parameter is the object.
  std::string (*FrameworkClassName)(void* parameter);
  bool FrameworkThread() const { return FrameworkClassName != nullptr; }
};

HMODULE ModuleOf(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCWSTR>(address), &module);
  return module;
}

// A frame-pointer link worth following: inside this thread's stack, above
// the current frame, aligned.
bool PlausibleFrame(void* const* frame, void* const* below) {
  const NT_TIB* tib = nullptr;
  // The thread's own information block (fs:[18h] points at itself).
  asm("movl %%fs:0x18, %0" : "=r"(tib));
  const auto at = reinterpret_cast<uintptr_t>(frame);
  return at % sizeof(void*) == 0 && at > reinterpret_cast<uintptr_t>(below) &&
         at >= reinterpret_cast<uintptr_t>(tib->StackLimit) &&
         at + 2 * sizeof(void*) <= reinterpret_cast<uintptr_t>(tib->StackBase);
}

// The address the thread counts as created from: the return address of the
// CreateThread call, taken one frame further out for each piece of thread-
// starting code it lies in (the C runtime's _beginthreadex, the framework's
// thread object), so that the creator is the code that asked for the thread.
// hookFrame: the hook's own frame, whose link is the caller's frame.
uintptr_t CreationAddress(void* returnAddress, void* const* hookFrame, bool frameworkThread) {
  if (tRuntimeCaller != 0) return tRuntimeCaller;
  int skip = frameworkThread ? 1 : 0;
  if (State().RuntimeModule != nullptr && ModuleOf(returnAddress) == State().RuntimeModule) ++skip;
  void* address = returnAddress;
  void* const* frame = static_cast<void* const*>(hookFrame[0]);
  void* const* below = hookFrame;
  for (; skip > 0 && PlausibleFrame(frame, below); --skip) {
    address = frame[1];
    below = frame;
    frame = static_cast<void* const*>(frame[0]);
  }
  return reinterpret_cast<uintptr_t>(address);
}

void Report(const std::exception_ptr& exception) {
  const TThreadFailureReport report = State().Report.load();
  if (report == nullptr) std::rethrow_exception(exception);  // as if never hooked
  TThreadFailure failure;
  failure.Exception = exception;
  failure.ThreadId = GetCurrentThreadId();
  failure.CatchPoint = cpThreadProcedure;
  failure.CanContinue = true;
  try {
    report(failure);
  } catch (...) {
    // The reporter's own failure never ends the thread differently.
  }
}

DWORD RunGuarded(const TStartRecord& start) {
  try {
    return start.Routine(start.Parameter);
  } catch (...) {
    Report(std::current_exception());
    return kEscapedExitCode;
  }
}

// Work with the list while the hooks are installed; false when they are not.
template <typename Work>
bool WithThreadList(Work work) {
  THookState& state = State();
  std::shared_lock<std::shared_mutex> hold(state.Lock);
  if (!state.Active || state.Threads == nullptr) return false;
  try {
    work(*state.Threads);
  } catch (...) {
    // The list is for the reports; a thread runs without its entry.
  }
  return true;
}

// The thread's procedure has returned: it leaves the list and the pause.
void ForgetThread() {
  const DWORD self = GetCurrentThreadId();
  TCreatedThreads::Instance().Remove(self);
  WithThreadList([&](TThreadInfoBuffer& list) { list.RecordThreadInfo(self, nullptr, "", 0, 0, ""); });
}

DWORD WINAPI ThreadWrapper(void* parameter) {
  const TStartRecord start = *static_cast<TStartRecord*>(parameter);
  delete static_cast<TStartRecord*>(parameter);
  if (start.FrameworkThread()) {
    // Known only now: during the CreateThread call the object was still in
    // its base constructor, and it is resumed only once complete.
    WithThreadList([&](TThreadInfoBuffer& list) {
      list.RecordThreadInfo(GetCurrentThreadId(), nullptr, "", 0, 0, start.FrameworkClassName(start.Parameter));
    });
  }
  const DWORD result = RunGuarded(start);
  ForgetThread();
  return result;
}

// The procedure given to _beginthreadex, inside the runtime's own start code:
// an exception cannot be caught outside that code (it has no unwind
// information of ours), and the runtime ends the thread without returning.
unsigned __stdcall RuntimeThreadWrapper(void* parameter) {
  const TStartRecord start = *static_cast<TStartRecord*>(parameter);
  delete static_cast<TStartRecord*>(parameter);
  const DWORD result = RunGuarded(start);
  ForgetThread();
  return result;
}

DWORD WINAPI WorkItemWrapper(void* parameter) {
  const TStartRecord start = *static_cast<TStartRecord*>(parameter);
  delete static_cast<TStartRecord*>(parameter);
  return RunGuarded(start);
}

void RecordCreation(DWORD threadId, HANDLE thread, uintptr_t creationAddress) {
  const DWORD error = GetLastError();
  try {
    TCreatedThreads::Instance().Add(threadId, thread);
  } catch (...) {
  }
  WithThreadList([&](TThreadInfoBuffer& list) {
    list.RecordThreadInfo(threadId, thread, "", GetCurrentThreadId(), creationAddress, "");
  });
  SetLastError(error);
}

__attribute__((noinline)) HANDLE WINAPI HookedCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize,
                                                          LPTHREAD_START_ROUTINE routine, LPVOID parameter,
                                                          DWORD flags, LPDWORD threadId) {
  THookState& state = State();
  const TCreateThread original = state.CreateThread.load();
  const void* frameworkRoutine = state.FrameworkThreadRoutine.load();
  const bool frameworkThread = frameworkRoutine != nullptr && reinterpret_cast<void*>(routine) == frameworkRoutine;
  auto* start = new (std::nothrow)
      TStartRecord{routine, parameter, frameworkThread ? state.FrameworkClassName.load() : nullptr};
  if (start == nullptr) return original(security, stackSize, routine, parameter, flags, threadId);
  // Made suspended so that the entry is in the list before the thread runs
  // (and before it can end and have its entry removed).
  DWORD id = 0;
  const HANDLE thread = original(security, stackSize, ThreadWrapper, start, flags | CREATE_SUSPENDED, &id);
  if (thread == nullptr) {
    const DWORD error = GetLastError();
    delete start;
    SetLastError(error);
    return nullptr;
  }
  RecordCreation(id, thread,
                 CreationAddress(__builtin_return_address(0), static_cast<void* const*>(__builtin_frame_address(0)),
                                 start->FrameworkThread()));
  if ((flags & CREATE_SUSPENDED) == 0) ResumeThread(thread);
  if (threadId != nullptr) *threadId = id;
  return thread;
}

BOOL WINAPI HookedQueueUserWorkItem(LPTHREAD_START_ROUTINE routine, PVOID context, ULONG flags) {
  const TQueueUserWorkItem original = State().QueueUserWorkItem.load();
  auto* start = new (std::nothrow) TStartRecord{routine, context, nullptr};
  if (start == nullptr) return original(routine, context, flags);
  if (original(WorkItemWrapper, start, flags)) return TRUE;
  const DWORD error = GetLastError();
  delete start;
  SetLastError(error);
  return FALSE;
}

__attribute__((noinline)) uintptr_t __cdecl HookedBeginThreadEx(void* security, unsigned stackSize,
                                                                TRuntimeThreadRoutine routine, void* parameter,
                                                                unsigned flags, unsigned* threadId) {
  const TBeginThreadEx original = State().BeginThreadEx.load();
  auto* start = new (std::nothrow) TStartRecord{reinterpret_cast<LPTHREAD_START_ROUTINE>(
                                                    reinterpret_cast<void (*)()>(routine)),
                                                parameter, nullptr};
  if (start == nullptr) return original(security, stackSize, routine, parameter, flags, threadId);
  tRuntimeCaller = reinterpret_cast<uintptr_t>(__builtin_return_address(0));
  const uintptr_t thread = original(security, stackSize, RuntimeThreadWrapper, start, flags, threadId);
  tRuntimeCaller = 0;
  if (thread == 0) delete start;
  return thread;
}

LONG CALLBACK NamingHandler(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  if (record == nullptr || record->ExceptionCode != kThreadNamingException) return EXCEPTION_CONTINUE_SEARCH;
  bool named = false;
  WithThreadList([&](TThreadInfoBuffer& list) { named = list.HandleNamingException(*record); });
  // Execution goes on after the RaiseException that asked for the name.
  return named ? EXCEPTION_CONTINUE_EXECUTION : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

TThreadCreationHooks::TThreadCreationHooks(TThreadInfoBuffer* threads, TThreadFailureReport report,
                                           TFrameworkThreadStart frameworkThreads)
    : FThreads(threads), FReport(report), FFrameworkThreads(frameworkThreads) {}

TThreadCreationHooks::~TThreadCreationHooks() { Uninstall(); }

bool TThreadCreationHooks::Install() {
  THookState& state = State();
  if (FInstalled) return true;
  void* createThread = nullptr;
  void* queueWorkItem = nullptr;
  void* beginThreadEx = nullptr;
  {
    std::unique_lock<std::shared_mutex> hold(state.Lock);
    if (state.Active) return false;
    createThread = ExportedFunction("kernel32.dll", "CreateThread");
    queueWorkItem = ExportedFunction("kernel32.dll", "QueueUserWorkItem");
    if (createThread == nullptr) return false;
    // The routines behind any export stub: the stub's own cell is redirected too.
    state.CreateThread = reinterpret_cast<TCreateThread>(ResolveRoutineEntry(createThread));
    state.QueueUserWorkItem = reinterpret_cast<TQueueUserWorkItem>(ResolveRoutineEntry(queueWorkItem));
    state.RuntimeModule = ModuleOf(ResolveRoutineEntry(reinterpret_cast<void*>(&_beginthreadex)));
    beginThreadEx = state.RuntimeModule != nullptr
                        ? reinterpret_cast<void*>(GetProcAddress(state.RuntimeModule, "_beginthreadex"))
                        : nullptr;
    state.BeginThreadEx = reinterpret_cast<TBeginThreadEx>(ResolveRoutineEntry(beginThreadEx));
    state.Threads = FThreads;
    state.Report = FReport;
    // Both or neither: a routine without its class name is no framework thread.
    const bool framework = FFrameworkThreads.Routine != nullptr && FFrameworkThreads.ClassName != nullptr;
    state.FrameworkClassName = framework ? FFrameworkThreads.ClassName : nullptr;
    state.FrameworkThreadRoutine = framework ? FFrameworkThreads.Routine : nullptr;
    state.Active = true;
  }
  // From here the hooks may run: the state above is complete.
  FCreateThread = std::make_unique<TImportRedirect>(createThread, reinterpret_cast<void*>(&HookedCreateThread));
  if (queueWorkItem != nullptr)
    FQueueWorkItem =
        std::make_unique<TImportRedirect>(queueWorkItem, reinterpret_cast<void*>(&HookedQueueUserWorkItem));
  if (beginThreadEx != nullptr)
    FBeginThreadEx = std::make_unique<TImportRedirect>(beginThreadEx, reinterpret_cast<void*>(&HookedBeginThreadEx));
  FInstalled = true;
  if (FBeginThreadEx) FBeginThreadEx->Apply();
  const bool redirected = FCreateThread->Apply() > 0;
  if (FQueueWorkItem) FQueueWorkItem->Apply();
  FNamingHandler = AddVectoredExceptionHandler(1, NamingHandler);
  if (!redirected) {
    Uninstall();
    return false;
  }
  return true;
}

void TThreadCreationHooks::Uninstall() {
  if (!FInstalled) return;
  if (FNamingHandler != nullptr) RemoveVectoredExceptionHandler(FNamingHandler);
  FNamingHandler = nullptr;
  FCreateThread.reset();
  FQueueWorkItem.reset();
  FBeginThreadEx.reset();
  THookState& state = State();
  std::unique_lock<std::shared_mutex> hold(state.Lock);
  state.Active = false;
  state.Threads = nullptr;
  state.Report = nullptr;
  FInstalled = false;
}
