// Waiting for the handling of an exception: the main thread serves sent and
// posted messages until the event is set, and a quit message ends its wait and
// stays for its own loop; another thread blocks and leaves its queue alone.
#include <gtest/gtest.h>

#include <atomic>

#include "crash/flow/win32/MainThreadWait.h"
#include "crash/flow/win32/MainThreadWindow.h"
#include "tests/crash/flow/win32/FlowTestSupport.h"

namespace {

TEST(MainThreadWait, TheMainThreadServesMessagesUntilTheEventIsSet) {
  auto window = TMainThreadWindow::Create();
  ASSERT_TRUE(window);
  TKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  bool probed = false, answered = false;
  TTestThread other([&] {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    probed = window->Probe();  // a sent message
    // A posted one, answered by a message posted back.
    if (window->PostPing(GetCurrentThreadId()) &&
        MsgWaitForMultipleObjectsEx(0, nullptr, 10000, QS_ALLPOSTMESSAGE, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0)
      answered = PeekMessageW(&message, nullptr, WM_NULL, WM_NULL, PM_REMOVE) && message.wParam == 777;
    SetEvent(done.Get());
  });
  EXPECT_EQ(WaitForEvent(done.Get(), GetCurrentThreadId()), TEventWaitEnd::EventSet);
  EXPECT_TRUE(probed);
  EXPECT_TRUE(answered);
}

TEST(MainThreadWait, AQuitMessageEndsTheMainThreadsWaitAndIsPostedAgain) {
  TKernelHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  PostQuitMessage(3);
  EXPECT_EQ(WaitForEvent(never.Get(), GetCurrentThreadId()), TEventWaitEnd::QuitMessage);
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 3u);
}

TEST(MainThreadWait, AnotherThreadBlocksAndLeavesItsQueueAlone) {
  const DWORD mainThread = GetCurrentThreadId();
  TKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  TKernelHandle waiting(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<bool> setBeforeEnd{false};
  std::atomic<bool> eventIsSet{false};
  TEventWaitEnd end = TEventWaitEnd::Failed;
  bool quitKept = false;
  TTestThread other([&] {
    PostQuitMessage(4);
    SetEvent(waiting.Get());
    end = WaitForEvent(event.Get(), mainThread);
    setBeforeEnd = eventIsSet.load();
    MSG message;
    quitKept = PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && message.wParam == 4;
  });
  WaitForSingleObject(waiting.Get(), INFINITE);
  Sleep(100);
  eventIsSet = true;
  SetEvent(event.Get());
  WaitForSingleObject(other.Handle(), INFINITE);
  EXPECT_EQ(end, TEventWaitEnd::EventSet);
  EXPECT_TRUE(setBeforeEnd);
  EXPECT_TRUE(quitKept);
}

TEST(MainThreadWait, AHandleThatCannotBeWaitedForFails) {
  EXPECT_EQ(WaitForEvent(nullptr, GetCurrentThreadId()), TEventWaitEnd::Failed);
  EXPECT_EQ(WaitForEvent(nullptr, GetCurrentThreadId() + 1), TEventWaitEnd::Failed);
}

}  // namespace
