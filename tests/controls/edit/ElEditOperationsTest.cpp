// The edit's text-changing operations: typing, deleting, the clipboard,
// replacing the selection, undo, and which of them notify.
#include <gtest/gtest.h>

#include <functional>

#include "tests/controls/edit/ElEditTestHost.h"

namespace {

void TypeText(TElEditModel& edit, const WideString& text) {
  for (char16_t c : text) edit.KeyPress(c);
}

TEST(EditOperations, MaxLengthLimitsTypingAndPasting) {
  struct Case {
    const char16_t* text;
    int maxLength;
    int selStart;
    int selLength;
    const char16_t* typed;      // typed one unit at a time, or a pair as pending text
    const char16_t* clipboard;  // pasted when not null
    const char16_t* result;
  };
  const Case cases[] = {
      {u"abc", 3, 3, 0, u"d", nullptr, u"abc"},
      {u"abc", 3, 1, 1, u"X", nullptr, u"aXc"},
      {u"ab", 5, 2, 0, nullptr, u"123456", u"ab123"},
      {u"abcd", 5, 1, 2, nullptr, u"123456", u"a123d"},
      {u"ab", 3, 2, 0, u"\U0001F600", nullptr, u"ab"},
      {u"ab", 4, 2, 0, u"\U0001F600", nullptr, u"ab\U0001F600"},
      {u"ab", 3, 2, 0, nullptr, u"\U0001F600\U0001F600", u"ab"},
      {u"ab", 4, 2, 0, nullptr, u"\U0001F600\U0001F600", u"ab\U0001F600"},
  };
  for (const Case& c : cases) {
    TRecordingEditHost host;
    auto edit = MakeEdit(&host);
    edit->SetText(c.text);
    edit->SetMaxLength(c.maxLength);
    edit->SetSelStart(c.selStart);
    edit->SetSelLength(c.selLength);
    if (c.clipboard != nullptr) {
      host.ClipboardSetText(c.clipboard);
      edit->PasteFromClipboard();
    } else if (WideString(c.typed).size() == 2) {
      edit->SetPendingWideText(c.typed);
      edit->KeyPress(u'\u00ff');
    } else {
      TypeText(*edit, c.typed);
    }
    EXPECT_EQ(edit->GetText(), c.result) << Shown(c.text) << " max " << c.maxLength;
  }
}

TEST(EditOperations, TypedCharactersAreUndoneOneGroupAtATime) {
  auto edit = MakeEdit();
  TypeText(*edit, u"ab");
  EXPECT_TRUE(edit->Modified());
  edit->Undo();
  EXPECT_EQ(edit->GetText(), u"a");
  EXPECT_TRUE(edit->Modified());
  edit->Undo();
  EXPECT_EQ(edit->GetText(), u"");
  EXPECT_FALSE(edit->Modified());
  edit->Undo();
  EXPECT_EQ(edit->GetText(), u"");
}

TEST(EditOperations, UndoOfTypingOverASelectionReselectsIt) {
  for (bool caretAtStart : {true, false}) {
    auto edit = MakeEdit();
    edit->SetText(u"abcd");
    if (caretAtStart) {
      edit->EmSetSel(3, 1);  // caret at 1
    } else {
      edit->SetSelStart(1);
      edit->SetSelLength(2);  // caret at 3
    }
    const TElEditPoint caret = edit->GetCaretXY();
    edit->KeyPress(u'x');
    EXPECT_EQ(edit->GetText(), u"axd");
    edit->Undo();
    EXPECT_EQ(edit->GetText(), u"abcd");
    EXPECT_EQ(edit->GetSelStart(), 1);
    EXPECT_EQ(edit->GetSelLength(), 2);
    EXPECT_EQ(edit->GetCaretXY(), caret);
  }
}

TEST(EditOperations, DeletingAtTheEndsOfTheTextChangesNothing) {
  auto edit = MakeMemo(false);
  edit->SetText(u"ab\r\ncd");
  TEventCounts events;
  events.Attach(*edit);
  edit->SetCaretXY({0, 0});
  edit->Backspace();
  edit->BackspaceWord();
  edit->SetCaretXY({2, 1});
  edit->DeleteChar();
  edit->DeleteWord();
  EXPECT_EQ(edit->GetText(), u"ab\r\ncd");
  EXPECT_FALSE(edit->GetCanUndo());
  EXPECT_FALSE(edit->Modified());
  EXPECT_EQ(events.Changes, 0);
}

TEST(EditOperations, BackspaceAndDeleteRemoveOneCharacterOrBreak) {
  struct Case {
    const char16_t* text;
    TElEditPoint caret;
    bool backspace;
    const char16_t* result;
    TElEditPoint after;
    const char16_t* recorded;
  };
  const Case cases[] = {
      {u"abc", {2, 0}, true, u"ac", {1, 0}, u"b"},
      {u"abc", {1, 0}, false, u"ac", {1, 0}, u"b"},
      {u"ab\r\ncd", {0, 1}, true, u"abcd", {2, 0}, u"\r\n"},
      {u"ab\r\ncd", {2, 0}, false, u"abcd", {2, 0}, u"\r\n"},
      {u"a\U0001F600b", {3, 0}, true, u"ab", {1, 0}, u"\U0001F600"},
      {u"a\U0001F600b", {1, 0}, false, u"ab", {1, 0}, u"\U0001F600"},
      // Column 0 of a wrapped continuation row: the previous row's last character.
      {u"hello world again", {0, 1}, true, u"helloworld again", {5, 0}, u" "},
  };
  for (const Case& c : cases) {
    auto edit = MakeMemo(true);
    edit->SetText(c.text);
    edit->SetCaretXY(c.caret);
    if (c.backspace)
      edit->Backspace();
    else
      edit->DeleteChar();
    EXPECT_EQ(edit->GetText(), c.result) << Shown(c.text);
    EXPECT_EQ(edit->GetCaretXY(), c.after) << Shown(c.text);
    ASSERT_NE(edit->UndoList().PeekItem(), nullptr);
    EXPECT_EQ(edit->UndoList().PeekItem()->FKind, c.backspace ? atBackSpace : atDelete);
    EXPECT_EQ(edit->UndoList().PeekItem()->FText, c.recorded);
    edit->Undo();
    EXPECT_EQ(edit->GetText(), c.text) << "undo of " << Shown(c.text);
    // The same text position; a row boundary may show it on the earlier row.
    EXPECT_EQ(edit->GetSelStart(), edit->CharFromCaret(c.caret.X, c.caret.Y)) << "undo of " << Shown(c.text);
  }
}

TEST(EditOperations, WordFormsDeleteToTheWordBoundary) {
  struct Case {
    const char16_t* text;
    int caret;
    bool back;
    const char16_t* result;
  };
  const Case cases[] = {
      {u"C:\\folder\\ name\\x1", 18, true, u"C:\\folder\\ "},
      {u"C:\\folder\\ name\\x1", 0, false, u"name\\x1"},
      {u"one two", 4, true, u"two"},
      {u"ab\r\ncd", 4, true, u"abcd"},
      {u"ab\r\ncd", 2, false, u"abcd"},
  };
  for (const Case& c : cases) {
    auto edit = MakeMemo(false);
    edit->SetText(c.text);
    edit->SetSelStart(c.caret);
    if (c.back)
      edit->BackspaceWord();
    else
      edit->DeleteWord();
    EXPECT_EQ(edit->GetText(), c.result) << Shown(c.text) << " at " << c.caret;
    edit->Undo();
    EXPECT_EQ(edit->GetText(), c.text);
  }
}

TEST(EditOperations, DeleteJoinsParagraphsAndOneUndoSplitsThem) {
  auto edit = MakeMemo(false);
  edit->SetText(u"first\r\nsecond");
  edit->SetCaretXY({5, 0});
  edit->DeleteChar();
  EXPECT_EQ(edit->GetText(), u"firstsecond");
  EXPECT_EQ(edit->Lines().GetCount(), 1);
  edit->Undo();
  EXPECT_EQ(edit->GetText(), u"first\r\nsecond");
  EXPECT_EQ(edit->Lines().GetCount(), 2);
}

TEST(EditOperations, PastingIntoASingleLineEditKeepsTheFirstLine) {
  for (const char16_t* clip : {u"C:\\path\r\n", u"C:\\path\r\nsecond line", u"C:\\path\nx"}) {
    TRecordingEditHost host;
    auto edit = MakeEdit(&host);
    host.ClipboardSetText(clip);
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->GetText(), u"C:\\path") << Shown(clip);
    EXPECT_EQ(edit->GetSelStart(), 7);
  }
}

