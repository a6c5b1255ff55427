#include "controls/check/ElCheckBoxLayout.h"

#include <gtest/gtest.h>

#include <ostream>

static std::ostream& operator<<(std::ostream& out, const TElLayoutRect& r) {
  return out << "{" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << "}";
}
static std::ostream& operator<<(std::ostream& out, const TElLayoutSize& s) {
  return out << s.Width << "x" << s.Height;
}

namespace {

TEST(ElCheckBoxLayout, BoxSizeComesFromThemeGlyphStripOrImageList) {
  struct Case {
    const char* name;
    TElCheckBoxSizeInput input;
    TElLayoutSize want;
  } cases[] = {
      {"standard", {}, {13, 13}},
      {"themed wins over a glyph strip", {true, true, {96, 16}, false, {}}, {13, 13}},
      {"a sixth of the glyph strip", {false, true, {96, 16}, false, {}}, {16, 16}},
      {"an empty strip keeps the standard box", {false, true, {0, 0}, false, {}}, {13, 13}},
      {"glyphs set but not used", {false, false, {96, 16}, false, {}}, {13, 13}},
      {"the image list's size", {false, false, {}, true, {20, 18}}, {20, 18}},
      {"the glyph strip before the image list", {false, true, {60, 10}, true, {20, 18}}, {10, 10}},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckBoxBoxSize(c.input), c.want) << c.name;
}

TEST(ElCheckBoxLayout, AutoSizeAddsBoxMarginsAndCaption) {
  struct Case {
    const char* name;
    TElCheckAutoSizeInput input;
    TElLayoutSize want;
  } cases[] = {
      // The main window's box: 13 + 2 + 5 + 71 + 2 wide, max(13 + 4, 13 + 2) high.
      {"dialog font, margin 5", {{13, 13}, 5, {71, 13}, false}, {93, 17}},
      {"no caption", {{13, 13}, 5, {0, 0}, false}, {22, 17}},
      {"margin 0", {{13, 13}, 0, {40, 13}, false}, {55, 17}},
      {"a tall caption sets the height", {{13, 13}, 6, {40, 26}, false}, {64, 29}},
      {"a text effect needs two more pixels", {{13, 13}, 5, {71, 13}, true}, {93, 19}},
      {"a large glyph sets the height", {{24, 24}, 5, {30, 13}, false}, {63, 28}},
  };
  for (const Case& c : cases) EXPECT_EQ(CalcCheckAutoSize(c.input), c.want) << c.name;
}

TEST(ElCheckBoxLayout, BoxAndCaptionPlaces) {
  struct Case {
    const char* name;
    TElCheckPaintInput input;
    TElLayoutRect box;
    TElLayoutRect caption;
    TElLayoutRect focus;
  } cases[] = {
      {"caption right of the box", {{93, 17}, {13, 13}, 5, false, false, 17, {71, 13}},
       {0, 2, 13, 15}, {18, 2, 93, 15}, {17, 1, 90, 16}},
      {"caption left of the box", {{93, 17}, {13, 13}, 5, true, false, 17, {71, 13}},
       {80, 2, 93, 15}, {0, 2, 75, 15}, {-1, 1, 72, 16}},
      // Themed, with the box on the right, an odd height rounds the box down.
      {"themed box on the right", {{93, 18}, {13, 13}, 5, true, true, 18, {71, 13}},
       {80, 2, 93, 15}, {0, 2, 75, 15}, {-1, 1, 72, 16}},
      {"themed box on the left", {{93, 18}, {13, 13}, 5, false, true, 18, {71, 13}},
       {0, 3, 13, 16}, {18, 2, 93, 15}, {17, 1, 90, 16}},
      // A caption wider than its area: the focus stays within the area.
      {"caption cut by the control", {{60, 17}, {13, 13}, 5, false, false, 17, {71, 13}},
       {0, 2, 13, 15}, {18, 2, 60, 15}, {17, 1, 61, 16}},
      // A two-line caption centres the box in the height the caption needs.
      {"multi-line caption centring", {{93, 40}, {13, 13}, 5, false, false, 28, {60, 26}},
       {0, 8, 13, 21}, {18, 7, 93, 33}, {17, 6, 79, 34}},
      {"no caption", {{22, 17}, {13, 13}, 5, false, false, 17, {0, 0}},
       {0, 2, 13, 15}, {18, 8, 22, 8}, {17, 7, 19, 9}},
  };
  for (const Case& c : cases) {
    const TElCheckPaintLayout layout = CalcCheckPaintLayout(c.input);
    EXPECT_EQ(layout.Box, c.box) << c.name;
    EXPECT_EQ(layout.CaptionArea, c.caption) << c.name;
    EXPECT_EQ(layout.Focus, c.focus) << c.name;
  }
}

}  // namespace
