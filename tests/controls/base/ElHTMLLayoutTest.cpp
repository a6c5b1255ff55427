#include "controls/base/ElHTMLLayout.h"

#include <gtest/gtest.h>

namespace {

// Every character 6 pixels wide (7 bold); the default text 13 high with its
// baseline at 10; a sized text N + 4 high with its baseline at N + 1; the
// image "ok" 16 x 16, any other none.
class FakeMeasurer : public IElHTMLMeasurer {
 public:
  TElHTMLExtent MeasureText(const TElHTMLStyle& style, const std::u16string& text) override {
    ++textCalls;
    TElHTMLExtent extent;
    extent.Width = static_cast<int>(text.size()) * ((style.Flags & hsBold) ? 7 : 6);
    extent.Height = style.Size == 0 ? 13 : style.Size + 4;
    extent.Ascent = style.Size == 0 ? 10 : style.Size + 1;
    return extent;
  }
  TElHTMLExtent MeasureImage(const std::u16string& src) override {
    TElHTMLExtent extent;
    if (src == u"ok") extent.Width = extent.Height = extent.Ascent = 16;
    return extent;
  }
  int textCalls = 0;
};

TElHTMLLayout Layout(const char16_t* text, int maxWidth = 0, bool wrap = false) {
  FakeMeasurer measurer;
  return LayoutElHTML(ParseElHTML(text), measurer, maxWidth, wrap);
}

struct ItemBox {
  int left, top, width, height;
};

void ExpectItems(const TElHTMLLine& line, std::initializer_list<ItemBox> boxes) {
  ASSERT_EQ(line.Items.size(), boxes.size());
  size_t i = 0;
  for (const ItemBox& box : boxes) {
    const TElHTMLItem& item = line.Items[i++];
    EXPECT_EQ(item.Left, box.left) << "item " << i - 1;
    EXPECT_EQ(item.Top, box.top) << "item " << i - 1;
    EXPECT_EQ(item.Width, box.width) << "item " << i - 1;
    EXPECT_EQ(item.Height, box.height) << "item " << i - 1;
  }
}

TEST(ElHTMLLayout, RunsFollowEachOtherOnOneLine) {
  const TElHTMLLayout layout = Layout(u"ab<b>cd</b>");
  ASSERT_EQ(layout.Lines.size(), 1u);
  ExpectItems(layout.Lines[0], {{0, 0, 12, 13}, {12, 0, 14, 13}});
  EXPECT_EQ(layout.Width, 26);
  EXPECT_EQ(layout.Height, 13);
}

TEST(ElHTMLLayout, PiecesShareTheBaselineOfTheLine) {
  // A 20-point run: ascent 21, descent 3; the default run's top moves down to
  // put its baseline (10) on the line's.
  TElHTMLLayout layout = Layout(u"a<font size=20>B</font>");
  ASSERT_EQ(layout.Lines.size(), 1u);
  EXPECT_EQ(layout.Lines[0].Baseline, 21);
  EXPECT_EQ(layout.Height, 24);
  ExpectItems(layout.Lines[0], {{0, 11, 6, 13}, {6, 0, 6, 24}});
  // An image stands on the baseline.
  layout = Layout(u"x<img src=ok><img src=ok width=4 height=30>");
  ASSERT_EQ(layout.Lines.size(), 1u);
  EXPECT_EQ(layout.Height, 33);
  ExpectItems(layout.Lines[0], {{0, 20, 6, 13}, {6, 14, 16, 16}, {22, 0, 4, 30}});
}

TEST(ElHTMLLayout, LineBreaksStackLinesAndAnEmptyLineKeepsTheTextHeight) {
  const TElHTMLLayout layout = Layout(u"abc<br><br><font size=20>b</font>");
  ASSERT_EQ(layout.Lines.size(), 3u);
  EXPECT_EQ(layout.Lines[0].Top, 0);
  EXPECT_EQ(layout.Lines[1].Top, 13);
  EXPECT_EQ(layout.Lines[1].Height, 13);
  EXPECT_TRUE(layout.Lines[1].Items.empty());
  EXPECT_EQ(layout.Lines[2].Top, 26);
  EXPECT_EQ(layout.Height, 26 + 24);
  EXPECT_EQ(layout.Width, 18);
}

TEST(ElHTMLLayout, WithoutWrappingAWidthDoesNotBreak) {
  const TElHTMLLayout layout = Layout(u"aaa bbb ccc", 20, false);
  ASSERT_EQ(layout.Lines.size(), 1u);
  EXPECT_EQ(layout.Width, 66);
}

TEST(ElHTMLLayout, WrapsAtSpacesAndGivesAnOverlongWordItsOwnLine) {
  // "aaa bbb " fills 48 of 50; "ccc" would end at 66.
  TElHTMLLayout layout = Layout(u"aaa bbb ccc", 50, true);
  ASSERT_EQ(layout.Lines.size(), 2u);
  ExpectItems(layout.Lines[0], {{0, 0, 24, 13}, {24, 0, 24, 13}});
  ExpectItems(layout.Lines[1], {{0, 13, 18, 13}});
  EXPECT_EQ(layout.Lines[1].Items[0].Text, u"ccc");

  layout = Layout(u"abcdefghij x <b>y</b>", 30, true);
  ASSERT_EQ(layout.Lines.size(), 2u);
  EXPECT_EQ(layout.Lines[0].Items[0].Text, u"abcdefghij ");
  ExpectItems(layout.Lines[1], {{0, 13, 12, 13}, {12, 13, 7, 13}});
  // A space that ends up at the start of a line is dropped.
  layout = Layout(u"aaaa <b> bb</b>", 30, true);
  ASSERT_EQ(layout.Lines.size(), 2u);
  ASSERT_EQ(layout.Lines[1].Items.size(), 1u);
  EXPECT_EQ(layout.Lines[1].Items[0].Text, u"bb");
}

TEST(ElHTMLLayout, FindsTheLinkUnderAPoint) {
  const TElHTMLLayout layout = Layout(u"<a href=l>link</a> text<br><a href=m>more</a>");
  EXPECT_EQ(layout.LinkAt(3, 5), 0);
  EXPECT_EQ(layout.LinkAt(23, 12), 0);
  EXPECT_EQ(layout.LinkAt(24, 5), -1);  // just past "link"
  EXPECT_EQ(layout.LinkAt(3, 14), 1);
  EXPECT_EQ(layout.LinkAt(30, 14), -1);
  EXPECT_EQ(layout.LinkAt(3, 26), -1);  // below the text
  EXPECT_EQ(layout.LinkAt(-1, 5), -1);
}

TEST(ElHTMLLayout, EmptyTextHasNoSize) {
  const TElHTMLLayout layout = Layout(u"");
  EXPECT_TRUE(layout.Lines.empty());
  EXPECT_EQ(layout.Width, 0);
  EXPECT_EQ(layout.Height, 0);
}

}  // namespace
