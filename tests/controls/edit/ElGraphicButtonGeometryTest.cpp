#include "controls/edit/ElGraphicButtonGeometry.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(ElGraphicButtonGeometry, ArrowZoneIsTheRightmost15PixelsOr11WhenFlat) {
  struct Case {
    int x;
    bool flat;
    bool want;
  } cases[] = {
      {59, false, false}, {60, false, true}, {74, false, true}, {75, false, false},
      {63, true, false},  {64, true, true},  {74, true, true},  {-1, false, false},
  };
  for (const Case& c : cases) EXPECT_EQ(InArrowZone(c.x, 75, c.flat), c.want) << c.x << " " << c.flat;
  EXPECT_EQ(ArrowHitZoneWidth(false), 15);
  EXPECT_EQ(ArrowHitZoneWidth(true), 11);
}

TEST(ElGraphicButtonGeometry, PullMenuOpensBelowRightOrAboveAndNeverOffTheScreenEdge) {
  struct Case {
    const char* name;
    TPopupPlace place;
    int left;
    int top;
    int items;
    TElScreenPoint want;
  } cases[] = {
      {"below", ppDown, 100, 200, 5, {100, 225}},
      {"right", ppRight, 100, 200, 5, {175, 200}},
      // Five items of a 19-pixel menu bar above, one pixel to the left.
      {"above", ppTop, 100, 200, 5, {99, 105}},
      {"above, too little room", ppTop, 0, 50, 5, {0, 0}},
      {"right of a button off the left edge", ppRight, -100, -3, 1, {0, 0}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PullMenuPosition(c.place, c.left, c.top, 75, 25, 19, c.items), c.want) << c.name;
}

TEST(ElGraphicButtonGeometry, HLSRoundTripsAndKnownColours) {
  struct Case {
    unsigned rgb;
    TElHLS hls;
  } known[] = {
      {0x000000, {160, 0, 0}},    {0xFFFFFF, {160, 240, 0}},  {0x0000FF, {0, 120, 240}},
      {0x00FF00, {80, 120, 240}}, {0xFF0000, {160, 120, 240}}, {0xC0C0C0, {160, 181, 0}},
  };
  for (const Case& c : known) {
    const TElHLS hls = RGBToHLS(c.rgb);
    EXPECT_EQ(hls.H, c.hls.H) << std::hex << c.rgb;
    EXPECT_EQ(hls.L, c.hls.L) << std::hex << c.rgb;
    EXPECT_EQ(hls.S, c.hls.S) << std::hex << c.rgb;
  }
  // Round trips stay within a step of the 240-level scale.
  for (unsigned rgb : {0x123456u, 0xD4D0C8u, 0x808080u, 0x3366CCu, 0xF0E0D0u}) {
    const unsigned back = HLSToRGB(RGBToHLS(rgb));
    for (int shift : {0, 8, 16})
      EXPECT_LE(std::abs(static_cast<int>((back >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF)), 2)
          << std::hex << rgb;
  }
}

TEST(ElGraphicButtonGeometry, FrameColoursAreLighterAndDarkerShadesOfTheFace) {
  TElFrameColours colours;
  // Grey 0x808080: L 120, so 160, 60 and 80.
  ASSERT_TRUE(DeriveFrameColours(0x808080, colours));
  EXPECT_EQ(colours.Highlight, HLSToRGB(TElHLS{160, 160, 0}));
  EXPECT_EQ(colours.DkShadow, HLSToRGB(TElHLS{160, 60, 0}));
  EXPECT_EQ(colours.Shadow, HLSToRGB(TElHLS{160, 80, 0}));
  // A bright face keeps its highlight below white.
  ASSERT_TRUE(DeriveFrameColours(0xF0F0F0, colours));
  EXPECT_EQ(colours.Highlight, HLSToRGB(TElHLS{160, 239, 0}));
  EXPECT_NE(colours.Highlight, 0xFFFFFFu);
  // Hue and saturation stay.
  ASSERT_TRUE(DeriveFrameColours(0x3366CC, colours));
  const TElHLS face = RGBToHLS(0x3366CC);
  const TElHLS shadow = RGBToHLS(colours.Shadow);
  EXPECT_NEAR(shadow.H, face.H, 2);
  EXPECT_NEAR(shadow.S, face.S, 3);
  EXPECT_LT(shadow.L, face.L);
  // Black takes the system's colours.
  EXPECT_FALSE(DeriveFrameColours(0x000000, colours));
}

}  // namespace
