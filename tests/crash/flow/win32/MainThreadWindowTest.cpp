// The reporter's message window on the main thread: a serving main thread
// answers the probe and runs calls; a busy one fails the probe and nothing
// runs; a paused one is let go for the call and paused again; the freeze
// watch's ping is answered to the watch's thread.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "crash/flow/win32/MainThreadWait.h"
#include "crash/flow/win32/MainThreadWindow.h"
#include "tests/crash/flow/win32/FlowTestSupport.h"

namespace {

TEST(MainThreadWindow, AServingMainThreadAnswersTheProbeAndRunsCalls) {
  auto window = TMainThreadWindow::Create();
  ASSERT_TRUE(window);
  window->MakeCurrent();
  const DWORD mainThread = GetCurrentThreadId();
  bool probed = false, called = false, afterThrow = false;
  DWORD ranOn = 0;
  bool inCallDuring = false;
  TTestThread worker([&] {
    probed = window->Probe();
    called = window->Call([&] {
      ranOn = GetCurrentThreadId();
      inCallDuring = window->InCall();
    });
    // What a call throws stays on the main thread; the window goes on.
    CallOnMainThread([] { throw std::runtime_error("handler failed"); });
    afterThrow = CallOnMainThread([] {});
  });
  ASSERT_EQ(WaitForEvent(worker.Handle(), mainThread), TEventWaitEnd::EventSet);
  EXPECT_TRUE(probed);
  EXPECT_TRUE(called);
  EXPECT_EQ(ranOn, mainThread);
  EXPECT_TRUE(inCallDuring);
  EXPECT_FALSE(window->InCall());
  EXPECT_TRUE(afterThrow);
  // Without a window no call can be synchronised.
  window.reset();
  bool ranWithout = false;
  EXPECT_FALSE(CallOnMainThread([&] { ranWithout = true; }));
  EXPECT_FALSE(ranWithout);
}

TEST(MainThreadWindow, ABusyMainThreadFailsTheProbeAndNothingRuns) {
  auto window = TMainThreadWindow::Create();
  ASSERT_TRUE(window);
  bool called = true, ran = false;
  DWORD waited = 0;
  TTestThread worker([&] {
    const DWORD start = GetTickCount();
    called = window->Call([&] { ran = true; });
    waited = GetTickCount() - start;
  });
  // Blocked without serving messages, as a main thread stuck in a long job.
  WaitForSingleObject(worker.Handle(), INFINITE);
  EXPECT_FALSE(called);
  EXPECT_GE(waited, 1400u);
  // The late probe is served now; the call never comes.
  ServeMessagesFor(100);
  EXPECT_FALSE(ran);
}

struct TPauseCase {
  const char* name;
  bool paused;   // the main thread waits to be let go before it serves messages
  bool serving;  // it serves messages at all
  bool hookThrows;
  bool called;
  std::vector<std::string> steps;
};

TEST(MainThreadWindow, APausedMainThreadIsLetGoForTheCallAndPausedAgain) {
  const TPauseCase cases[] = {
      {"paused", true, true, false, true, {"let go", "call", "pause again"}},
      {"paused and busy", true, false, false, false, {"let go", "pause again"}},
      {"running", false, true, false, true, {"let go", "call"}},
      // A failing hook counts as a thread that was not paused.
      {"failing hook", false, true, true, true, {"let go", "call"}},
  };
  for (const TPauseCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto window = TMainThreadWindow::Create();
    ASSERT_TRUE(window);
    TKernelHandle letGo(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<std::string> steps;
    window->SetPauseHooks({[&] {
                             steps.push_back("let go");
                             SetEvent(letGo.Get());
                             if (c.hookThrows) throw std::runtime_error("pausing failed");
                             return c.paused;
                           },
                           [&] { steps.push_back("pause again"); }});
    bool called = !c.called;
    TTestThread worker([&] { called = window->Call([&] { steps.push_back("call"); }); });
    // Paused: no message is served until the hook lets the thread go.
    if (c.paused) WaitForSingleObject(letGo.Get(), INFINITE);
    if (c.serving)
      WaitForEvent(worker.Handle(), GetCurrentThreadId());
    else
      WaitForSingleObject(worker.Handle(), INFINITE);
    EXPECT_EQ(called, c.called);
    EXPECT_EQ(steps, c.steps);
    ServeMessagesFor(0);
  }
}

TEST(MainThreadWindow, ThePingIsAnsweredToTheWatchThread) {
  auto window = TMainThreadWindow::Create();
  ASSERT_TRUE(window);
  MSG answer{};
  bool posted = false, answered = false;
  TTestThread watch([&] {
    PeekMessageW(&answer, nullptr, 0, 0, PM_NOREMOVE);  // the queue the answer goes to
    posted = window->PostPing(GetCurrentThreadId());
    // Until the answer comes; the limit only guards against a hang.
    for (int tries = 0; posted && !answered && tries < 600; ++tries) {
      MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLPOSTMESSAGE, MWMO_INPUTAVAILABLE);
      answered = PeekMessageW(&answer, nullptr, 0, 0, PM_REMOVE) != 0;
    }
  });
  WaitForEvent(watch.Handle(), GetCurrentThreadId());
  ASSERT_TRUE(posted);
  ASSERT_TRUE(answered);
  EXPECT_EQ(answer.message, static_cast<UINT>(WM_NULL));
  EXPECT_EQ(answer.wParam, 777u);
  EXPECT_EQ(answer.lParam, 777);
}

}  // namespace
