#include <gtest/gtest.h>

#include "crash/FreezeWatchClock.h"

namespace {

// Milliseconds of unanswered periods until the next freeze report.
std::uint64_t TimeToReport(TFreezeWatchClock& clock) {
  std::uint64_t elapsed = 0;
  for (;;) {
    elapsed += clock.PeriodMs();
    if (clock.PeriodEnded(false)) return elapsed;
  }
}

TEST(FreezeWatchClock, ABlockedMainThreadIsReportedAfterTenPeriodsThenAfterLongerOnes) {
  TFreezeWatchClock clock(60000);
  EXPECT_EQ(clock.PeriodMs(), 6000u);
  EXPECT_EQ(TimeToReport(clock), 60000u);  // ten missed periods of 6 seconds
  EXPECT_EQ(clock.PeriodMs(), 9000u);
  EXPECT_EQ(TimeToReport(clock), 90000u);  // the next one needs ten of 9 seconds
}

TEST(FreezeWatchClock, AnAnswerOrAPauseStartsTheCountingOver) {
  TFreezeWatchClock clock(60000);
  for (int i = 0; i < 9; ++i) EXPECT_FALSE(clock.PeriodEnded(false));
  EXPECT_FALSE(clock.PeriodEnded(true));
  EXPECT_EQ(clock.Misses(), 0);
  for (int i = 0; i < 9; ++i) EXPECT_FALSE(clock.PeriodEnded(false));
  clock.Resumed();
  EXPECT_FALSE(clock.PeriodEnded(false));
  EXPECT_EQ(clock.Misses(), 1);
  // After a report an answer also brings the first period back.
  TimeToReport(clock);
  EXPECT_EQ(clock.PeriodMs(), 9000u);
  clock.PeriodEnded(true);
  EXPECT_EQ(clock.PeriodMs(), 6000u);
}

}  // namespace
