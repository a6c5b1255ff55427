#include "controls/edit/ElButtonGlyphLayout.h"

#include <gtest/gtest.h>

#include <ostream>

static std::ostream& operator<<(std::ostream& out, const TElLayoutRect& r) {
  return out << "{" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << "}";
}
static std::ostream& operator<<(std::ostream& out, const TElLayoutSize& s) {
  return out << s.Width << "x" << s.Height;
}

namespace {

constexpr TElLayoutRect kButton{0, 0, 75, 25};
constexpr TElLayoutRect kTall{0, 0, 75, 40};
constexpr TElLayoutSize kIcon{16, 16};
constexpr TElLayoutSize kBrowse{37, 13};
constexpr TElLayoutSize kNone{0, 0};

struct LayoutCase {
  const char* name;
  TElButtonLayout layout;
  TElLayoutRect content;
  int arrow;
  TElLayoutSize picture;
  TElLayoutSize caption;
  int margin;
  int spacing;
  TElLayoutRect wantPicture;
  TElLayoutRect wantCaption;
  bool wantScaled;
};

// Expected places worked out by hand from the button's width and height.
const LayoutCase kLayoutCases[] = {
    // Centred group (margin -1): the gaps before and after are equal.
    {"caption only is centred", blGlyphLeft, kButton, 0, kNone, kBrowse, -1, 4,
     {19, 12, 19, 12}, {19, 6, 56, 19}, false},
    {"left: pair centred as a group", blGlyphLeft, kButton, 0, kIcon, kBrowse, -1, 4,
     {9, 4, 25, 20}, {29, 6, 66, 19}, false},
    {"right: pair centred as a group", blGlyphRight, kButton, 0, kIcon, kBrowse, -1, 4,
     {50, 4, 66, 20}, {9, 6, 46, 19}, false},
    {"top: pair centred as a group", blGlyphTop, kTall, 0, kIcon, kBrowse, -1, 4,
     {29, 3, 45, 19}, {19, 23, 56, 36}, false},
    {"bottom: pair centred as a group", blGlyphBottom, kTall, 0, kIcon, kBrowse, -1, 4,
     {29, 21, 45, 37}, {19, 4, 56, 17}, false},
    // Fixed margin and spacing.
    {"left: fixed margin and spacing", blGlyphLeft, kButton, 0, kIcon, kBrowse, 4, 4,
     {4, 4, 20, 20}, {24, 6, 61, 19}, false},
    {"right: fixed margin and spacing", blGlyphRight, kButton, 0, kIcon, kBrowse, 4, 4,
     {55, 4, 71, 20}, {14, 6, 51, 19}, false},
    {"top: fixed margin and spacing", blGlyphTop, kTall, 0, kIcon, kBrowse, 4, 4,
     {29, 4, 45, 20}, {19, 24, 56, 37}, false},
    {"bottom: fixed margin and spacing", blGlyphBottom, kTall, 0, kIcon, kBrowse, 4, 4,
     {29, 20, 45, 36}, {19, 3, 56, 16}, false},
    // Spacing -1: what is left after the margin is shared by the gap and the far side.
    {"left: spacing spreads", blGlyphLeft, kButton, 0, kIcon, kBrowse, 2, -1,
     {2, 4, 18, 20}, {28, 6, 65, 19}, false},
    {"top: spacing spreads", blGlyphTop, kTall, 0, kIcon, kBrowse, 2, -1,
     {29, 2, 45, 18}, {19, 22, 56, 35}, false},
    // Both -1: three equal gaps (rounded down).
    {"left: margin and spacing spread", blGlyphLeft, kButton, 0, kIcon, kBrowse, -1, -1,
     {7, 4, 23, 20}, {30, 6, 67, 19}, false},
    {"bottom: margin and spacing spread", blGlyphBottom, kTall, 0, kIcon, kBrowse, -1, -1,
     {29, 21, 45, 37}, {19, 5, 56, 18}, false},
    // Without a caption or a picture the spacing counts as 0, even -1.
    {"picture only is centred", blGlyphLeft, kButton, 0, kIcon, kNone, -1, 4,
     {29, 4, 45, 20}, {45, 12, 45, 12}, false},
    {"picture only with spacing -1 is centred", blGlyphLeft, kButton, 0, kIcon, kNone, -1, -1,
     {29, 4, 45, 20}, {45, 12, 45, 12}, false},
    {"caption only with spacing -1 keeps its margin", blGlyphLeft, kButton, 0, kNone, kBrowse, 3, -1,
     {3, 12, 3, 12}, {3, 6, 40, 19}, false},
    {"right: caption only", blGlyphRight, kButton, 0, kNone, kBrowse, 3, 4,
     {72, 12, 72, 12}, {35, 6, 72, 19}, false},
    // Pictures larger than the client shrink in proportion, one pixel short of each side.
    {"taller picture: 18 high, width by 18/32", blGlyphLeft, {0, 0, 75, 20}, 0, {16, 32}, kNone, -1, 4,
     {33, 1, 42, 19}, {42, 10, 42, 10}, true},
    {"picture exactly as high is kept", blGlyphLeft, kButton, 0, {16, 25}, kNone, -1, 4,
     {29, 0, 45, 25}, {45, 12, 45, 12}, false},
    {"wider picture", blGlyphLeft, kButton, 0, {100, 10}, kNone, -1, 4,
     {1, 9, 74, 16}, {74, 12, 74, 12}, true},
    {"taller, then still wider", blGlyphLeft, kButton, 0, {200, 40}, kNone, -1, 4,
     {1, 5, 74, 20}, {74, 12, 74, 12}, true},
    {"scaled picture with a caption", blGlyphLeft, {0, 0, 75, 20}, 0, {32, 32}, kBrowse, 2, 4,
     {2, 1, 20, 19}, {24, 3, 61, 16}, true},
    // Content larger than the client: no negative gaps, the caption is cut at the far side.
    {"wide caption keeps the picture in view", blGlyphLeft, kButton, 0, kIcon, {100, 13}, -1, 4,
     {0, 4, 16, 20}, {20, 6, 75, 19}, false},
    {"wide caption alone starts at the edge", blGlyphLeft, kButton, 0, kNone, {100, 13}, -1, 4,
     {0, 12, 0, 12}, {0, 6, 75, 19}, false},
    {"right: wide caption is cut at the left", blGlyphRight, kButton, 0, kIcon, {100, 13}, -1, 4,
     {59, 4, 75, 20}, {0, 6, 55, 19}, false},
    {"tall caption is cut to the client", blGlyphLeft, kButton, 0, kNone, {37, 30}, -1, 4,
     {19, 12, 19, 12}, {19, 0, 56, 25}, false},
    {"large fixed margin pushes the caption out", blGlyphLeft, kButton, 0, kIcon, kBrowse, 70, 4,
     {70, 4, 86, 20}, {75, 6, 75, 19}, false},
    // The arrow part is not client.
    {"arrow part narrows the client", blGlyphLeft, kButton, 13, kNone, kBrowse, -1, 4,
     {12, 12, 12, 12}, {12, 6, 49, 19}, false},
    {"right layout ends before the arrow", blGlyphRight, kButton, 13, kIcon, kBrowse, 2, 4,
     {44, 4, 60, 20}, {3, 6, 40, 19}, false},
    {"arrow wider than the content", blGlyphLeft, kButton, 90, kIcon, kBrowse, -1, 4,
     {0, 12, 0, 12}, {0, 6, 0, 19}, true},
    {"empty content", blGlyphLeft, {0, 0, 0, 0}, 0, kIcon, kBrowse, -1, 4,
     {0, 0, 0, 0}, {0, 0, 0, 0}, true},
};

TEST(ElButtonGlyphLayout, PlacesPictureAndCaption) {
  for (const LayoutCase& c : kLayoutCases) {
    SCOPED_TRACE(c.name);
    TElButtonLayoutInput input;
    input.Layout = c.layout;
    input.Content = c.content;
    input.ArrowWidth = c.arrow;
    input.Picture = c.picture;
    input.Caption = c.caption;
    input.Margin = c.margin;
    input.Spacing = c.spacing;
    const TElButtonLayoutResult result = CalcButtonLayout(input);
    EXPECT_EQ(result.Picture, c.wantPicture);
    EXPECT_EQ(result.Caption, c.wantCaption);
    EXPECT_EQ(result.Scaled, c.wantScaled);
  }
}

TEST(ElButtonGlyphLayout, ContentOriginAndPressedOffsetMoveEverything) {
  TElButtonLayoutInput input;
  input.Content = {2, 3, 73, 24};  // 71 x 21 inside a frame
  input.Picture = kIcon;
  input.Caption = kBrowse;
  input.Margin = -1;
  input.Spacing = 4;
  // Within the content: margin (71 - 16 - 4 - 37) / 2 = 7.
  const TElButtonLayoutResult up = CalcButtonLayout(input);
  EXPECT_EQ(up.Picture, (TElLayoutRect{9, 5, 25, 21}));
  EXPECT_EQ(up.Caption, (TElLayoutRect{29, 7, 66, 20}));

  input.OffsetX = 1;
  input.OffsetY = 1;
  const TElButtonLayoutResult pressed = CalcButtonLayout(input);
  EXPECT_EQ(pressed.Picture, (TElLayoutRect{10, 6, 26, 22}));
  EXPECT_EQ(pressed.Caption, (TElLayoutRect{30, 8, 67, 21}));
}

struct MeasureCase {
  const char* name;
  TElButtonLayout layout;
  TElLayoutSize picture;
  TElLayoutSize caption;
  int margin;
  int spacing;
  int arrow;
  int limitHeight;
  TElLayoutSize want;
};

const MeasureCase kMeasureCases[] = {
    {"left: margins of 2 for -1", blGlyphLeft, kIcon, kBrowse, -1, 4, 0, 0, {61, 20}},
    {"right measures as left", blGlyphRight, kIcon, kBrowse, -1, 4, 0, 0, {61, 20}},
    {"spacing -1 counts as 2", blGlyphLeft, kIcon, kBrowse, -1, -1, 0, 0, {59, 20}},
    {"caption only: no spacing", blGlyphLeft, kNone, kBrowse, -1, 4, 0, 0, {41, 17}},
    {"picture only: no spacing", blGlyphLeft, kIcon, kNone, 5, 8, 0, 0, {26, 26}},
    {"arrow part adds its width", blGlyphLeft, kIcon, kBrowse, -1, 4, 13, 0, {74, 20}},
    {"top: stacked", blGlyphTop, kIcon, kBrowse, -1, 4, 0, 0, {41, 37}},
    {"bottom: stacked, with arrow", blGlyphBottom, kIcon, kBrowse, 3, -1, 13, 0, {56, 37}},
    {"kept height limits the picture", blGlyphLeft, {32, 32}, kBrowse, -1, 4, 0, 20, {63, 22}},
    {"kept height above the picture leaves it", blGlyphLeft, kIcon, kBrowse, -1, 4, 0, 25, {61, 20}},
    {"nothing but margins", blGlyphLeft, kNone, kNone, -1, -1, 0, 0, {4, 4}},
};

TEST(ElButtonGlyphLayout, MeasuresTheContent) {
  for (const MeasureCase& c : kMeasureCases) {
    SCOPED_TRACE(c.name);
    TElButtonMeasureInput input;
    input.Layout = c.layout;
    input.Picture = c.picture;
    input.Caption = c.caption;
    input.Margin = c.margin;
    input.Spacing = c.spacing;
    input.ArrowWidth = c.arrow;
    input.LimitHeight = c.limitHeight;
    EXPECT_EQ(CalcButtonSize(input), c.want);
  }
}

// A button laid out at the size it measured holds its content whole: the
// caption is not cut and nothing overlaps.
TEST(ElButtonGlyphLayout, MeasuredSizeHoldsTheContent) {
  for (TElButtonLayout layout : {blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom}) {
    for (int spacing : {-1, 0, 4}) {
      SCOPED_TRACE(testing::Message() << "layout " << int(layout) << " spacing " << spacing);
      TElButtonMeasureInput measure;
      measure.Layout = layout;
      measure.Picture = kIcon;
      measure.Caption = kBrowse;
      measure.Margin = -1;
      measure.Spacing = spacing;
      measure.ArrowWidth = 13;
      const TElLayoutSize size = CalcButtonSize(measure);

      TElButtonLayoutInput input;
      input.Layout = layout;
      input.Content = {0, 0, size.Width, size.Height};
      input.ArrowWidth = 13;
      input.Picture = kIcon;
      input.Caption = kBrowse;
      input.Margin = -1;
      input.Spacing = spacing;
      const TElButtonLayoutResult result = CalcButtonLayout(input);
      EXPECT_FALSE(result.Scaled);
      EXPECT_EQ(result.Caption.Width(), kBrowse.Width);
      EXPECT_EQ(result.Caption.Height(), kBrowse.Height);
      const bool apart = result.Picture.Right <= result.Caption.Left ||
                         result.Caption.Right <= result.Picture.Left ||
                         result.Picture.Bottom <= result.Caption.Top ||
                         result.Caption.Bottom <= result.Picture.Top;
      EXPECT_TRUE(apart) << result.Picture << " " << result.Caption;
      EXPECT_GE(result.Picture.Left, 0);
      EXPECT_GE(result.Picture.Top, 0);
      EXPECT_LE(result.Picture.Right, size.Width - 13);
      EXPECT_LE(result.Picture.Bottom, size.Height);
    }
  }
}

TEST(ElButtonGlyphLayout, FitPictureKeepsProportions) {
  EXPECT_EQ(FitPicture({16, 32}, {75, 20}), (TElLayoutSize{9, 18}));
  EXPECT_EQ(FitPicture({16, 16}, {75, 20}), (TElLayoutSize{16, 16}));
  EXPECT_EQ(FitPicture({16, 16}, {2, 2}), (TElLayoutSize{0, 0}));
  EXPECT_EQ(FitPicture({0, 16}, {75, 20}), (TElLayoutSize{0, 0}));
}

}  // namespace
