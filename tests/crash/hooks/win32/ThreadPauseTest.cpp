// Cooperative pausing: a started thread stops in its message loop until
// resumed; the main thread, paused from another thread, is let go for one
// sent message and stays paused after it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>

#include "crash/adapter/win32/FrameworkThreads.h"
#include "crash/hooks/win32/ThreadPause.h"
#include "framework/win32/Thread.h"
#include "tests/crash/hooks/win32/HookTestSupport.h"

namespace {

class ThreadPauseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gBuffer = OpenHookTestBuffer().release();
    gHooks = new TThreadCreationHooks(gBuffer, &TReportedFailures::Report, FrameworkThreadStart());
    ASSERT_TRUE(gHooks->Install());
  }
  static void TearDownTestSuite() {
    delete gHooks;
    delete gBuffer;
  }
  static TThreadInfoBuffer* gBuffer;
  static TThreadCreationHooks* gHooks;
};

TThreadInfoBuffer* ThreadPauseTest::gBuffer = nullptr;
TThreadCreationHooks* ThreadPauseTest::gHooks = nullptr;

// A worker with a message loop that counts WM_APP messages.
struct TLoopWorker {
  HANDLE Ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> Handled{0};
  ~TLoopWorker() { CloseHandle(Ready); }
};

// Reads the import slot at each call: in a loop the compiler may load an
// import's address once, before the pause redirects it.
__attribute__((noinline)) BOOL RetrieveMessage(MSG& message) { return GetMessageW(&message, nullptr, 0, 0); }

DWORD WINAPI LoopWorker(void* parameter) {
  auto* worker = static_cast<TLoopWorker*>(parameter);
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
  SetEvent(worker->Ready);
  for (;;) {
    const BOOL got = RetrieveMessage(message);
    if (got <= 0) break;
    if (message.message == WM_APP) ++worker->Handled;
  }
  return 0;
}

bool WaitFor(const std::atomic<int>& value, int wanted) {
  return WaitUntil([&] { return value.load() == wanted; });
}

TEST_F(ThreadPauseTest, AWorkerStopsAtItsNextMessageUntilResumed) {
  TLoopWorker worker;
  TThreadPause pause(GetCurrentThreadId());
  // Redirected before the worker waits in its first retrieval: a call
  // already inside the system's function returns past the pause.
  ASSERT_TRUE(pause.Prepare());
  DWORD id = 0;
  const HANDLE thread = CreateThread(nullptr, 0, LoopWorker, &worker, 0, &id);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(worker.Ready, kHangLimitMs), WAIT_OBJECT_0);
  {
    ASSERT_TRUE(pause.Pause(0));
    const std::vector<DWORD> paused = pause.PausedThreads();
    EXPECT_NE(std::find(paused.begin(), paused.end(), id), paused.end());
    // The pausing thread here is the main thread, which goes on serving.
    EXPECT_FALSE(pause.MainThreadPaused());

    PostThreadMessageW(id, WM_APP, 0, 0);
    // Stopped right after it retrieved the message, before handling it.
    ASSERT_TRUE(WaitUntil([&] { return pause.StoppedThreads() == 1; }));
    EXPECT_EQ(worker.Handled.load(), 0);
    pause.Resume();
    EXPECT_TRUE(WaitFor(worker.Handled, 1));

    // The completion thread is never paused.
    ASSERT_TRUE(pause.Pause(id));
    for (DWORD paused : pause.PausedThreads()) EXPECT_NE(paused, id);
    PostThreadMessageW(id, WM_APP, 0, 0);
    EXPECT_TRUE(WaitFor(worker.Handled, 2));
    EXPECT_EQ(pause.StoppedThreads(), 0);

    ASSERT_TRUE(pause.Pause(0));
    PostThreadMessageW(id, WM_APP, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return pause.StoppedThreads() == 1; }));
    EXPECT_EQ(worker.Handled.load(), 2);
    pause.Resume();
  }
  EXPECT_TRUE(WaitFor(worker.Handled, 3));
  PostThreadMessageW(id, WM_QUIT, 0, 0);
  EXPECT_EQ(WaitForSingleObject(thread, kHangLimitMs), WAIT_OBJECT_0);
  CloseHandle(thread);
}

constexpr UINT kProbe = WM_APP + 1;
constexpr UINT kLast = WM_APP + 2;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbe) return 777;
  return DefWindowProcW(window, message, wParam, lParam);
}

// Pauses the main thread from outside, lets it go for one sent message,
// then posts it a message while still paused and resumes once it has
// stopped at that message.
struct TMainPauser {
  HWND Window;
  HANDLE Paused = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  LRESULT Answer = 0;
  bool MainPaused = false;
  bool StoppedAtFirst = false;
  bool StoppedAtLast = false;
  std::atomic<bool> Resumed{false};
  ~TMainPauser() { CloseHandle(Paused); }
};

DWORD WINAPI PauseMainThread(void* parameter) {
  auto* pauser = static_cast<TMainPauser*>(parameter);
  TThreadPause pause(MainThreadID);
  pause.Pause(0);  // the main thread is in none of its retrievals yet
  pauser->MainPaused = pause.MainThreadPaused();
  SetEvent(pauser->Paused);
  // The main thread meanwhile retrieves its first message and stops.
  pauser->StoppedAtFirst = WaitUntil([&] { return pause.StoppedThreads() == 1; });
  pause.WithMainThreadLetGo([&] {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(pauser->Window, kProbe, 0, 0, SMTO_NORMAL, kHangLimitMs, &answer))
      pauser->Answer = answer;
  });
  PostMessageW(pauser->Window, kLast, 0, 0);
  pauser->StoppedAtLast = WaitUntil([&] { return pause.StoppedThreads() == 1; });
  pauser->Resumed = true;
  pause.Resume();
  return 0;
}

TEST_F(ThreadPauseTest, ThePausedMainThreadIsLetGoForOneCall) {
  ASSERT_EQ(GetCurrentThreadId(), MainThreadID);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ProbeWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"RavelinPauseProbe";
  RegisterClassW(&windowClass);
  TMainPauser pauser;
  pauser.Window = CreateWindowW(L"RavelinPauseProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(pauser.Window, nullptr);
  DWORD id = 0;
  const HANDLE thread = CreateThread(nullptr, 0, PauseMainThread, &pauser, 0, &id);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(pauser.Paused, kHangLimitMs), WAIT_OBJECT_0);
  PostMessageW(pauser.Window, WM_NULL, 0, 0);
  MSG message;
  bool resumedBeforeLast = false;
  while (RetrieveMessage(message) > 0) {
    if (message.message == kLast) {
      resumedBeforeLast = pauser.Resumed.load();
      break;
    }
    DispatchMessageW(&message);
  }
  ASSERT_EQ(WaitForSingleObject(thread, kHangLimitMs), WAIT_OBJECT_0);
  CloseHandle(thread);
  DestroyWindow(pauser.Window);
  EXPECT_TRUE(pauser.MainPaused);
  EXPECT_TRUE(pauser.StoppedAtFirst);
  EXPECT_EQ(pauser.Answer, 777);  // served while let go
  // Paused again after the call: the last message came through only after the resume.
  EXPECT_TRUE(pauser.StoppedAtLast);
  EXPECT_TRUE(resumedBeforeLast);
}

}  // namespace
