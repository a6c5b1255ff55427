// The edit model: properties, text, caret and selection, scrolling, pixel
// mapping and word boundaries.
#include <gtest/gtest.h>

#include "tests/controls/edit/ElEditTestHost.h"

namespace {

TEST(EditModel, ANewEditHasTheDocumentedInitialValues) {
  auto edit = MakeEdit();
  EXPECT_EQ(edit->GetText(), u"");
  EXPECT_EQ(edit->GetSelStart(), 0);
  EXPECT_EQ(edit->GetSelLength(), 0);
  EXPECT_EQ(edit->GetLinesCount(), 1);
  EXPECT_EQ(edit->Lines().GetCount(), 1);
  EXPECT_EQ(edit->MaxLength(), 0);
  EXPECT_FALSE(edit->ReadOnly());
  EXPECT_EQ(edit->PasswordChar(), u"");
  EXPECT_EQ(edit->CharCase(), eecNormal);
  EXPECT_FALSE(edit->Multiline());
  EXPECT_FALSE(edit->WordWrap());
  EXPECT_FALSE(edit->WantTabs());
  EXPECT_FALSE(edit->WantReturns());
  EXPECT_EQ(edit->TabSpaces(), 4);
  EXPECT_EQ(edit->Alignment(), taLeftJustify);
  EXPECT_EQ(edit->LeftMargin(), 1);
  EXPECT_EQ(edit->RightMargin(), 1);
  EXPECT_EQ(edit->TopMargin(), 0);
  EXPECT_TRUE(edit->AlignBottom());
  EXPECT_FALSE(edit->AutoSelect());
  EXPECT_TRUE(edit->HideSelection());
  EXPECT_TRUE(edit->NotifyUserChangeOnly());
  EXPECT_EQ(edit->MaxUndoLevel(), 0);
  EXPECT_TRUE(edit->AutoSize());
  EXPECT_FALSE(edit->Modified());
  EXPECT_EQ(edit->GetCaretXY(), (TElEditPoint{0, 0}));
  EXPECT_EQ(edit->LineHeight(), 13);
  EXPECT_FALSE(edit->GetCanUndo());
}

TEST(EditModel, OutOfRangeSettingsAreIgnored) {
  auto edit = MakeEdit();
  edit->SetMaxLength(-1);
  edit->SetTabSpaces(0);
  edit->SetTabSpaces(-3);
  edit->SetMaxUndoLevel(-2);
  EXPECT_EQ(edit->MaxLength(), 0);
  EXPECT_EQ(edit->TabSpaces(), 4);
  EXPECT_EQ(edit->MaxUndoLevel(), 0);
}

TEST(EditModel, AssigningTextNotifiesByTheRules) {
  struct Case {
    bool window;
    bool notifyUserChangeOnly;
    const char16_t* text;
    int changes;
    int selectionChanges;
  };
  const Case cases[] = {
      {true, true, u"C:\\x", 0, 1},  {true, false, u"C:\\x", 1, 1}, {true, true, u"abc", 0, 0},
      {false, true, u"C:\\x", 0, 0}, {false, false, u"C:\\x", 1, 0},
  };
  for (const Case& c : cases) {
    TRecordingEditHost host;
    host.Window = c.window;
    auto edit = MakeEdit(&host);
    edit->SetText(u"abc");
    edit->SetNotifyUserChangeOnly(c.notifyUserChangeOnly);
    TEventCounts events;
    events.Attach(*edit);
    edit->SetText(c.text);
    EXPECT_EQ(edit->GetText(), c.text);
    EXPECT_EQ(events.Changes, c.changes) << c.window << c.notifyUserChangeOnly << Shown(c.text);
    EXPECT_EQ(events.SelectionChanges, c.selectionChanges) << c.window << c.notifyUserChangeOnly << Shown(c.text);
  }
}

TEST(EditModel, AssigningTextResetsCaretScrollAndSelectionAndClearsHistory) {
  auto edit = MakeEdit();
  edit->SetText(u"abcdef");
  edit->EmSetSel(1, 4);
  edit->KeyPress(u'x');
  ASSERT_TRUE(edit->GetCanUndo());
  edit->SetText(u"other");
  EXPECT_FALSE(edit->GetCanUndo());
  EXPECT_EQ(edit->GetCaretXY(), (TElEditPoint{0, 0}));
  EXPECT_FALSE(edit->HasSelection());
  EXPECT_EQ(edit->LeftChar(), 0);
  EXPECT_EQ(edit->TopLine(), 0);
}

TEST(EditModel, ChangesThroughLinesKeepTheCaretInTheText) {
  auto edit = MakeMemo(false);
  edit->SetText(u"one\r\ntwo\r\nthree");
  edit->SetCaretXY({5, 2});
  edit->Lines().Delete(2);
  EXPECT_EQ(edit->GetCaretXY(), (TElEditPoint{3, 1}));
  EXPECT_NO_THROW(edit->PosFromCaret(edit->CaretX(), edit->CaretY()));
  edit->Lines().Clear();
  EXPECT_EQ(edit->GetCaretXY(), (TElEditPoint{0, 0}));
  EXPECT_NO_THROW(edit->PosFromCaret(edit->CaretX(), edit->CaretY()));
  EXPECT_EQ(edit->GetSelStart(), 0);
}

TEST(EditModel, LinesAreAssignedAsText) {
  auto edit = MakeEdit();
  edit->SetMultiline(true);
  TElWideStringList list;
  list.Add(u"one");
  list.Add(u"two");
  edit->SetLines(list);
  EXPECT_EQ(edit->GetText(), u"one\r\ntwo");
}

TEST(EditModel, CharCaseForcesAssignedAndTypedText) {
  struct Case {
    TElEditCharCase charCase;
    const char16_t* assigned;
    char16_t typed;
    const char16_t* result;
  };
  const Case cases[] = {
      {eecUpperCase, u"c:\\program files", u'a', u"C:\\PROGRAM FILESA"},
      {eecLowerCase, u"C:\\Program Files", u'A', u"c:\\program filesa"},
      {eecNormal, u"C:\\Mixed", u'a', u"C:\\Mixeda"},
  };
  for (const Case& c : cases) {
    auto edit = MakeEdit();
    edit->SetCharCase(c.charCase);
    edit->SetText(c.assigned);
    edit->SetSelStart(100);
    edit->KeyPress(c.typed);
    EXPECT_EQ(edit->GetText(), c.result);
  }
  auto edit = MakeEdit();
  edit->SetText(u"Mixed");
  edit->SetCharCase(eecUpperCase);
  EXPECT_EQ(edit->GetText(), u"MIXED");
  edit->SetCharCase(eecNormal);
  EXPECT_EQ(edit->GetText(), u"MIXED");
}

TEST(EditModel, MaxLengthCutsLongerTextWithoutSplittingAPair) {
  struct Case {
    const char16_t* text;
    int maxLength;
    const char16_t* result;
  };
  const Case cases[] = {
      {u"abcdef", 3, u"abc"},
      {u"ab\U0001F600c", 3, u"ab"},
      {u"ab\U0001F600c", 4, u"ab\U0001F600"},
      {u"ab", 5, u"ab"},
      {u"abcdef", 0, u"abcdef"},
  };
  for (const Case& c : cases) {
    auto edit = MakeEdit();
    edit->SetText(c.text);
    edit->SetMaxLength(c.maxLength);
    EXPECT_EQ(edit->GetText(), c.result) << Shown(c.text) << " " << c.maxLength;
  }
}

TEST(EditModel, EndOfAThreeCharacterPathReadsAsSelStartThree) {
  auto edit = MakeEdit();
  edit->SetText(u"C:\\");
  edit->SetCaretXEnd(3);
  EXPECT_EQ(edit->GetSelStart(), 3);
  EXPECT_EQ(edit->CaretX(), 3);
}

TEST(EditModel, CaretMovesAcrossWrappedRowsAndParagraphs) {
  struct Case {
    const char16_t* text;
    TElEditPoint from;
    int x;
    bool endKey;
    TElEditPoint to;
  };
  // "hello world again" wraps into "hello ", "world ", "again".
  const Case cases[] = {
      {u"hello world again", {6, 0}, 7, false, {1, 1}},   // the row's end is the next row's start
      {u"hello world again", {0, 1}, -1, false, {5, 0}},  // and back one character
      {u"hello world again", {6, 0}, 7, true, {6, 0}},    // End stays on its row
      {u"ab\r\ncd", {2, 0}, 3, false, {0, 1}},
      {u"ab\r\ncd", {0, 1}, -1, false, {2, 0}},
      {u"ab\r\ncd", {2, 1}, 5, false, {2, 1}},            // last row: clamped
      {u"ab\r\ncd", {0, 0}, -1, false, {0, 0}},           // first row: 0
  };
  for (const Case& c : cases) {
    auto edit = MakeMemo(true);
    edit->SetText(c.text);
    edit->SetCaretXY(c.from);
    if (c.endKey)
      edit->SetCaretXEnd(c.x);
    else
      edit->SetCaretX(c.x);
    EXPECT_EQ(edit->GetCaretXY(), c.to) << Shown(c.text) << " from " << c.from.X << "," << c.from.Y << " to x "
                                        << c.x;
  }
}

TEST(EditModel, CaretNeverStopsInsideASurrogatePair) {
  struct Case {
    const char16_t* text;
    int from;
    int x;
    int to;
  };
  const Case cases[] = {
      {u"a\U0001F600b", 1, 2, 3},
      {u"a\U0001F600b", 3, 2, 1},
      {u"a\U0001F600b", 0, 2, 3},
  };
  for (const Case& c : cases) {
    auto edit = MakeEdit();
    edit->SetText(c.text);
    edit->SetCaretX(c.from);
    edit->SetCaretX(c.x);
    EXPECT_EQ(edit->CaretX(), c.to) << c.from << " -> " << c.x;
  }
  auto memo = MakeMemo(true);
  memo->SetText(u"abcdefghi\U0001F600xyz");  // rows "abcdefghi", pair + "xyz"
  memo->SetCaretXY({9, 0});
  memo->SetCaretX(10);
  EXPECT_EQ(memo->GetCaretXY(), (TElEditPoint{2, 1}));
  memo->SetCaretX(1);
  EXPECT_EQ(memo->GetCaretXY(), (TElEditPoint{0, 1}));
  auto edit = MakeEdit();
  edit->SetText(u"a\U0001F600b");
  edit->SetSelStart(2);
  EXPECT_EQ(edit->GetSelStart(), 1);
}

TEST(EditModel, ACaretPastEitherEdgeScrollsItToThreeQuartersOfTheWidth) {
  // 200 pixels less the margins: 198 wide, 24 characters fit; three quarters
  // is 147 pixels, 18 characters.
  struct Case {
    int first;
    int second;
    int leftChar;
  };
  const Case cases[] = {
      {24, 24, 0},   // at the right edge: no scroll
      {25, 25, 7},   // one past it
      {60, 60, 42},  // the end of the text
      {60, 43, 42},  // back, still inside the view
      {60, 42, 24},  // reaching the left edge
      {60, 10, 0},   // beyond it: not below 0
  };
  for (const Case& c : cases) {
    auto edit = MakeEdit();
    edit->SetText(WideString(60, u'x'));
    edit->SetCaretX(c.first);
    edit->SetCaretX(c.second);
    EXPECT_EQ(edit->LeftChar(), c.leftChar) << c.first << " then " << c.second;
    if (c.second == c.first && c.leftChar > 0) {
      EXPECT_EQ(edit->PosFromCaret(c.second, 0).X, 1 + 18 * 8);
    }
  }
}

TEST(EditModel, WordWrapKeepsLeftCharAtZero) {
  auto edit = MakeMemo(true);
  edit->SetText(WideString(60, u'x'));
  edit->SetCaretXY({5, 3});
  edit->SetLeftChar(4);
  EXPECT_EQ(edit->LeftChar(), 0);
}

TEST(EditModel, TopLineAndLeftCharAreClampedToTheirRanges) {
  auto edit = MakeMemo(false);
  edit->SetEditRect({0, 0, 82, 40});  // (40 - 1) div 13: 3 visible rows
  ASSERT_EQ(edit->VisibleRows(), 3);
  edit->SetText(u"0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\nlongest row");
  struct Case {
    int topLine;
    int result;
  };
  for (const Case c : {Case{-5, 0}, Case{4, 4}, Case{8, 8}, Case{9, 8}, Case{100, 8}}) {
    edit->SetTopLine(c.topLine);
    EXPECT_EQ(edit->TopLine(), c.result) << c.topLine;
  }
  edit->SetLeftChar(50);
  EXPECT_EQ(edit->LeftChar(), 11);
  edit->SetLeftChar(-1);
  EXPECT_EQ(edit->LeftChar(), 0);
  edit->SetCaretY(1);
  EXPECT_EQ(edit->TopLine(), 1);
  edit->SetCaretY(10);
  EXPECT_EQ(edit->TopLine(), 8);
  edit->Scroll(esdPageUp);
  EXPECT_EQ(edit->TopLine(), 5);
  edit->Scroll(esdLineUp);
  EXPECT_EQ(edit->TopLine(), 4);
  edit->Scroll(esdLineDown);
  edit->Scroll(esdPageDown);
  EXPECT_EQ(edit->TopLine(), 8);
}

TEST(EditModel, PosFromCaretAndCaretFromPos) {
  auto edit = MakeMemo(false);
  edit->SetText(u"a\tb\r\ncd");
  // Tabs are four spaces: "a" 8 px, tab 32 px.
  EXPECT_EQ(edit->PosFromCaret(0, 0).X, 1);
  EXPECT_EQ(edit->PosFromCaret(2, 0).X, 1 + 40);
  EXPECT_EQ(edit->PosFromCaret(1, 1).Y, 13 + 1);
  struct Case {
    int x;
    int y;
    TElEditPoint caret;
  };
  const Case cases[] = {
      {4, 0, {0, 0}}, {5, 0, {1, 0}}, {24, 0, {1, 0}}, {25, 0, {2, 0}}, {500, 0, {3, 0}}, {5, 14, {1, 1}}, {0, 500, {0, 1}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(edit->CaretFromPos({c.x, c.y}), c.caret) << c.x << "," << c.y;
  try {
    edit->PosFromCaret(0, 5);
    FAIL() << "no exception";
  } catch (const EElEditorError& e) {
    EXPECT_STREQ(e.what(), "Invalid Y position (5)");
  }
}

TEST(EditModel, PasswordMaskingMeasuresTheMaskAndRefusesReading) {
  TRecordingEditHost host;
  auto edit = MakeEdit(&host);
  edit->SetText(u"secret");
  edit->SetPasswordChar(u"*x");
  EXPECT_EQ(edit->PasswordChar(), u"*");
  EXPECT_EQ(edit->Painter().Displayed(u"a\tb"), u"***");
  EXPECT_FALSE(edit->WmGetTextAllowed());
  WideString line;
  EXPECT_FALSE(edit->EmGetLine(0, line));
  edit->SelectAll();
  edit->CopyToClipboard();
  edit->CutToClipboard();
  EXPECT_EQ(host.ClipboardWrites, 0);
  EXPECT_EQ(edit->GetText(), u"secret");
  edit->SetPasswordChar(u"");
  EXPECT_TRUE(edit->EmGetLine(0, line));
  EXPECT_EQ(line, u"secret");
}

TEST(EditModel, WordBoundariesSeeOnlySpacesAndTabs) {
  // An 18-character path whose only space is at column 10.
  const WideString path = u"C:\\folder\\ name\\x1";
  ASSERT_EQ(path.size(), 18u);
  struct Case {
    int column;
    int next;
    int previousFromLeft;  // GetPrevWord of the column left of it
  };
  const Case cases[] = {
      {0, 11, 0}, {5, 11, 0}, {10, 11, 0}, {11, 18, 0}, {12, 18, 11}, {17, 18, 11}, {18, 18, 11},
  };
  auto edit = MakeEdit();
  edit->SetText(path);
  for (const Case& c : cases) {
    EXPECT_EQ(edit->GetNextWord({c.column, 0}).X, c.next) << "next from " << c.column;
    EXPECT_EQ(edit->GetPrevWord({c.column - 1, 0}).X, c.previousFromLeft) << "previous from " << c.column;
  }
  auto memo = MakeMemo(false);
  memo->SetText(u"ab cd\r\nef");
  EXPECT_EQ(memo->GetNextWord({5, 0}), (TElEditPoint{0, 1}));
  EXPECT_EQ(memo->GetNextWord({2, 1}), (TElEditPoint{2, 1}));
  EXPECT_EQ(memo->GetPrevWord({-1, 1}), (TElEditPoint{5, 0}));
  EXPECT_EQ(memo->GetPrevWord({-1, 0}), (TElEditPoint{0, 0}));
  EXPECT_EQ(memo->GetPrevWord({2, 0}), (TElEditPoint{0, 0}));
}

TEST(EditModel, SelectionByIndexAndTheMessageTable) {
  auto edit = MakeMemo(false);
  edit->SetText(u"abc\r\ndefg");
  int start = -1;
  int end = -1;
  edit->EmSetSel(7, 2);
  EXPECT_EQ(edit->EmGetSel(&start, &end), (2u | (7u << 16)));
  EXPECT_EQ(start, 2);
  EXPECT_EQ(end, 7);
  EXPECT_EQ(edit->GetCaretXY(), (TElEditPoint{2, 0}));
  EXPECT_EQ(edit->GetSelectedText(), u"c\r\nde");
  edit->SetSelStart(1);
  edit->SetSelLength(2);
  EXPECT_EQ(edit->GetSelStart(), 1);
  EXPECT_EQ(edit->GetSelLength(), 2);
  edit->EmSetSel(-1, 0);
  EXPECT_EQ(edit->GetSelLength(), 0);
  edit->EmSetSel(0, -1);
  EXPECT_EQ(edit->GetSelectedText(), u"abc\r\ndefg");
  EXPECT_EQ(edit->GetCaretXY(), (TElEditPoint{4, 1}));
  // An index inside a line break stands for the end of its paragraph.
  EXPECT_EQ(edit->CaretFromChar(4), (TElEditPoint{3, 0}));
  EXPECT_EQ(edit->CaretFromChar(99), (TElEditPoint{4, 1}));
  EXPECT_EQ(edit->CharFromCaret(2, 1), 7);
  EXPECT_EQ(edit->EmGetLineCount(), 2);
  EXPECT_EQ(edit->EmLineIndex(1), 5);
  EXPECT_EQ(edit->EmLineIndex(2), -1);
  EXPECT_EQ(edit->EmLineFromChar(6), 1);
  EXPECT_EQ(edit->EmLineFromChar(3), 0);
  EXPECT_EQ(edit->EmPosFromChar(6), (1u + 8u) | ((13u + 1u) << 16));
  edit->SetTopLine(0);
  EXPECT_EQ(edit->EmGetFirstVisibleLine(), 0);
}

TEST(EditModel, SelectAllOnAnEmptyEditSelectsNothing) {
  auto edit = MakeEdit();
  TEventCounts events;
  events.Attach(*edit);
  edit->SelectAll();
  EXPECT_FALSE(edit->HasSelection());
  EXPECT_EQ(edit->GetCaretXY(), (TElEditPoint{0, 0}));
  EXPECT_EQ(events.SelectionChanges, 1);
}

TEST(EditModel, ConvertToCRLFCompletesLoneCarriageReturns) {
  struct Case {
    const char16_t* in;
    const char16_t* out;
  };
  const Case cases[] = {{u"a\rb", u"a\r\nb"}, {u"a\r\nb", u"a\r\nb"}, {u"a\r", u"a\r\n"},
                        {u"\r\r", u"\r\n\r\n"}, {u"a\nb", u"a\nb"},   {u"", u""}};
  for (const Case& c : cases) EXPECT_EQ(TElEditModel::ConvertToCRLF(c.in), c.out) << Shown(c.in);
}

TEST(EditModel, AlignBottomPlacesTheSingleRowAndMultilineSwitchesItOff) {
  auto edit = MakeEdit();
  edit->SetEditRect({0, 0, 100, 21});
  edit->SetAlignBottom(false);
  EXPECT_EQ(edit->TopMargin(), 1);
  edit->SetTopMargin(3);
  EXPECT_EQ(edit->TopMargin(), 3);
  edit->SetAlignBottom(true);
  EXPECT_EQ(edit->TopMargin(), 21 - 13 - 2);
  edit->SetTopMargin(3);  // ignored while AlignBottom is on
  EXPECT_EQ(edit->TopMargin(), 6);
  edit->SetEditRect({0, 0, 100, 30});
  EXPECT_EQ(edit->TopMargin(), 0);
  edit->SetMultiline(true);
  EXPECT_FALSE(edit->AlignBottom());
  EXPECT_EQ(edit->TopMargin(), 1);
}

TEST(EditModel, AdjustedHeightAddsTheBorder) {
  EXPECT_EQ(TElEditModel::AdjustedHeight(13, true, true, 2, 1), 13 + 8);
  EXPECT_EQ(TElEditModel::AdjustedHeight(13, true, false, 2, 1), 13 + 6);
  EXPECT_EQ(TElEditModel::AdjustedHeight(13, false, true, 2, 1), 13);
}

TEST(EditModel, MultilineChangeResplitsTheText) {
  auto edit = MakeMemo(false);
  edit->SetText(u"a\r\nb");
  edit->SetMultiline(false);
  EXPECT_EQ(edit->Lines().GetCount(), 1);
  EXPECT_EQ(edit->GetText(), u"a\r\nb");
  edit->SetMultiline(true);
  EXPECT_EQ(edit->Lines().GetCount(), 2);
}

TEST(EditModel, ReWrappingKeepsCaretAndSelectionOnTheirText) {
  auto edit = MakeMemo(false);
  edit->SetText(u"hello world again");
  edit->EmSetSel(14, 8);
  edit->SetWordWrap(true);
  EXPECT_EQ(edit->GetSelStart(), 8);
  EXPECT_EQ(edit->GetSelLength(), 6);
  EXPECT_EQ(edit->GetCaretXY(), (TElEditPoint{2, 1}));
  edit->SetEditRect({0, 0, 202, 100});
  EXPECT_EQ(edit->GetCaretXY(), (TElEditPoint{8, 0}));
  EXPECT_EQ(edit->GetSelectedText(), u"rld ag");
}

}  // namespace