TEST(EditOperations, PasteStopsAtAZeroAndLetsTheHandlerChangeTheText) {
  TRecordingEditHost host;
  auto edit = MakeEdit(&host);
  edit->SetCharCase(eecUpperCase);
  WideString seen;
  edit->OnPasteClipboardText = [&](TObject*, WideString& text) {
    seen = text;
    text += u"!";
  };
  host.ClipboardSetText(WideString(u"ab") + char16_t(0) + u"cd");
  edit->PasteFromClipboard();
  EXPECT_EQ(seen, u"AB");
  EXPECT_EQ(edit->GetText(), u"AB!");
  edit->Undo();
  EXPECT_EQ(edit->GetText(), u"");
}

TEST(EditOperations, KeyPressExMayChangeOrDropPendingText) {
  auto edit = MakeEdit();
  edit->OnKeyPressEx = [](TObject*, WideString& key) { key = key == u"\u00e9" ? u"e\u0301" : u""; };
  edit->SetPendingWideText(u"\u00e9");
  edit->KeyPress(u'\u00e9');
  EXPECT_EQ(edit->GetText(), u"e\u0301");
  edit->SetPendingWideText(u"x");
  edit->KeyPress(u'x');
  EXPECT_EQ(edit->GetText(), u"e\u0301");
  // Control characters are keys, not text.
  for (char16_t c : {char16_t(8), char16_t(9), char16_t(13), char16_t(27), char16_t(127), char16_t(0), char16_t(1)})
    edit->KeyPress(c);
  EXPECT_EQ(edit->GetText(), u"e\u0301");
}

