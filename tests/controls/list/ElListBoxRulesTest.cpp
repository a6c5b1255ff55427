// The list box's window-free rules and its typed search text.
#include <gtest/gtest.h>

#include "controls/list/ElKeyboardInput.h"
#include "controls/list/ElListBoxRules.h"

namespace {

TEST(ElListBoxRulesTest, TheCheckBoxTakesPressesFromOneBeforeItToTwoAfterIt) {
  const struct {
    int x, offset, box;
    bool hit;
  } cases[] = {
      {0, 0, 13, false},  {1, 0, 13, true},    {15, 0, 13, true},   {16, 0, 13, false},
      {18, 18, 13, false}, {19, 18, 13, true}, {33, 18, 13, true}, {34, 18, 13, false},
      {1, 0, 16, true},   {18, 0, 16, true},   {19, 0, 16, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "x " << c.x << " offset " << c.offset << " box " << c.box);
    EXPECT_EQ(ElCheckBoxHit(c.x, c.offset, c.box), c.hit);
  }
}

TEST(ElListBoxRulesTest, AClickCyclesTheStateThroughGrayedOnlyWhenAllowed) {
  EXPECT_EQ(ElNextCheckState(cbUnchecked, false), cbChecked);
  EXPECT_EQ(ElNextCheckState(cbChecked, false), cbUnchecked);
  EXPECT_EQ(ElNextCheckState(cbUnchecked, true), cbGrayed);
  EXPECT_EQ(ElNextCheckState(cbGrayed, true), cbChecked);
  EXPECT_EQ(ElNextCheckState(cbChecked, true), cbUnchecked);
  // A grayed row left over from before grayed was allowed still moves on.
  EXPECT_EQ(ElNextCheckState(cbGrayed, false), cbChecked);
}

TEST(ElListBoxRulesTest, ARowCoversItsTopPixelAndNotTheOneBelowItsLast) {
  const struct {
    int top, y, height, row;
  } cases[] = {
      {0, 0, 13, 0},   {0, 12, 13, 0},  {0, 13, 13, 1}, {0, 25, 13, 1}, {0, 26, 13, 2},
      {40, 0, 13, 40}, {40, 13, 13, 41},
      {0, -1, 13, -1},  // above the client area
      {0, 5, 0, -1},    // rows of no height
      {-1, 5, 13, -1},  // no top row
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "top " << c.top << " y " << c.y << " height " << c.height);
    EXPECT_EQ(ElRowAtY(c.top, c.y, c.height), c.row);
  }
}

TEST(ElListBoxRulesTest, ATabAddsZeroWidthTimesTabWidthOverFourRoundingHalvesToEven) {
  EXPECT_EQ(ElTabPixels(6, 8), 12);
  EXPECT_EQ(ElTabPixels(5, 2), 2);  // 2.5
  EXPECT_EQ(ElTabPixels(7, 2), 4);  // 3.5
  EXPECT_EQ(ElTabPixels(7, 1), 2);  // 1.75
  EXPECT_EQ(ElTabPixels(6, 0), 0);
}

TEST(ElListBoxRulesTest, ASearchStartsAfterTheCurrentRowAndWrapsToTheFirst) {
  EXPECT_EQ(ElSearchStartRow(-1, -1, 5), 0);
  EXPECT_EQ(ElSearchStartRow(-1, 1, 5), 2);
  EXPECT_EQ(ElSearchStartRow(-1, 4, 5), 0);
  EXPECT_EQ(ElSearchStartRow(0, 3, 5), 0);
  EXPECT_EQ(ElSearchStartRow(3, 0, 5), 3);
  EXPECT_EQ(ElSearchStartRow(-1, -1, 0), 0);
}

TEST(ElListBoxRulesTest, RowsMatchTypedPrefixesWhateverTheirCaseAndScript) {
  const struct {
    const char16_t* row;
    const char16_t* prefix;
    bool match;
  } cases[] = {
      {u"Found compressed File", u"fou", true},
      {u"Found compressed File", u"FOUND C", true},
      {u"Found", u"Foundry", false},
      {u"Found", u"", false},
      {u"", u"a", false},
      {u"\u0416\u0443\u043A", u"\u0436", true},        // Cyrillic, lower case typed
      {u"\u0436\u0443\u043A", u"\u0416\u0423", true},  // upper case typed
      {u"\u65E5\u672C", u"\u65E5", true},              // CJK
      {u"b1", u"b2", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ElRowStartsWith(c.row, c.prefix), c.match);
  }
}

TEST(ElListBoxRulesTest, OnlyTwoOrMoreOfOneCharacterCountAsRepeated) {
  EXPECT_FALSE(ElRepeatsOneCharacter(u""));
  EXPECT_FALSE(ElRepeatsOneCharacter(u"b"));
  EXPECT_TRUE(ElRepeatsOneCharacter(u"bb"));
  EXPECT_TRUE(ElRepeatsOneCharacter(u"bbb"));
  EXPECT_FALSE(ElRepeatsOneCharacter(u"bB"));
  EXPECT_FALSE(ElRepeatsOneCharacter(u"b2"));
}

TEST(ElKeyboardInputTest, TypedCharactersAddUpBackspaceTakesOneBackAndControlsAddNothing) {
  TElKeyboardInput input;
  const struct {
    char16_t typed;
    bool changed;
    const char16_t* buffer;
  } steps[] = {
      {u'\b', false, u""},  {u'b', true, u"b"},      {u'\t', false, u"b"},      {u'\r', false, u"b"},
      {0x1B, false, u"b"},  {u'\u00E9', true, u"b\u00E9"}, {u'\b', true, u"b"}, {u'2', true, u"b2"},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(input.Feed(step.typed), step.changed);
    EXPECT_EQ(input.Buffer(), WideString(step.buffer));
  }
  input.FeedText(u"x\by");
  EXPECT_EQ(input.Buffer(), u"b2y");
  input.Clear();
  EXPECT_TRUE(input.Buffer().empty());
}

}  // namespace
