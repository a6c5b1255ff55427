#include "controls/list/ElStatusBarLayout.h"

#include <gtest/gtest.h>

namespace {

TElStatusBarMetrics Bar(std::vector<TElPanelMetrics> panels, int width = 400, int height = 19,
                        bool bevel = false) {
  TElStatusBarMetrics bar;
  bar.Panels = std::move(panels);
  bar.ClientWidth = width;
  bar.ClientHeight = height;
  bar.Bevel = bevel;
  return bar;
}

struct PanelCase {
  const char* name;
  TElStatusBarMetrics bar;
  std::vector<TElRect> rects;  // of every panel, in order
};

class PanelGeometry : public ::testing::TestWithParam<PanelCase> {};

TEST_P(PanelGeometry, PlacesEveryPanel) {
  const PanelCase& c = GetParam();
  for (size_t i = 0; i < c.rects.size(); ++i) {
    const TElRect r = c.bar.PanelRect(static_cast<int>(i));
    const TElRect& e = c.rects[i];
    EXPECT_TRUE(r == e) << c.name << " panel " << i << ": " << r.Left << "," << r.Top << "-" << r.Right
                        << "," << r.Bottom << " instead of " << e.Left << "," << e.Top << "-" << e.Right
                        << "," << e.Bottom;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PanelGeometry,
    ::testing::Values(
        PanelCase{"three", Bar({{true, 100}, {true, 100}, {true, 100}}),
                  {{0, 2, 100, 19}, {102, 2, 202, 19}, {204, 2, 400, 19}}},
        PanelCase{"last hidden: the one before stretches",
                  Bar({{true, 100}, {true, 100}, {false, 100}}),
                  {{0, 2, 100, 19}, {102, 2, 400, 19}, {400, 2, 400, 19}}},
        PanelCase{"middle hidden leaves no gap", Bar({{true, 50}, {false, 70}, {true, 80}}),
                  {{0, 2, 50, 19}, {50, 2, 50, 19}, {52, 2, 400, 19}}},
        PanelCase{"first hidden", Bar({{false, 50}, {true, 70}, {true, 80}}),
                  {{0, 2, 0, 19}, {2, 2, 72, 19}, {74, 2, 400, 19}}},
        PanelCase{"single panel takes the bar", Bar({{true, 30}}), {{0, 2, 400, 19}}},
        PanelCase{"bevel: 2 in on every side, the last 2 shorter",
                  Bar({{true, 100}, {true, 100}}, 400, 19, true),
                  {{2, 4, 98, 17}, {104, 4, 396, 17}}},
        PanelCase{"wider than the bar", Bar({{true, 300}, {true, 200}}, 400),
                  {{0, 2, 300, 19}, {302, 2, 400, 19}}}));

TEST(ElStatusBarLayout, PanelAtAndTheGapsBetweenPanels) {
  // Panel 1 is hidden: panel 2 follows panel 0 after one gap.
  const TElStatusBarMetrics bar = Bar({{true, 100}, {false, 10}, {true, 100}, {true, 100}});
  struct {
    int x, panel, leftOfGap;
  } cases[] = {{0, 0, -1},   {100, 0, -1}, {101, -1, 0}, {102, 2, -1}, {202, 2, -1},
               {203, -1, 2}, {204, 3, -1}, {400, 3, -1}, {401, -1, 3}, {-1, -1, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(bar.PanelAt(c.x), c.panel) << "x " << c.x;
    EXPECT_EQ(bar.PanelLeftOfGap(c.x), c.leftOfGap) << "x " << c.x;
  }
  EXPECT_EQ(bar.LastVisible(), 3);
  EXPECT_EQ(Bar({{false, 5}}).LastVisible(), -1);
  EXPECT_EQ(Bar({{false, 5}}).PanelAt(0), -1);
}

TEST(ElStatusBarLayout, SizeGripAreas) {
  // The tool's bar, 734 x 19: the simple panel's text area is (2,4)-(732,17).
  EXPECT_TRUE(ElSizeGripSquare(TElRect{2, 4, 732, 17}) == (TElRect{717, 2, 732, 17}));
  EXPECT_TRUE(ElSizeGripHitRect(734, 19) == (TElRect{717, 0, 734, 19}));
  EXPECT_TRUE(ElThemedSizeGripRect(734, 19, 16) == (TElRect{717, 2, 733, 18}));
  // A panel's own area (shrunk by 2): the square fits its height from 2 above.
  EXPECT_TRUE(ElSizeGripSquare(TElRect{206, 6, 398, 19}) == (TElRect{383, 4, 398, 19}));
}

TEST(ElStatusBarLayout, GripLinesComeInGroupsOfThreeEveryFourPixels) {
  const std::vector<TElGripLine> lines = ElSizeGripLines(TElRect{0, 0, 15, 15});
  // Groups at 4, 8 and 12; the last group stops at the square's size.
  ASSERT_EQ(lines.size(), 9u);
  const int offsets[] = {4, 5, 6, 8, 9, 10, 12, 13, 14};
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].X1, 15 - offsets[i]);
    EXPECT_EQ(lines[i].Y1, 15);
    EXPECT_EQ(lines[i].X2, 15);
    EXPECT_EQ(lines[i].Y2, 15 - offsets[i]);
    EXPECT_EQ(lines[i].Light, i % 3 == 0);
  }
  EXPECT_TRUE(ElSizeGripLines(TElRect{0, 0, 4, 4}).empty());
}

}  // namespace
