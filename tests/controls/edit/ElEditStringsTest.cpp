// The edit's text storage: paragraphs, word wrap, the global row index,
// position mapping and the insert primitive.
#include <gtest/gtest.h>

#include "tests/controls/edit/ElEditTestHost.h"

namespace {

using Rows = std::vector<WideString>;

TEST(EditStrings, MultiLineTextIsSplitAtEveryKindOfBreak) {
  struct Case {
    const char16_t* text;
    Rows paragraphs;
    const char16_t* readBack;
  };
  const Case cases[] = {
      {u"a\r\nb\r\n", {u"a", u"b", u""}, u"a\r\nb\r\n"},
      {u"a\rb\nc", {u"a", u"b", u"c"}, u"a\r\nb\r\nc"},
      {u"a\n\rb", {u"a", u"", u"b"}, u"a\r\n\r\nb"},
      {u"", {u""}, u""},
      {u"\r\n", {u"", u""}, u"\r\n"},
  };
  for (const Case& c : cases) {
    auto edit = MakeMemo(false);
    edit->Lines().SetTextStr(c.text);
    EXPECT_EQ(RowsOf(edit->Lines()), c.paragraphs) << "text " << Shown(c.text);
    EXPECT_EQ(edit->Lines().GetTextStr(), c.readBack);
  }
}

TEST(EditStrings, SingleLineKeepsBreaksInOneParagraphAndRefusesInsert) {
  auto edit = MakeEdit();
  edit->Lines().SetTextStr(u"a\r\nb");
  EXPECT_EQ(edit->Lines().GetCount(), 1);
  EXPECT_EQ(edit->Lines().Get(0), u"a\r\nb");
  edit->Lines().Insert(0, u"x");
  edit->Lines().Add(u"y");
  EXPECT_EQ(edit->Lines().GetTextStr(), u"a\r\nb");
}

TEST(EditStrings, TouchingAnEmptyStorageCreatesOneEmptyParagraphAndRow) {
  auto edit = MakeMemo(true);
  EXPECT_EQ(edit->Lines().Get(0), u"");
  EXPECT_EQ(edit->Lines().GetCount(), 1);
  EXPECT_EQ(edit->Lines().GetParaCount(), 1);
  EXPECT_EQ(edit->GetLinesCount(), 1);
}

TEST(EditStrings, WordWrapBreaksAfterTheLastBlankThatFits) {
  // 10 characters fit; a remainder is cut once it is 10 characters or more.
  struct Case {
    const char16_t* text;
    Rows rows;
  };
  const Case cases[] = {
      {u"hello world again", {u"hello ", u"world ", u"again"}},
      {u"abcdefghijklmnopqrstuvwxy", {u"abcdefghij", u"klmnopqrst", u"uvwxy"}},
      {u"abcdefghi", {u"abcdefghi"}},
      // A text as wide as the width minus one pixel is still cut.
      {u"abcdefghij", {u"abcdefghi", u"j"}},
      {u"a\tbcdefghijk", {u"a\t", u"bcdefghij", u"k"}},
      // A pair at the cut stays whole on the next row.
      {u"abcdefghi\U0001F600xyz", {u"abcdefghi", u"\U0001F600xyz"}},
      {u"", {u""}},
  };
  for (const Case& c : cases) {
    auto edit = MakeMemo(true);
    edit->Lines().SetTextStr(c.text);
    EXPECT_EQ(RowsOf(edit->Lines()), c.rows) << Shown(c.text);
    EXPECT_EQ(edit->Lines().Get(0), c.text);
  }
}

TEST(EditStrings, AWidthNarrowerThanOneCharacterStillMakesProgress) {
  auto edit = MakeMemo(true);
  edit->SetEditRect({0, 0, 6, 100});
  edit->Lines().SetTextStr(u"ab\U0001F600");
  EXPECT_EQ(RowsOf(edit->Lines()), (Rows{u"a", u"b", u"\U0001F600"}));
}

TEST(EditStrings, ParagraphsKnowTheirFirstRowAndPositionsMapBothWays) {
  auto edit = MakeMemo(true);
  edit->Lines().SetTextStr(u"hello world again\r\nab\r\nabcdefghijklm");
  const TElEditStrings& lines = edit->Lines();
  EXPECT_EQ(lines.Paragraph(0).FirstRow(), 0);
  EXPECT_EQ(lines.Paragraph(1).FirstRow(), 3);
  EXPECT_EQ(lines.Paragraph(2).FirstRow(), 4);
  EXPECT_EQ(lines.GetParaCount(), 6);

  struct Case {
    int row;
    int paragraph;
    int rowInParagraph;
  };
  for (const Case c : {Case{0, 0, 0}, Case{2, 0, 2}, Case{3, 1, 0}, Case{4, 2, 0}, Case{5, 2, 1}}) {
    EXPECT_EQ(lines.IndexToParagraph(c.row).Paragraph, c.paragraph) << "row " << c.row;
    EXPECT_EQ(lines.IndexToParagraph(c.row).Row, c.rowInParagraph) << "row " << c.row;
  }
  // Column 1 of the second row of "hello ", "world ", "again" is offset 7.
  EXPECT_EQ(lines.CaretToParagraph(1, 1), (TElParaPos{0, 7}));
  EXPECT_EQ(lines.CaretToParagraph(99, 3), (TElParaPos{1, 2}));
  // A row boundary maps to the end of the earlier row.
  EXPECT_EQ(lines.CaretFromParagraph(0, 6), (TElEditPoint{6, 0}));
  EXPECT_EQ(lines.CaretFromParagraph(0, 7), (TElEditPoint{1, 1}));
  EXPECT_EQ(lines.CaretFromParagraph(2, 13), (TElEditPoint{3, 5}));
}

TEST(EditStrings, FirstRowsFollowAChangeInRowCount) {
  auto edit = MakeMemo(true);
  edit->Lines().SetTextStr(u"a\r\nb\r\nc\r\nd");
  edit->Lines().SetParaString(1, u"b and more text");  // now two rows
  EXPECT_EQ(edit->Lines().Paragraph(2).FirstRow(), 3);
  EXPECT_EQ(edit->Lines().Paragraph(3).FirstRow(), 4);
  edit->Lines().Delete(0);
  EXPECT_EQ(edit->Lines().Paragraph(0).FirstRow(), 0);
  EXPECT_EQ(edit->Lines().Paragraph(2).FirstRow(), 3);
  edit->Lines().Exchange(0, 2);
  EXPECT_EQ(edit->Lines().Paragraph(1).FirstRow(), 1);
  EXPECT_EQ(edit->Lines().Paragraph(2).FirstRow(), 2);
  EXPECT_EQ(edit->Lines().GetParaCount(), 4);
}

TEST(EditStrings, InsertTextSplitsAtItsFirstBreakAndReturnsTheEnd) {
  struct Case {
    const char16_t* inserted;
    const char16_t* text;
    TElEditPoint end;
  };
  const Case cases[] = {
      {u"XY", u"abXYcd", {4, 0}},
      {u"X\r\nY", u"abX\r\nYcd", {1, 1}},
      {u"\r\n", u"ab\r\ncd", {0, 1}},
      {u"X\r\n", u"abX\r\ncd", {0, 1}},
      {u"X\nY\rZ", u"abX\r\nY\r\nZcd", {1, 2}},
      // A lone break that ends the text is dropped.
      {u"X\n", u"abXcd", {3, 0}},
      {u"", u"abcd", {2, 0}},
  };
  for (const Case& c : cases) {
    auto edit = MakeMemo(false);
    edit->Lines().SetTextStr(u"abcd");
    int column = 2;
    int row = 0;
    edit->Lines().InsertText(column, row, c.inserted);
    EXPECT_EQ(edit->Lines().GetTextStr(), c.text) << Shown(c.inserted);
    EXPECT_EQ((TElEditPoint{column, row}), c.end) << Shown(c.inserted);
  }
}

TEST(EditStrings, SingleLineInsertTextKeepsWhatFollowsTheCaret) {
  auto edit = MakeEdit();
  edit->Lines().SetTextStr(u"abcd");
  int column = 2;
  int row = 0;
  edit->Lines().InsertText(column, row, u"X\r\nY");
  EXPECT_EQ(edit->Lines().GetTextStr(), u"abXcd");
  EXPECT_EQ((TElEditPoint{column, row}), (TElEditPoint{3, 0}));
}

TEST(EditStrings, LongestRowIsTrackedWithoutWordWrap) {
  auto edit = MakeMemo(false);
  TElEditStrings& lines = edit->Lines();
  lines.SetTextStr(u"aa\r\nbbbbb\r\nccc");
  EXPECT_EQ(lines.LongestLength(), 5);
  EXPECT_EQ(lines.LongestIndex(), 1);
  EXPECT_EQ(lines.LongestText(), u"bbbbb");
  // When the longest one shrinks or goes, the next longest takes over.
  lines.Put(1, u"b");
  EXPECT_EQ(lines.LongestLength(), 3);
  EXPECT_EQ(lines.LongestIndex(), 2);
  lines.Delete(2);
  EXPECT_EQ(lines.LongestLength(), 2);
  lines.Insert(0, u"dddddd");
  EXPECT_EQ(lines.LongestIndex(), 0);
  lines.DeleteRange({0, 2}, {2, 1});
  EXPECT_EQ(lines.GetTextStr(), u"dd");
  EXPECT_EQ(lines.LongestLength(), 2);
}

TEST(EditStrings, SetParaStringOnAnEmptyStorageBeyondRowZeroRaises) {
  auto edit = MakeMemo(false);
  edit->Lines().Clear();
  try {
    edit->Lines().SetParaString(1, u"x");
    FAIL() << "no exception";
  } catch (const EElEditorError& e) {
    EXPECT_STREQ(e.what(), "List index outbound (1)");
  }
  edit->Lines().SetParaString(0, u"x");
  EXPECT_EQ(edit->Lines().GetTextStr(), u"x");
}

TEST(EditStrings, BadParagraphIndexesRaiseTheListError) {
  auto edit = MakeMemo(false);
  edit->Lines().SetTextStr(u"a");
  EXPECT_THROW(edit->Lines().Get(1), EStringListError);
  EXPECT_THROW(edit->Lines().Delete(-1), EStringListError);
  EXPECT_THROW(edit->Lines().Insert(3, u"x"), EStringListError);
}

TEST(EditStrings, FindBisectsTheParagraphTexts) {
  auto edit = MakeMemo(false);
  edit->Lines().SetTextStr(u"apple\r\ncherry\r\npear");
  int index = -1;
  EXPECT_TRUE(edit->Lines().Find(u"cherry", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(edit->Lines().Find(u"banana", index));
  EXPECT_EQ(index, 1);
}

}  // namespace
