// The freeze watch against a real main thread (the test's own), with a
// timeout of one second (periods of 100 ms): a serving main thread is never
// reported, a blocked one after ten missed periods and again only after ten
// longer ones; a paused watch reports nothing; of two watches sharing the
// process's mutex only the holder counts, and the other takes over when it stops.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>

#include "crash/flow/win32/FreezeWatch.h"
#include "crash/flow/win32/MainThreadWindow.h"
#include "crash/win32/ThreadInfoBuffer.h"
#include "tests/crash/flow/win32/FlowTestSupport.h"

namespace {

constexpr DWORD kTimeoutMs = 1000;

// Records the time of each report; the waits block the main thread, which is
// what makes it frozen.
class TReports {
 public:
  explicit TReports(bool throwing = false) : FThrowing(throwing) {}
  TFreezeWatch::TFreezeReport Callback() {
    return [this] {
      const int index = FCount.load();
      if (index < kMax) FTimes[index] = GetTickCount();
      ++FCount;
      ReleaseSemaphore(FReported.Get(), 1, nullptr);
      if (FThrowing) throw std::runtime_error("report failed");
    };
  }
  int Count() const { return FCount.load(); }
  DWORD At(int index) const { return FTimes[index]; }
  // Blocks the calling thread without serving messages until count reports came.
  bool WaitFor(int count, DWORD limitMs) {
    while (FWaited < count) {
      if (WaitForSingleObject(FReported.Get(), limitMs) != WAIT_OBJECT_0) return false;
      ++FWaited;
    }
    return true;
  }

 private:
  static constexpr int kMax = 8;
  bool FThrowing;
  std::atomic<int> FCount{0};
  DWORD FTimes[kMax] = {};
  int FWaited = 0;
  TKernelHandle FReported{CreateSemaphoreW(nullptr, 0, 100, nullptr)};
};

bool ServeUntilActive(const TFreezeWatch& watch) {
  for (int i = 0; i < 100 && !watch.Active(); ++i) ServeMessagesFor(50);
  return watch.Active();
}

// The exit code of a thread that has ended: 0 when it ended by itself.
DWORD ExitCodeAfterStop(TFreezeWatch& watch) {
  TKernelHandle thread(OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, watch.ThreadId()));
  watch.Stop();
  DWORD code = STILL_ACTIVE;
  if (thread && WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0) GetExitCodeThread(thread.Get(), &code);
  return code;
}

TEST(FreezeWatch, ABlockedMainThreadIsReportedAfterTenMissedPeriodsAndThenAfterTenLongerOnes) {
  auto window = TMainThreadWindow::Create();
  ASSERT_TRUE(window);
  // A report that throws does not end the watch.
  TReports reports(true);
  TFreezeWatch watch(*window, kTimeoutMs, reports.Callback());
  ASSERT_TRUE(watch.Start(nullptr, nullptr));

  ServeMessagesFor(2500);
  EXPECT_EQ(reports.Count(), 0);

  const DWORD blocked = GetTickCount();
  ASSERT_TRUE(reports.WaitFor(2, 20000));
  // The last answered ping may lie up to a period before the block.
  EXPECT_GE(reports.At(0) - blocked, 900u);
  // Periods of 150 ms after the first report (a little slack for the clock's rounding).
  EXPECT_GE(reports.At(1) - reports.At(0), 1450u);

  ServeMessagesFor(1500);
  EXPECT_EQ(reports.Count(), 2);
  EXPECT_EQ(ExitCodeAfterStop(watch), 0u);
}

TEST(FreezeWatch, APausedWatchReportsNothingAndCountsAfreshWhenResumed) {
  auto window = TMainThreadWindow::Create();
  ASSERT_TRUE(window);
  TReports reports;
  TFreezeWatch watch(*window, kTimeoutMs, reports.Callback());
  ASSERT_TRUE(watch.Start(nullptr, nullptr));
  ServeMessagesFor(300);

  // Two exceptions being handled; the main thread stays blocked throughout.
  watch.Pause();
  watch.Pause();
  Sleep(1200);
  watch.Resume();
  Sleep(1200);
  EXPECT_EQ(reports.Count(), 0);
  const DWORD resumed = GetTickCount();
  watch.Resume();
  ASSERT_TRUE(reports.WaitFor(1, 20000));
  EXPECT_GE(reports.At(0) - resumed, 900u);
  // More resumes than pauses are ignored: the watch is not left paused below zero.
  watch.Resume();
  watch.Pause();
  Sleep(2000);  // unpaused, the next report would come after 1500 ms
  EXPECT_EQ(reports.Count(), 1);
  watch.Resume();
  ServeMessagesFor(100);
}

TEST(FreezeWatch, OnlyTheWatchHoldingTheMutexCountsAndAnotherTakesOverWhenItStops) {
  const std::string suffix = "$watchtest" + std::to_string(GetCurrentProcessId());
  auto threads = TThreadInfoBuffer::OpenNamed("RavelinThreadInfoBuf" + suffix, "RavelinThreadInfoMtx" + suffix);
  ASSERT_TRUE(threads);
  auto window = TMainThreadWindow::Create();
  ASSERT_TRUE(window);
  TReports firstReports, secondReports, thirdReports;
  TFreezeWatch first(*window, kTimeoutMs, firstReports.Callback());
  TFreezeWatch second(*window, kTimeoutMs, secondReports.Callback());
  TFreezeWatch third(*window, kTimeoutMs, thirdReports.Callback());
  ASSERT_TRUE(first.Start(threads->FreezeWatchMutex(), threads.get()));
  ASSERT_TRUE(ServeUntilActive(first));
  ASSERT_TRUE(second.Start(threads->FreezeWatchMutex(), threads.get()));
  ASSERT_TRUE(third.Start(threads->FreezeWatchMutex(), threads.get()));
  ServeMessagesFor(300);
  EXPECT_FALSE(second.Active());
  EXPECT_FALSE(third.Active());
  for (const TFreezeWatch* watch : {&first, &second, &third}) {
    TThreadInfo info;
    ASSERT_TRUE(threads->Find(watch->ThreadId(), info));
    EXPECT_EQ(info.Name, "-");
  }
  // A watch still waiting for the mutex ends when asked.
  const DWORD thirdId = third.ThreadId();
  EXPECT_EQ(ExitCodeAfterStop(third), 0u);
  TThreadInfo gone;
  EXPECT_FALSE(threads->Find(thirdId, gone));

  ASSERT_TRUE(firstReports.WaitFor(1, 20000));
  EXPECT_EQ(secondReports.Count(), 0);

  EXPECT_EQ(ExitCodeAfterStop(first), 0u);
  ASSERT_TRUE(ServeUntilActive(second));
  ASSERT_TRUE(secondReports.WaitFor(1, 20000));
  EXPECT_EQ(firstReports.Count(), 1);
  EXPECT_EQ(thirdReports.Count(), 0);
}

}  // namespace
