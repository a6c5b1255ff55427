#include "crash/ui/dialog/ButtonLayout.h"

#include <gtest/gtest.h>

namespace {

TDialogLayoutInput ThisBuildsButtons() {
  TDialogLayoutInput input;
  input.ButtonWidths = {120, 0, 0, 120, 140, 130, 120};  // send, show, continue, restart, close
  input.ButtonHeight = 26;
  input.TextLeft = 51;
  input.TextHeight = 13;
  input.MaxWidth = 1024 - 5 * 19;
  return input;
}

bool Overlap(const TLayoutRect& a, const TLayoutRect& b) {
  return a.Left < b.Right() && b.Left < a.Right() && a.Top < b.Bottom() && b.Top < a.Bottom();
}

}  // namespace

TEST(ButtonLayout, ActionsFromTheLeftAndSeveralFinalButtonsStackedAtTheRight) {
  const TDialogLayout layout = LayOutDialog(ThisBuildsButtons());
  EXPECT_EQ(layout.ClientWidth, 664);
  EXPECT_TRUE(layout.Stacked);
  EXPECT_EQ(layout.Buttons[dbSend].Left, kDialogMargin);
  EXPECT_EQ(layout.Buttons[dbShow].Left, kDialogMargin + 120 + kButtonGap);
  EXPECT_TRUE(layout.Buttons[dbSave].Empty());
  EXPECT_TRUE(layout.Buttons[dbPrint].Empty());
  // Stacked: one column as wide as the widest, flush with the right margin.
  for (int code : {dbContinue, dbRestart, dbClose}) {
    EXPECT_EQ(layout.Buttons[code].Right(), layout.ClientWidth - kDialogMargin) << code;
    EXPECT_EQ(layout.Buttons[code].Width, 140) << code;
    EXPECT_EQ(layout.Buttons[code].Height, 26) << code;
  }
  EXPECT_LT(layout.Buttons[dbContinue].Bottom(), layout.Buttons[dbRestart].Top + 1);
  EXPECT_LT(layout.Buttons[dbRestart].Bottom(), layout.Buttons[dbClose].Top + 1);
  EXPECT_EQ(layout.Buttons[dbContinue].Top, layout.Buttons[dbSend].Top);
  EXPECT_EQ(layout.ClientHeight, layout.Buttons[dbClose].Bottom() + kDialogMargin);
  // The picture at the left, the text beside it, the buttons below both.
  EXPECT_EQ(layout.Picture.Left, kDialogMargin);
  EXPECT_EQ(layout.Text.Left, 51);
  EXPECT_GE(layout.Buttons[dbSend].Top, layout.Picture.Bottom());
}

TEST(ButtonLayout, OneFinalButtonOrNoActionStaysInTheRow) {
  const struct {
    std::array<int, kDialogButtonCount> widths;
  } cases[] = {
      {{120, 0, 0, 120, 140, 0, 0}},  // one final button
      {{0, 0, 0, 0, 140, 130, 120}},  // no action button
  };
  for (const auto& c : cases) {
    TDialogLayoutInput input = ThisBuildsButtons();
    input.ButtonWidths = c.widths;
    const TDialogLayout layout = LayOutDialog(input);
    EXPECT_FALSE(layout.Stacked);
    int lastRight = 0;
    for (int code = 0; code < kDialogButtonCount; ++code) {
      if (c.widths[code] == 0) continue;
      EXPECT_EQ(layout.Buttons[code].Top, layout.Buttons[dbContinue].Top) << code;
      EXPECT_GT(layout.Buttons[code].Left, lastRight) << code;
      lastRight = layout.Buttons[code].Right();
    }
    EXPECT_EQ(lastRight, layout.ClientWidth - kDialogMargin);
  }
}

TEST(ButtonLayout, WidthGrowsForWideButtonsUpToTheScreen) {
  TDialogLayoutInput input = ThisBuildsButtons();
  input.ButtonWidths = {200, 200, 200, 200, 200, 0, 0};
  input.MaxWidth = 0;
  const TDialogLayout wide = LayOutDialog(input);
  EXPECT_EQ(wide.ClientWidth, kDialogMargin + 5 * 200 + 3 * kButtonGap + 2 * kButtonGap + kDialogMargin);
  for (int a = 0; a < kDialogButtonCount; ++a)
    for (int b = a + 1; b < kDialogButtonCount; ++b)
      if (!wide.Buttons[a].Empty() && !wide.Buttons[b].Empty()) {
        EXPECT_FALSE(Overlap(wide.Buttons[a], wide.Buttons[b])) << a << " " << b;
      }
  input.MaxWidth = 900;
  EXPECT_EQ(LayOutDialog(input).ClientWidth, 900);
  input.ButtonWidths = {10, 0, 0, 0, 10, 0, 0};
  EXPECT_EQ(LayOutDialog(input).ClientWidth, 664);
}

TEST(ButtonLayout, WithoutPictureTheTextStartsAtTheMargin) {
  TDialogLayoutInput input = ThisBuildsButtons();
  input.TextLeft = kDialogMargin;
  input.TextHeight = 60;
  const TDialogLayout layout = LayOutDialog(input);
  EXPECT_TRUE(layout.Picture.Empty());
  EXPECT_EQ(layout.Text.Left, kDialogMargin);
  EXPECT_EQ(layout.Buttons[dbSend].Top, kDialogMargin + 60 + kDialogMargin);
}

TEST(ButtonLayout, SimpleBoxButtonsAreAtLeast79WideAtTheBottomRight) {
  TSimpleBoxInput input;
  input.OkWidth = 40;
  input.DetailsWidth = 90;
  input.TextLeft = 51;
  input.TextWidth = 300;
  input.TextHeight = 26;
  const TDialogLayout layout = LayOutSimpleBox(input);
  EXPECT_EQ(layout.ClientWidth, 51 + 300 + kDialogMargin);
  EXPECT_EQ(layout.Buttons[dbContinue].Width, 79);
  EXPECT_EQ(layout.Buttons[dbShow].Width, 90);
  EXPECT_EQ(layout.Buttons[dbShow].Right(), layout.ClientWidth - kDialogMargin);
  EXPECT_EQ(layout.Buttons[dbContinue].Right(), layout.Buttons[dbShow].Left - kButtonGap);
  EXPECT_EQ(layout.Buttons[dbContinue].Height, 23);
  // A short text: the buttons set the width.
  input.TextWidth = 20;
  EXPECT_EQ(LayOutSimpleBox(input).ClientWidth, kDialogMargin + 79 + kButtonGap + 90 + kDialogMargin);
}