TEST(EditOperations, CutCopyAndSetSelText) {
  TRecordingEditHost host;
  auto edit = MakeMemo(false, &host);
  edit->SetText(u"one\r\ntwo");
  edit->EmSetSel(2, 6);
  edit->CopyToClipboard();
  EXPECT_EQ(host.Clipboard, u"e\r\nt");
  edit->CutToClipboard();
  EXPECT_EQ(edit->GetText(), u"onwo");
  edit->SetSelText(u"X\r\nY");
  EXPECT_EQ(edit->GetText(), u"onX\r\nYwo");
  EXPECT_EQ(edit->GetSelectedText(), u"X\r\nY");
  edit->WmClear();
  EXPECT_EQ(edit->GetText(), u"onwo");
  // Each step can be undone, back to the assigned text.
  while (edit->GetCanUndo()) edit->Undo();
  EXPECT_EQ(edit->GetText(), u"one\r\ntwo");
}

TEST(EditOperations, EnterSplitsTheParagraphAndIsUndoneAlone) {
  auto edit = MakeMemo(true);
  edit->SetText(u"hello world again");
  edit->SetCaretXY({0, 1});
  edit->InsertLineBreak();
  EXPECT_EQ(edit->GetText(), u"hello \r\nworld again");
  EXPECT_EQ(edit->GetCaretXY(), (TElEditPoint{0, 1}));
  edit->Undo();
  EXPECT_EQ(edit->GetText(), u"hello world again");
  auto single = MakeEdit();
  single->InsertLineBreak();
  EXPECT_EQ(single->GetText(), u"");
}

TEST(EditOperations, ReadOnlyRefusesEveryChange) {
  TRecordingEditHost host;
  auto edit = MakeEdit(&host);
  TypeText(*edit, u"abc");
  edit->SetReadOnly(true);
  edit->SelectAll();
  host.ClipboardSetText(u"zzz");
  TEventCounts events;
  events.Attach(*edit);
  const std::function<void()> operations[] = {
      [&] { edit->KeyPress(u'x'); },  [&] { edit->InsertTab(); },       [&] { edit->Backspace(); },
      [&] { edit->DeleteChar(); },    [&] { edit->BackspaceWord(); },   [&] { edit->DeleteWord(); },
      [&] { edit->PasteFromClipboard(); }, [&] { edit->CutToClipboard(); }, [&] { edit->Undo(); },
      [&] { edit->UserUndo(); },      [&] { edit->UserDeleteSelection(); },
  };
  for (const auto& operation : operations) operation();
  EXPECT_EQ(edit->GetText(), u"abc");
  EXPECT_EQ(events.Changes, 0);
  edit->CopyToClipboard();
  EXPECT_EQ(host.Clipboard, u"abc");
}

