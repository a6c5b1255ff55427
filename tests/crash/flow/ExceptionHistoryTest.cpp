#include <gtest/gtest.h>

#include "crash/flow/ExceptionHistory.h"

namespace {

constexpr std::uint64_t kNow = 13'000'000'000;

TEST(ExceptionHistory, RecordShiftsNewestFirstAndDropsTheOldest) {
  TExceptionHistory history;
  for (std::uint64_t i = 1; i <= 11; ++i) history.Record(i);
  const TExceptionHistory::TValues values = history.Values();
  EXPECT_EQ(values[0], 11u);
  EXPECT_EQ(values[9], 2u);
  TExceptionHistory restarted;
  restarted.Assign(values);
  EXPECT_EQ(restarted.Values(), values);
}

TEST(ExceptionHistory, RuleValues) {
  TExceptionHistory empty;
  EXPECT_FALSE(empty.RuleHolds(0, kNow));
  EXPECT_FALSE(empty.RuleHolds(-5, kNow));
  EXPECT_TRUE(empty.RuleHolds(1, kNow));
  EXPECT_FALSE(empty.RuleHolds(60, kNow)) << "fewer than ten events never hold";

  struct Case {
    const char* what;
    std::uint64_t oldestAge;  // seconds before now of the tenth entry
    int recorded;
    bool holds;
  };
  const Case cases[] = {
      {"nine within a minute", 10, 9, false},
      {"ten, the oldest 59 s ago", 59, 10, true},
      {"ten, the oldest exactly 60 s ago", 60, 10, true},
      {"ten, the oldest 61 s ago", 61, 10, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TExceptionHistory history;
    history.Record(kNow - c.oldestAge);
    for (int i = 1; i < c.recorded; ++i) history.Record(kNow - static_cast<std::uint64_t>(10 - i));
    EXPECT_EQ(history.RuleHolds(60, kNow), c.holds);
  }
}

TEST(ExceptionHistory, AutoRestartSixtyHoldsAtTheTenthExceptionWithinTheMinute) {
  TExceptionHistory history;
  for (int i = 0; i < 9; ++i) {
    history.Record(kNow + static_cast<std::uint64_t>(i) * 5);
    EXPECT_FALSE(history.RuleHolds(60, kNow + static_cast<std::uint64_t>(i) * 5)) << i + 1;
  }
  history.Record(kNow + 50);
  EXPECT_TRUE(history.RuleHolds(60, kNow + 50));
  // A minute later the oldest ones have aged out.
  EXPECT_FALSE(history.RuleHolds(60, kNow + 61));
}

}  // namespace
