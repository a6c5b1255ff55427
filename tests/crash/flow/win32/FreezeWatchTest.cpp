// The freeze watch against a real main thread (the test's own), with a
// timeout of one second (periods of 100 ms) on a clock the test drives: a
// serving main thread is never reported, a blocked one after ten missed
// periods and again only after ten longer ones; a paused watch counts no
// period and starts afresh when resumed; of two watches sharing the process's
// mutex only the holder counts, and the other takes over when it stops.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "crash/flow/win32/FreezeWatch.h"
#include "crash/flow/win32/MainThreadWindow.h"
#include "crash/win32/ThreadInfoBuffer.h"
#include "tests/crash/flow/win32/FlowTestSupport.h"

namespace {

constexpr DWORD kTimeoutMs = 1000;
// Only a guard against a hang: no outcome depends on it.
constexpr DWORD kHangLimitMs = 60000;

// Counts the reports; the watch calls them on its own thread.
class TReports {
 public:
  explicit TReports(bool throwing = false) : FThrowing(throwing) {}
  TFreezeWatch::TFreezeReport Callback() {
    return [this] {
      ++FCount;
      if (FThrowing) throw std::runtime_error("report failed");
    };
  }
  int Count() const { return FCount.load(); }

 private:
  bool FThrowing;
  std::atomic<int> FCount{0};
};

// The watch's clock: each period the watch waits out is recorded and lasts
// until the test ends it (or the watch is stopped).
class TManualPeriods {
 public:
  TFreezeWatch::TPeriodWait Wait() {
    return [this](HANDLE stopEvent, DWORD periodMs) {
      {
        std::lock_guard<std::mutex> hold(FLock);
        FLengths.push_back(periodMs);
      }
      ReleaseSemaphore(FStarted.Get(), 1, nullptr);
      const HANDLE waits[2] = {stopEvent, FEnd.Get()};
      return WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
    };
  }
  // Until the watch is inside a period: its ping for it is posted.
  bool AwaitPeriod() { return WaitForSingleObject(FStarted.Get(), kHangLimitMs) == WAIT_OBJECT_0; }
  // Ends the period the watch is in, the main thread having answered its
  // ping or not, and waits until the watch is inside the next one, so that
  // whatever the ended period caused has happened.
  bool Pass(int periods, bool answered) {
    for (int i = 0; i < periods; ++i) {
      if (answered) ServePendingMessages();
      ReleaseSemaphore(FEnd.Get(), 1, nullptr);
      if (!AwaitPeriod()) return false;
    }
    return true;
  }
  // Ends the current period without waiting for another.
  void EndPeriod() { ReleaseSemaphore(FEnd.Get(), 1, nullptr); }
  bool AnotherPeriodStarted() { return WaitForSingleObject(FStarted.Get(), 0) == WAIT_OBJECT_0; }
  std::vector<DWORD> Lengths() {
    std::lock_guard<std::mutex> hold(FLock);
    return FLengths;
  }

 private:
  std::mutex FLock;
  std::vector<DWORD> FLengths;
  TKernelHandle FStarted{CreateSemaphoreW(nullptr, 0, 1000, nullptr)};
  TKernelHandle FEnd{CreateSemaphoreW(nullptr, 0, 1000, nullptr)};
};

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
  TManualPeriods periods;
  TFreezeWatch watch(*window, kTimeoutMs, reports.Callback(), periods.Wait());
  ASSERT_TRUE(watch.Start(nullptr, nullptr));
  ASSERT_TRUE(periods.AwaitPeriod());

  ASSERT_TRUE(periods.Pass(25, true));
  EXPECT_EQ(reports.Count(), 0) << "a serving main thread";

  ASSERT_TRUE(periods.Pass(9, false));
  EXPECT_EQ(reports.Count(), 0);
  ASSERT_TRUE(periods.Pass(1, false));
  EXPECT_EQ(reports.Count(), 1) << "the tenth missed period";
  ASSERT_TRUE(periods.Pass(9, false));
  EXPECT_EQ(reports.Count(), 1);
  ASSERT_TRUE(periods.Pass(1, false));
  EXPECT_EQ(reports.Count(), 2);