TEST(EditOperations, NotifyUserChangeOnlyDecidesWhichPathsCallOnChange) {
  struct Case {
    const char* name;
    std::function<void(TElEditModel&)> operation;
    int changesWhenTrue;
    int changesWhenFalse;
  };
  const Case cases[] = {
      {"typing", [](TElEditModel& e) { e.KeyPress(u'x'); }, 1, 1},
      {"tab", [](TElEditModel& e) { e.InsertTab(); }, 1, 1},
      {"backspace", [](TElEditModel& e) { e.Backspace(); }, 1, 1},
      {"delete", [](TElEditModel& e) { e.DeleteChar(); }, 1, 1},
      {"cut", [](TElEditModel& e) { e.CutToClipboard(); }, 0, 1},
      {"keyboard cut", [](TElEditModel& e) { e.UserCut(); }, 1, 1},
      {"paste", [](TElEditModel& e) { e.PasteFromClipboard(); }, 0, 1},
      {"keyboard paste", [](TElEditModel& e) { e.UserPaste(); }, 1, 1},
      {"undo", [](TElEditModel& e) { e.Undo(); }, 0, 1},
      {"keyboard undo", [](TElEditModel& e) { e.UserUndo(); }, 1, 1},
      {"set sel text", [](TElEditModel& e) { e.SetSelText(u"y"); }, 0, 1},
  };
  for (const Case& c : cases) {
    for (bool notifyUserChangeOnly : {true, false}) {
      TRecordingEditHost host;
      host.ClipboardSetText(u"clip");
      auto edit = MakeEdit(&host);
      TypeText(*edit, u"abc");
      edit->EmSetSel(1, 2);
      edit->SetNotifyUserChangeOnly(notifyUserChangeOnly);
      TEventCounts events;
      events.Attach(*edit);
      c.operation(*edit);
      EXPECT_EQ(events.Changes, notifyUserChangeOnly ? c.changesWhenTrue : c.changesWhenFalse)
          << c.name << " with NotifyUserChangeOnly " << notifyUserChangeOnly;
    }
  }
}

TEST(EditOperations, UndoStopsWhenTheLimitDroppedAGroupsOpeningBreak) {
  auto edit = MakeEdit();
  edit->SetMaxUndoLevel(2);
  TypeText(*edit, u"a");  // break, insert, break: the first break is dropped
  edit->Undo();
  EXPECT_EQ(edit->GetText(), u"");
  EXPECT_FALSE(edit->GetCanUndo());
  edit->Undo();
  EXPECT_EQ(edit->GetText(), u"");
}

TEST(EditOperations, UndoStillFitsTheTextAfterTheWidthChanged) {
  auto edit = MakeMemo(true);
  edit->SetText(u"hello world again and again");
  edit->SetCaretXY({3, 2});
  TypeText(*edit, u"xyz ");
  edit->SetEditRect({0, 0, 300, 100});
  edit->SetWordWrap(false);
  while (edit->GetCanUndo()) edit->Undo();
  EXPECT_EQ(edit->GetText(), u"hello world again and again");
}

TEST(EditOperations, DeleteSelectionRecordsAndCollapses) {
  auto edit = MakeMemo(false);
  edit->SetText(u"ab\r\ncd\r\nef");
  edit->EmSetSel(1, 9);
  edit->DeleteSelection();
  EXPECT_EQ(edit->GetText(), u"af");
  EXPECT_FALSE(edit->HasSelection());
  EXPECT_EQ(edit->GetCaretXY(), (TElEditPoint{1, 0}));
  ASSERT_NE(edit->UndoList().PeekItem(), nullptr);
  EXPECT_EQ(edit->UndoList().PeekItem()->FKind, atDeleteSel);
  EXPECT_EQ(edit->UndoList().PeekItem()->FText, u"b\r\ncd\r\ne");
  edit->Undo();
  EXPECT_EQ(edit->GetText(), u"ab\r\ncd\r\nef");
  EXPECT_EQ(edit->GetSelectedText(), u"b\r\ncd\r\ne");
}

}  // namespace
