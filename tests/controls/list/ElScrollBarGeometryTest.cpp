#include "controls/list/ElScrollBarGeometry.h"

#include <gtest/gtest.h>

namespace {

TElScrollRange Range(int min, int max, int page, int position) {
  TElScrollRange range;
  range.Min = min;
  range.Max = max;
  range.Page = page;
  range.Position = position;
  return range;
}

// A bar with one arrow at each end, its thumb laid out for range.
TElScrollBarLayout Bar(int length, int button, const TElScrollRange& range, int minThumb = 12) {
  TElScrollBarLayout layout = ElLayoutButtons(length, button, 1, 1);
  layout.ThumbLength = ElAutoThumbLength(layout.Track, range, 17, minThumb);
  layout.ThumbStart = ElThumbStart(layout, range);
  return layout;
}

TEST(ElScrollBarGeometry, MulDivRoundsHalvesAwayFromZero) {
  struct Case { int64_t a, b, c; int expected; };
  const Case cases[] = {
      {133, 40, 80, 67},   {166, 20, 100, 33}, {5, 1, 2, 3},       {-5, 1, 2, -3},
      {5, -1, 2, -3},      {4, 1, 3, 1},       {5, 1, 3, 2},       {-4, 1, 3, -1},
      {0, 7, 3, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ElMulDivRound(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
  // The product is formed in 64 bits: no overflow on the way.
  EXPECT_EQ(ElMulDivRound(2000000000, 1000, 1000), 2000000000);
}

TEST(ElScrollBarGeometry, ButtonsShareAShortBar) {
  struct Case { int length, button, start, end; int size, track; };
  const Case cases[] = {
      {200, 17, 1, 1, 17, 166},  // room to spare
      {34, 17, 1, 1, 17, 0},     // exactly fits: no track
      {30, 17, 1, 1, 15, 0},     // too short: even shares
      {31, 17, 1, 1, 15, 1},     // the odd pixel is left to the track
      {50, 17, 2, 2, 12, 2},     // secondary buttons count too
      {100, 17, 0, 1, 17, 83},   // start arrows hidden
      {100, 17, 0, 0, 17, 100},  // no arrows
      {0, 17, 1, 1, 0, 0},
  };
  for (const Case& c : cases) {
    const TElScrollBarLayout layout = ElLayoutButtons(c.length, c.button, c.start, c.end);
    EXPECT_EQ(layout.ButtonSize, c.size) << c.length;
    EXPECT_EQ(layout.Track, c.track) << c.length;
    EXPECT_EQ(layout.ThumbStart, layout.TrackStart());
  }
}

TEST(ElScrollBarGeometry, AutoThumbLengthFollowsPageOverRange) {
  struct Case { int track; TElScrollRange range; int minThumb; int expected; };
  const Case cases[] = {
      {166, Range(0, 99, 20, 0), 12, 33},    // 166 * 20 / 100 = 33.2
      {166, Range(0, 99, 30, 0), 12, 50},    // 49.8
      {166, Range(0, 99, 99, 0), 12, 164},   // 164.34, the page just short of the range
      {166, Range(0, 99, 100, 0), 12, 166},  // page covers the range: whole track
      {166, Range(0, 99, 500, 0), 12, 166},
      {166, Range(0, 9999, 20, 0), 12, 12},  // raised to the smallest thumb
      {10, Range(0, 9999, 20, 0), 12, 0},    // and gone when that does not fit
      {166, Range(0, 99, 0, 0), 12, 17},     // no page: the system's thumb length
      {166, Range(0, 0, 20, 0), 12, 166},    // a single position: nothing to scroll
      {166, Range(0, -1, 14, -1), 12, 166},  // as created
      {-4, Range(0, 99, 20, 0), 12, 0},      // buttons overflow the bar
      {166, Range(-50, 49, 20, 0), 12, 33},  // only the span counts
  };
  for (const Case& c : cases)
    EXPECT_EQ(ElAutoThumbLength(c.track, c.range, 17, c.minThumb), c.expected)
        << "track " << c.track << " max " << c.range.Max << " page " << c.range.Page;
}

TEST(ElScrollBarGeometry, ThumbStartAndPositionFromThumb) {
  struct Case { TElScrollRange range; int thumbStart; };
  const Case cases[] = {
      {Range(0, 99, 20, 40), 84},   // 17 + 133 * 40 / 80 = 17 + 66.5
      {Range(0, 99, 20, 0), 17},
      {Range(0, 99, 20, 80), 150},  // last page: thumb touches the end arrow (200 - 17 - 33)
      {Range(0, 99, 20, 99), 150},  // beyond the last page: held at the end
      {Range(0, 99, 20, -1), 17},   // before the range: held at the start
      {Range(0, 99, 100, 50), 17},  // page covers everything: no room to move
      {Range(10, 109, 20, 50), 84}, // the same bar shifted by Min
  };
  for (const Case& c : cases) {
    const TElScrollBarLayout layout = Bar(200, 17, c.range);
    EXPECT_EQ(layout.ThumbStart, c.thumbStart) << "position " << c.range.Position;
  }
  // Back from the thumb to a position, across the whole track.
  const TElScrollRange range = Range(0, 99, 20, 0);
  const TElScrollBarLayout layout = Bar(200, 17, range);
  struct Back { int thumbStart, position; };
  for (const Back& b : {Back{17, 0}, Back{84, 40}, Back{150, 80}, Back{83, 40}, Back{18, 1}})
    EXPECT_EQ(ElPositionFromThumb(layout, range, b.thumbStart), b.position) << b.thumbStart;
  // Every position survives the trip to a thumb start and back.
  for (int position = 0; position <= 80; ++position) {
    TElScrollRange at = range;
    at.Position = position;
    TElScrollBarLayout placed = layout;
    placed.ThumbStart = ElThumbStart(placed, at);
    EXPECT_EQ(ElPositionFromThumb(placed, at, placed.ThumbStart), position);
  }
}

TEST(ElScrollBarGeometry, NoDivisionByZeroWithoutRoomOrSteps) {
  // The page covers the range: no positions to step through.
  TElScrollRange whole = Range(0, 9, 10, 3);
  TElScrollBarLayout layout = Bar(200, 17, whole);
  EXPECT_EQ(ElPositionFromThumb(layout, whole, 60), 0);
  // A thumb exactly as long as the track: no pixels to move it through.
  TElScrollBarLayout full = ElLayoutButtons(200, 17, 1, 1);
  full.ThumbLength = full.Track;
  EXPECT_EQ(ElPositionFromThumb(full, Range(0, 99, 20, 5), 17), 0);
  EXPECT_EQ(ElThumbStart(full, Range(0, 99, 20, 5)), 17);
}

TEST(ElScrollBarGeometry, ShortBarShowsNoThumb) {
  const TElScrollRange range = Range(0, 99, 20, 40);
  EXPECT_TRUE(Bar(200, 17, range).HasThumb());
  EXPECT_FALSE(Bar(40, 17, range).HasThumb());  // 6 pixels of track: below the smallest thumb
  EXPECT_FALSE(Bar(30, 17, range).HasThumb());  // buttons share the bar, no track
  EXPECT_FALSE(Bar(200, 17, Range(0, 99, 100, 0)).HasThumb());
}

TEST(ElScrollBarGeometry, HitTestFindsEachPart) {
  // 200 long, 17 deep, thumb 84..116 (position 40 of 0..99, page 20).
  const TElScrollBarLayout layout = Bar(200, 17, Range(0, 99, 20, 40));
  struct Case { int along, across; TElScrollBarPart part; };
  const Case cases[] = {
      {0, 0, sbpLeftArrow},     {16, 16, sbpLeftArrow},  {17, 5, sbpLeftTop},     {83, 5, sbpLeftTop},
      {84, 5, sbpThumb},        {116, 5, sbpThumb},      {117, 5, sbpRightBottom}, {182, 5, sbpRightBottom},
      {183, 5, sbpRightArrow},  {199, 5, sbpRightArrow}, {200, 5, sbpNowhere},     {-1, 5, sbpNowhere},
      {50, -1, sbpNowhere},     {50, 17, sbpNowhere},
  };
  for (const Case& c : cases) EXPECT_EQ(ElHitTest(layout, 17, c.along, c.across), c.part) << c.along;

  // Secondary buttons: the second B from each end.
  TElScrollBarLayout two = ElLayoutButtons(200, 17, 2, 2);
  two.ThumbLength = 20;
  two.ThumbStart = 100;
  const Case secondary[] = {
      {10, 0, sbpLeftArrow},   {20, 0, sbpLeftSndArrow}, {33, 0, sbpLeftSndArrow}, {34, 0, sbpLeftTop},
      {99, 0, sbpLeftTop},     {100, 0, sbpThumb},       {120, 0, sbpRightBottom}, {165, 0, sbpRightBottom},
      {166, 0, sbpRightSndArrow}, {182, 0, sbpRightSndArrow}, {183, 0, sbpRightArrow},
  };
  for (const Case& c : secondary) EXPECT_EQ(ElHitTest(two, 17, c.along, c.across), c.part) << c.along;

  // Buttons that do not fit share the bar: 30 pixels, two buttons of 15.
  const TElScrollBarLayout shortBar = Bar(30, 17, Range(0, 99, 20, 40));
  EXPECT_EQ(ElHitTest(shortBar, 17, 14, 0), sbpLeftArrow);
  EXPECT_EQ(ElHitTest(shortBar, 17, 15, 0), sbpRightArrow);
  // Hidden start arrows leave the track to begin at 0.
  TElScrollBarLayout endOnly = ElLayoutButtons(100, 17, 0, 1);
  endOnly.ThumbLength = 20;
  endOnly.ThumbStart = 30;
  EXPECT_EQ(ElHitTest(endOnly, 17, 0, 0), sbpLeftTop);
  EXPECT_EQ(ElHitTest(endOnly, 17, 99, 0), sbpRightArrow);
}

TEST(ElScrollBarGeometry, ArrowEnablingCountsThePage) {
  struct Case { TElScrollRange range; bool start, end; };
  const Case cases[] = {
      {Range(0, 99, 20, 0), false, true},   {Range(0, 99, 20, 1), true, true},
      {Range(0, 99, 20, 79), true, true},   {Range(0, 99, 20, 80), true, false},  // last page
      {Range(0, 99, 20, 99), true, false},  {Range(0, 99, 100, 0), false, false}, // page covers all
      {Range(0, 99, 99, 1), true, false},   {Range(0, 99, 99, 0), false, true},
      {Range(0, -1, 14, -1), false, false}, // as created
      {Range(0, 99, 0, 50), true, true},    // no page
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ElStartArrowsEnabled(c.range), c.start) << c.range.Position << "/" << c.range.Page;
    EXPECT_EQ(ElEndArrowsEnabled(c.range), c.end) << c.range.Position << "/" << c.range.Page;
  }
}

TEST(ElScrollBarGeometry, PressActionByPart) {
  const TElScrollRange mid = Range(0, 99, 20, 50);
  const TElScrollRange top = Range(0, 99, 20, 0);
  struct Case {
    TElScrollBarPart part; TElScrollRange range; TElSecButtonsKind kind; bool noDisable;
    bool active; TElScrollCode code; int position;
  };
  const Case cases[] = {
      {sbpLeftArrow, mid, sbkOpposite, false, true, escLineUp, 47},
      {sbpRightArrow, mid, sbkOpposite, false, true, escLineDown, 53},
      {sbpLeftTop, mid, sbkOpposite, false, true, escPageUp, 30},
      {sbpRightBottom, mid, sbkOpposite, false, true, escPageDown, 70},
      {sbpLeftArrow, top, sbkOpposite, false, false, escLineUp, 0},   // at the start: disabled
      {sbpLeftTop, top, sbkOpposite, false, false, escPageUp, 0},
      {sbpLeftArrow, top, sbkOpposite, true, true, escLineUp, 0},     // NoDisableButtons: active, held at Min
      {sbpRightBottom, Range(0, 99, 20, 90), sbkOpposite, false, false, escPageDown, 99},
      {sbpRightBottom, Range(0, 99, 20, 75), sbkOpposite, false, true, escPageDown, 95},
      {sbpLeftSndArrow, mid, sbkOpposite, false, true, escLineDown, 53},
      {sbpRightSndArrow, mid, sbkOpposite, false, true, escLineUp, 47},
      {sbpLeftSndArrow, mid, sbkPage, false, true, escPageUp, 30},
      {sbpRightSndArrow, mid, sbkPage, false, true, escPageDown, 70},
      {sbpLeftSndArrow, mid, sbkCustom, false, true, escSndLineDown, 50},
      {sbpRightSndArrow, mid, sbkCustom, false, true, escSndLineUp, 50},
      {sbpThumb, mid, sbkOpposite, false, false, escEndScroll, 0},
      {sbpNowhere, mid, sbkOpposite, false, false, escEndScroll, 0},
  };
  for (const Case& c : cases) {
    const TElScrollAction action = ElPressAction(c.part, c.range, 3, c.kind, c.noDisable);
    EXPECT_EQ(action.Active, c.active) << int(c.part) << " at " << c.range.Position;
    if (!c.active && !c.noDisable) continue;
    EXPECT_EQ(action.Code, c.code) << int(c.part);
    EXPECT_EQ(action.Position, c.position) << int(c.part);
  }
  // A disabled press still names its code, so a host could be told of it.
  EXPECT_EQ(ElPressAction(sbpLeftArrow, top, 3, sbkOpposite, false).Code, escLineUp);
}

TEST(ElScrollBarGeometry, ThumbDragStartsOnlyWithRoomToScroll) {
  EXPECT_TRUE(ElCanDragThumb(Range(0, 99, 20, 0)));
  EXPECT_TRUE(ElCanDragThumb(Range(0, 99, 99, 0)));
  EXPECT_FALSE(ElCanDragThumb(Range(0, 99, 100, 0)));
  EXPECT_FALSE(ElCanDragThumb(Range(5, 5, 0, 5)));
  EXPECT_FALSE(ElCanDragThumb(Range(0, -1, 14, -1)));
}

TEST(ElScrollBarGeometry, DraggedThumbFollowsThePointerAndSnapsBackFarAway) {
  // Track 17..183, thumb 33 long, grabbed 10 pixels in, started at 84.
  const TElScrollBarLayout layout = Bar(200, 17, Range(0, 99, 20, 40));
  struct Case { int pointer, start; };
  const Case cases[] = {
      {104, 94},  {94, 84},   {20, 17},    {0, 17},     {-100, 17},  // up to half the length before the start
      {-101, 84}, {-500, 84},                                        // further: back where the drag began
      {180, 150}, {300, 150}, {301, 84},                             // the same beyond the end
  };
  for (const Case& c : cases) EXPECT_EQ(ElDragThumbStart(layout, c.pointer, 10, 84), c.start) << c.pointer;
}

}  // namespace
