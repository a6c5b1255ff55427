#include "crash/ui/dialog/PrintPages.h"

#include <gtest/gtest.h>

#include "crash/ui/dialog/ProgressSteps.h"

TEST(PrintPages, WrapAtTheLastBlankElseHard) {
  const struct {
    const char* line;
    std::size_t columns;
    std::vector<std::string> pieces;
  } cases[] = {
      {"short", 10, {"short"}},
      {"", 10, {""}},
      {"one two three four", 10, {"one two", "three four"}},
      {"0123456789abcdef", 10, {"0123456789", "abcdef"}},
      {"exactly10!", 10, {"exactly10!"}},
      {"a verylongwordhere", 8, {"a", "verylong", "wordhere"}},
  };
  for (const auto& c : cases) EXPECT_EQ(WrapLine(c.line, c.columns), c.pieces) << c.line;
}

TEST(PrintPages, EmptyLinesStayAndAPageEndsWhenTheNextLineDoesNotFit) {
  const auto pages = PaginateText("one\r\n\r\nthree four five\r\nsix", 10, 3);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0], (TPrintedPage{"one", "", "three four"}));
  EXPECT_EQ(pages[1], (TPrintedPage{"five", "six"}));
  EXPECT_TRUE(PaginateText("", 10, 3).empty());
  EXPECT_EQ(PaginateText("a\r\nb", 10, 0).size(), 2u);  // one line a page at the least
  std::string many;
  for (int i = 0; i < 100; ++i) many += "line\r\n";
  const auto full = PaginateText(many, 80, 64);
  ASSERT_EQ(full.size(), 2u);
  EXPECT_EQ(full[0].size(), 64u);
  EXPECT_EQ(full[1].size(), 36u);
}

TEST(ProgressSteps, WeightedPosition) {
  TProgressSteps steps;
  EXPECT_EQ(steps.Position(), 0);
  EXPECT_EQ(steps.Text(), "");
  steps.AddStep("main", 3);
  steps.AddStep("worker", 1);
  steps.AddStep("idle", 0);  // counts as 1
  EXPECT_DOUBLE_EQ(steps.Position(), 0);
  steps.SetFraction(0.5);
  EXPECT_DOUBLE_EQ(steps.Position(), 1.5 / 5);
  steps.SetCurrent(1);
  EXPECT_EQ(steps.Text(), "worker");
  EXPECT_DOUBLE_EQ(steps.Position(), 3.0 / 5);
  steps.SetFraction(2);
  EXPECT_DOUBLE_EQ(steps.Position(), 4.0 / 5);
  steps.SetCurrent(7);
  EXPECT_EQ(steps.Current(), 2);
  steps.SetFraction(1);
  EXPECT_DOUBLE_EQ(steps.Position(), 1);
}