  // Once it answers again, the count and the period start over.
  ASSERT_TRUE(periods.Pass(3, true));
  EXPECT_EQ(reports.Count(), 2);
  std::vector<DWORD> expected(25 + 10, 100);
  expected.insert(expected.end(), 10, 150);
  expected.insert(expected.end(), 1, 225);
  expected.insert(expected.end(), 3, 100);
  EXPECT_EQ(periods.Lengths(), expected);
  EXPECT_EQ(ExitCodeAfterStop(watch), 0u);
}

TEST(FreezeWatch, APausedWatchCountsNoPeriodAndCountsAfreshWhenResumed) {
  auto window = TMainThreadWindow::Create();
  ASSERT_TRUE(window);
  TReports reports;
  TManualPeriods periods;
  TFreezeWatch watch(*window, kTimeoutMs, reports.Callback(), periods.Wait());
  ASSERT_TRUE(watch.Start(nullptr, nullptr));
  ASSERT_TRUE(periods.AwaitPeriod());
  ASSERT_TRUE(periods.Pass(5, false));

  // Two exceptions being handled; the main thread stays blocked throughout.
  watch.Pause();
  watch.Pause();
  // The period under way when the pause came does not count, and no other
  // starts while paused.
  periods.EndPeriod();
  watch.Resume();
  EXPECT_TRUE(watch.Paused());
  EXPECT_FALSE(periods.AnotherPeriodStarted());
  watch.Resume();
  EXPECT_FALSE(watch.Paused());
  ASSERT_TRUE(periods.AwaitPeriod());
  // The five misses before the pause are forgotten: ten more are needed.
  ASSERT_TRUE(periods.Pass(9, false));
  EXPECT_EQ(reports.Count(), 0);
  ASSERT_TRUE(periods.Pass(1, false));
  EXPECT_EQ(reports.Count(), 1);

  // More resumes than pauses are ignored: the watch is not left paused below zero.
  watch.Resume();
  watch.Pause();
  EXPECT_TRUE(watch.Paused());
  periods.EndPeriod();
  EXPECT_FALSE(periods.AnotherPeriodStarted());
  watch.Resume();
  ASSERT_TRUE(periods.AwaitPeriod());
  EXPECT_EQ(reports.Count(), 1);
  EXPECT_EQ(ExitCodeAfterStop(watch), 0u);
}

TEST(FreezeWatch, OnlyTheWatchHoldingTheMutexCountsAndAnotherTakesOverWhenItStops) {
  const std::string suffix = "$watchtest" + std::to_string(GetCurrentProcessId());
  auto threads = TThreadInfoBuffer::OpenNamed("RavelinThreadInfoBuf" + suffix, "RavelinThreadInfoMtx" + suffix);
  ASSERT_TRUE(threads);
  auto window = TMainThreadWindow::Create();
  ASSERT_TRUE(window);
  TReports firstReports, secondReports, thirdReports;
  TManualPeriods firstPeriods, secondPeriods, thirdPeriods;
  TFreezeWatch first(*window, kTimeoutMs, firstReports.Callback(), firstPeriods.Wait());
  TFreezeWatch second(*window, kTimeoutMs, secondReports.Callback(), secondPeriods.Wait());
  TFreezeWatch third(*window, kTimeoutMs, thirdReports.Callback(), thirdPeriods.Wait());
  ASSERT_TRUE(first.Start(threads->FreezeWatchMutex(), threads.get()));
  ASSERT_TRUE(firstPeriods.AwaitPeriod());
  EXPECT_TRUE(first.Active());
  ASSERT_TRUE(second.Start(threads->FreezeWatchMutex(), threads.get()));
  ASSERT_TRUE(third.Start(threads->FreezeWatchMutex(), threads.get()));
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

  ASSERT_TRUE(firstPeriods.Pass(10, false));
  EXPECT_EQ(firstReports.Count(), 1);
  EXPECT_FALSE(second.Active());
  EXPECT_TRUE(secondPeriods.Lengths().empty()) << "a watch without the mutex counts nothing";

  EXPECT_EQ(ExitCodeAfterStop(first), 0u);
  ASSERT_TRUE(secondPeriods.AwaitPeriod());
  EXPECT_TRUE(second.Active());
  ASSERT_TRUE(secondPeriods.Pass(10, false));
  EXPECT_EQ(secondReports.Count(), 1);
  EXPECT_EQ(firstReports.Count(), 1);
  EXPECT_TRUE(thirdPeriods.Lengths().empty());
  EXPECT_EQ(ExitCodeAfterStop(second), 0u);
}

}  // namespace
