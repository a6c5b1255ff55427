#include "framework/win32/Thread.h"

#include <process.h>

#include <atomic>
#include <deque>
#include <mutex>

#include "framework/win32/Application.h"
#include "framework/win32/LastResortRoutines.h"

namespace {

// Both sides of a hand-over usually answer within microseconds, while each
// wake-up through the system costs far more (under Wine a server round trip
// each). So the waiting worker and the serving main thread first watch for
// each other this long before they fall back to the event and the message.
constexpr double kSpinSeconds = 200e-6;

class TSpinDeadline {
 public:
  TSpinDeadline() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    FEnd = now.QuadPart + static_cast<LONGLONG>(frequency.QuadPart * kSpinSeconds);
  }
  bool Passed() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart >= FEnd;
  }

 private:
  LONGLONG FEnd;
};

// Requests queued and not yet taken; read without the lock while polling.
std::atomic<int> gQueued{0};
// The main thread is polling the queue: a new request needs no wake-up.
std::atomic<bool> gMainListening{false};
// SyncEvent has been set since the queue last ran empty.
std::atomic<bool> gSyncEventSet{false};

// The process-wide hand-over queue and its lock, held only to queue a
// request or take one off.
std::mutex& QueueLock() {
  static std::mutex lock;
  return lock;
}
std::deque<TSyncRequest*>& Queue() {
  static std::deque<TSyncRequest*> queue;
  return queue;
}

HANDLE CreateSyncEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

std::string SysErrorMessage(DWORD code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text = length > 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.'))
    text.pop_back();
  if (text.empty()) text = "error " + std::to_string(code);
  return text;
}
}  // namespace

const DWORD MainThreadID = GetCurrentThreadId();
void (*WakeMainThread)() = nullptr;

HANDLE SyncEvent() {
  static const HANDLE event = CreateSyncEvent();
  return event;
}

namespace {

}  // namespace

TSyncRequest* TakeSyncRequest() {
  std::lock_guard<std::mutex> guard(QueueLock());
  if (Queue().empty()) {
    if (gSyncEventSet.exchange(false)) ResetEvent(SyncEvent());
    return nullptr;
  }
  TSyncRequest* request = Queue().front();
  Queue().pop_front();
  --gQueued;
  return request;
}

namespace {

// After serving, watches a little while for the next request of a worker
// that hands over line after line; true when one came.
bool AwaitNextRequest() {
  gMainListening = true;
  const TSpinDeadline deadline;
  while (gQueued.load() == 0 && !deadline.Passed()) YieldProcessor();
  gMainListening = false;
  // A request queued while we listened got no wake-up: this look catches it.
  return gQueued.load() > 0;
}

}  // namespace

bool CheckSynchronize() {
  if (GetCurrentThreadId() != MainThreadID) return false;
  bool ran = false;
  while (ServeQueue()) {
    ran = true;
    if (!AwaitNextRequest()) break;
  }
  return ran;
}

TThread::TThread(bool createSuspended) {
  FSyncEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!FSyncEvent)
    throw EThread("Thread creation error: " + SysErrorMessage(GetLastError()));
  DWORD id = 0;
  // Always made suspended, so nothing runs before the object is complete.
  // CreateThread itself, so that whoever watches thread creation sees the
  // thread object as the parameter; the C runtime (msvcrt.dll) sets up its
  // per-thread data on first use for any thread, and the static threading
  // library does the same for threads it did not start.
  const HANDLE handle = CreateThread(nullptr, 0,
                                     reinterpret_cast<LPTHREAD_START_ROUTINE>(
                                         reinterpret_cast<void (*)()>(&ThreadStartEntry)),
                                     this, CREATE_SUSPENDED, &id);
  if (handle == nullptr) {
    const DWORD error = GetLastError();
    FSyncEvent.Reset();
    throw EThread("Thread creation error: " + SysErrorMessage(error));
  }
  FHandle.Reset(handle);
  FThreadID = id;
  FSuspended = true;
  if (!createSuspended) Resume();
}

TThread::~TThread() {
  if (FHandle) {
    if (GetCurrentThreadId() != FThreadID) {
      // Still running (or never started): let it run out and wait for it.
      FFreeOnTerminate = false;
      Terminate();
      if (FSuspended) Resume();
      WaitFor();
    }
  }
}

void TThread::Resume() {
  if (!FSuspended) return;
  FSuspended = false;
  ResumeThread(FHandle.Get());
}

DWORD TThread::WaitFor() {
  if (GetCurrentThreadId() == MainThreadID) {
    HANDLE handles[2] = {FHandle.Get(), SyncEvent()};
    for (;;) {
      const DWORD result = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
      if (result == WAIT_OBJECT_0 + 1) {
        CheckSynchronize();
      } else if (result == WAIT_OBJECT_0 + 2) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
      } else {
        break;
      }
    }
  } else {
    WaitForSingleObject(FHandle.Get(), INFINITE);
  }
  DWORD code = 0;
  GetExitCodeThread(FHandle.Get(), &code);
  return code;
}

void TThread::DoTerminate() {
  if (OnTerminate) SynchronizeMethod(&TThread::CallOnTerminate);
}

void TThread::CallOnTerminate() {
  if (OnTerminate) OnTerminate(this);
}

void TThread::SynchronizeMethod(TThreadMethod method) {
  if (GetCurrentThreadId() == MainThreadID) {
    (this->*method)();
    return;
  }
  TSyncRequest request{this, method, FSyncEvent.Get(), nullptr};
  bool wasEmpty;
  {
    std::lock_guard<std::mutex> guard(QueueLock());
    wasEmpty = Queue().empty();
    Queue().push_back(&request);
    ++gQueued;
  }
  // A non-empty queue already has a wake-up on its way; a listening main
  // thread sees the request by itself.
  if (wasEmpty && !gMainListening.load()) {
    // Set the flag after the event, so that whoever finds it set also finds
    // an event to reset.
    SetEvent(SyncEvent());
    gSyncEventSet = true;
    if (WakeMainThread != nullptr) WakeMainThread();
  }
  const TSpinDeadline deadline;
  while (request.state.load() == ssPending && !deadline.Passed()) YieldProcessor();
  int expected = ssPending;
  if (request.state.compare_exchange_strong(expected, ssBlocked)) WaitForSingleObject(FSyncEvent.Get(), INFINITE);
  if (request.exception) std::rethrow_exception(request.exception);
}
