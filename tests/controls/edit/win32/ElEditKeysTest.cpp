// The edit's keys through real messages: every command key against the text,
// caret and selection it must leave, in a single-line and a multi-line edit,
// read-only, while the mouse is selecting, and the dialog keys it claims.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "EditInputSupport.h"

namespace {

struct TKeyCase {
  const char* name;
  int selStart;  // EM_SETSEL before the key: anchor, then caret
  int selEnd;
  WORD key;
  TShiftState shift;
  const wchar_t* text;  // afterwards
  int start;            // EM_GETSEL afterwards
  int end;
};

constexpr wchar_t kLine[] = L"abc def ghi";

// In "abc def ghi": words start at 0, 4 and 8.
const TKeyCase kSingleLine[] = {
    {"Left", 5, 5, VK_LEFT, 0, kLine, 4, 4},
    {"Right", 5, 5, VK_RIGHT, 0, kLine, 6, 6},
    // EM_SETSEL leaves the caret at the smaller index, the anchor at the larger.
    {"Right from a selection goes right of the caret", 2, 5, VK_RIGHT, 0, kLine, 3, 3},
    {"Left from a selection goes left of the caret", 2, 5, VK_LEFT, 0, kLine, 1, 1},
    {"Up acts as Left", 5, 5, VK_UP, 0, kLine, 4, 4},
    {"Down acts as Right", 5, 5, VK_DOWN, 0, kLine, 6, 6},
    {"Page Up acts as Home", 5, 5, VK_PRIOR, 0, kLine, 0, 0},
    {"Page Down acts as End", 5, 5, VK_NEXT, 0, kLine, 11, 11},
    {"Home", 5, 5, VK_HOME, 0, kLine, 0, 0},
    {"End", 5, 5, VK_END, 0, kLine, 11, 11},
    {"Left at the start stays", 0, 0, VK_LEFT, 0, kLine, 0, 0},
    {"Right at the end stays", 11, 11, VK_RIGHT, 0, kLine, 11, 11},
    {"Shift+Left", 5, 5, VK_LEFT, ssShift, kLine, 4, 5},
    {"Shift+Right shrinks towards the anchor", 2, 5, VK_RIGHT, ssShift, kLine, 3, 5},
    {"Shift+Left extends from the anchor", 2, 5, VK_LEFT, ssShift, kLine, 1, 5},
    {"Shift+Home", 5, 5, VK_HOME, ssShift, kLine, 0, 5},
    {"Shift+End", 5, 5, VK_END, ssShift, kLine, 5, 11},
    {"Ctrl+Left inside a word", 5, 5, VK_LEFT, ssCtrl, kLine, 4, 4},
    {"Ctrl+Left at a word start", 4, 4, VK_LEFT, ssCtrl, kLine, 0, 0},
    {"Ctrl+Right", 0, 0, VK_RIGHT, ssCtrl, kLine, 4, 4},
    {"Ctrl+Right inside a word", 5, 5, VK_RIGHT, ssCtrl, kLine, 8, 8},
    {"Ctrl+Right drops the selection", 0, 2, VK_RIGHT, ssCtrl, kLine, 4, 4},
    {"Ctrl+Shift+Right", 0, 0, VK_RIGHT, ssCtrl | ssShift, kLine, 0, 4},
    {"Ctrl+Shift+Left", 11, 11, VK_LEFT, ssCtrl | ssShift, kLine, 8, 11},
    {"Ctrl+Home", 5, 5, VK_HOME, ssCtrl, kLine, 0, 0},
    {"Ctrl+End", 5, 5, VK_END, ssCtrl, kLine, 11, 11},
    {"Ctrl+Shift+Home", 5, 5, VK_HOME, ssCtrl | ssShift, kLine, 0, 5},
    {"Ctrl+Shift+End", 5, 5, VK_END, ssCtrl | ssShift, kLine, 5, 11},
    {"Backspace", 5, 5, VK_BACK, 0, L"abc ef ghi", 4, 4},
    {"Shift+Backspace", 5, 5, VK_BACK, ssShift, L"abc ef ghi", 4, 4},
    {"Backspace at the start", 0, 0, VK_BACK, 0, kLine, 0, 0},
    {"Backspace removes the selection", 4, 8, VK_BACK, 0, L"abc ghi", 4, 4},
    {"Delete", 5, 5, VK_DELETE, 0, L"abc df ghi", 5, 5},
    {"Delete at the end", 11, 11, VK_DELETE, 0, kLine, 11, 11},
    {"Delete removes the selection", 4, 8, VK_DELETE, 0, L"abc ghi", 4, 4},
    {"Ctrl+Backspace after a word", 7, 7, VK_BACK, ssCtrl, L"abc  ghi", 4, 4},
    {"Ctrl+Delete at a word", 4, 4, VK_DELETE, ssCtrl, L"abc ghi", 4, 4},
    {"Ctrl+A", 5, 5, 'A', ssCtrl, kLine, 0, 11},
    {"Escape", 2, 5, VK_ESCAPE, 0, kLine, 2, 5},
};

class ElEditKeys : public ::testing::TestWithParam<TKeyCase> {};

TEST_P(ElEditKeys, SingleLine) {
  const TKeyCase& c = GetParam();
  TEditFixture f;
  f.edit->SetText(Wide(kLine));
  f.edit->SetFocus();
  f.Send(EM_SETSEL, static_cast<WPARAM>(c.selStart), c.selEnd);
  PressKey(f, c.key, c.shift);
  EXPECT_EQ(Plain(f.edit->Text()), c.text);
  EXPECT_EQ(SelStart(f), c.start);
  EXPECT_EQ(SelEnd(f), c.end);
}

INSTANTIATE_TEST_SUITE_P(Table, ElEditKeys, ::testing::ValuesIn(kSingleLine),
                         [](const ::testing::TestParamInfo<TKeyCase>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p != 0; ++p)
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name;
                         });

// Three paragraphs of four rows' worth in a three-row edit.
TEST(ElEditKeysMultiline, RowKeysPagesAndEnter) {
  TEditFixture f(true, ssNone, 3);
  TElEditModel& model = f.edit->Model();
  f.edit->SetText(u"abcd\r\nef\r\nghij\r\nklm\r\nnop");
  f.edit->SetFocus();
  f.Send(EM_SETSEL, 3, 3);
  PressKey(f, VK_DOWN);
  // Row 1 is shorter: the caret stops at its end.
  EXPECT_EQ(model.CaretY(), 1);
  EXPECT_EQ(model.CaretX(), 2);
  PressKey(f, VK_UP);
  EXPECT_EQ(model.CaretY(), 0);
  PressKey(f, VK_NEXT);
  EXPECT_EQ(model.CaretY(), model.VisibleRows());
  PressKey(f, VK_END, ssCtrl);
  EXPECT_EQ(model.CaretY(), 4);
  EXPECT_EQ(model.CaretX(), 3);
  PressKey(f, VK_PRIOR, ssShift);
  EXPECT_EQ(model.CaretY(), 4 - model.VisibleRows());
  EXPECT_TRUE(model.HasSelection());
  // Right at a row's end wraps to the next row; Left at a row's start back.
  f.Send(EM_SETSEL, 4, 4);
  PressKey(f, VK_RIGHT);
  EXPECT_EQ(model.CaretY(), 1);
  EXPECT_EQ(model.CaretX(), 0);
  PressKey(f, VK_LEFT);
  EXPECT_EQ(model.CaretY(), 0);
  EXPECT_EQ(model.CaretX(), 4);

  // Enter splits the paragraph and is undone as one.
  f.edit->Model().SetWantReturns(true);
  f.Send(EM_SETSEL, 2, 2);
  PressKey(f, VK_RETURN);
  EXPECT_EQ(Plain(f.edit->Text()), L"ab\r\ncd\r\nef\r\nghij\r\nklm\r\nnop");
  EXPECT_EQ(model.CaretY(), 1);
  EXPECT_EQ(model.CaretX(), 0);
  PressKey(f, 'Z', ssCtrl);
  EXPECT_EQ(Plain(f.edit->Text()), L"abcd\r\nef\r\nghij\r\nklm\r\nnop");
}

TEST(ElEditKeysMultiline, EnterNeedsRoomForTheLineBreak) {
  TEditFixture f(true, ssNone, 3);
  f.edit->Model().SetMaxLength(5);
  f.edit->SetText(u"abcd");
  f.edit->SetFocus();
  f.Send(EM_SETSEL, 2, 2);
  PressKey(f, VK_RETURN);
  EXPECT_EQ(Plain(f.edit->Text()), L"abcd");
  f.edit->Model().SetMaxLength(6);
  PressKey(f, VK_RETURN);
  EXPECT_EQ(Plain(f.edit->Text()), L"ab\r\ncd");
}

TEST(ElEditKeysNotifications, EnterInASingleLineEditChangesNothingButNotifies) {
  TEditFixture f;
  f.edit->SetText(u"C:\\data");
  f.edit->Model().SetModified(false);
  int changes = 0;
  f.edit->Model().OnChange = [&](TObject*) { ++changes; };
  f.edit->SetFocus();
  PressKey(f, VK_RETURN);
  TypeChars(f, L"\r\x1b");
  EXPECT_EQ(Plain(f.edit->Text()), L"C:\\data");
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(f.edit->Model().Modified());
}

TEST(ElEditKeysNotifications, ReadOnlyRefusesEditsButNotMoves) {
  TEditFixture f;
  f.edit->SetText(u"abc def");
  f.edit->SetFocus();
  f.Send(EM_SETSEL, 4, 4);
  TypeChars(f, L"x");
  ASSERT_EQ(Plain(f.edit->Text()), L"abc xdef");
  f.edit->Model().SetReadOnly(true);
  int changes = 0;
  f.edit->Model().OnChange = [&](TObject*) { ++changes; };
  for (WORD key : {WORD(VK_BACK), WORD(VK_DELETE)}) PressKey(f, key);
  PressKey(f, VK_BACK, ssCtrl);
  PressKey(f, 'Z', ssCtrl);
  TypeChars(f, L"y");
  EXPECT_EQ(Plain(f.edit->Text()), L"abc xdef");
  EXPECT_EQ(changes, 0);
  PressKey(f, VK_HOME);
  EXPECT_EQ(SelStart(f), 0);
  PressKey(f, VK_RIGHT, ssCtrl);
  EXPECT_EQ(SelStart(f), 4);
}

TEST(ElEditKeysNotifications, ShiftSelectionRaisesNoSelectionEvent) {
  TEditFixture f;
  f.edit->SetText(u"abc def");
  f.edit->SetFocus();
  f.Send(EM_SETSEL, 0, 0);
  int events = 0;
  f.edit->Model().OnSelectionChange = [&](TObject*) { ++events; };
  PressKey(f, VK_RIGHT, ssShift);
  PressKey(f, VK_RIGHT, ssCtrl | ssShift);
  PressKey(f, VK_END, ssCtrl | ssShift);
  EXPECT_EQ(SelEnd(f), 7);
  EXPECT_EQ(events, 0);
}

TEST(ElEditKeysTyping, CharactersTabsAndUndo) {
  TEditFixture f;
  f.edit->Model().SetWantTabs(true);
  f.edit->SetFocus();
  TypeChars(f, L"C:\\x");
  EXPECT_EQ(Plain(f.edit->Text()), L"C:\\x");
  // The Tab key types the tab; its character and Backspace's insert nothing.
  PressKey(f, VK_TAB);
  EXPECT_EQ(Plain(f.edit->Text()), L"C:\\x\t");
  TypeChars(f, L"\t\b");
  EXPECT_EQ(Plain(f.edit->Text()), L"C:\\x\t");
  PressKey(f, 'Z', ssCtrl);
  EXPECT_EQ(Plain(f.edit->Text()), L"C:\\x");
}

TEST(ElEditKeysTyping, TheTranslatedKeyIsWhatItsCharacterInserts) {
  TEditFixture f;
  f.edit->SetFocus();
  // The key translates to 'a' on the layout; the character message that
  // follows inserts that, whatever 8-bit code it carries.
  {
    TModifiers none(0);
    f.Send(WM_KEYDOWN, 'A', KeyData('A'));
  }
  ASSERT_TRUE(f.edit->Model().HasPendingWideText());
  f.Send(WM_CHAR, '?', KeyData('A'));
  EXPECT_EQ(Plain(f.edit->Text()), L"a");
  EXPECT_FALSE(f.edit->Model().HasPendingWideText());
}

TEST(ElEditKeysTyping, ADeadCaronBeforeSTypesSCaron) {
  TEditFixture f;
  f.edit->SetFocus();
  f.Send(WM_DEADCHAR, 161, 0);
  {
    TModifiers none(0);
    f.Send(WM_KEYDOWN, 'S', KeyData('S'));
  }
  f.Send(WM_CHAR, 's', KeyData('S'));
  EXPECT_EQ(Plain(f.edit->Text()), L"\u0161");
  // The dead character is used up.
  {
    TModifiers none(0);
    f.Send(WM_KEYDOWN, 'S', KeyData('S'));
  }
  f.Send(WM_CHAR, 's', KeyData('S'));
  EXPECT_EQ(Plain(f.edit->Text()), L"\u0161s");
}

TEST(ElEditKeysClipboard, CopyCutAndPasteKeys) {
  TEditFixture f;
  f.edit->SetText(u"abc def");
  f.edit->SetFocus();
  int changes = 0;
  f.edit->Model().OnChange = [&](TObject*) { ++changes; };
  f.Send(EM_SETSEL, 0, 4);
  PressKey(f, 'C', ssCtrl);
  PressKey(f, VK_END);
  PressKey(f, 'V', ssCtrl);
  EXPECT_EQ(Plain(f.edit->Text()), L"abc defabc ");
  f.Send(EM_SETSEL, 4, 7);
  PressKey(f, VK_INSERT, ssCtrl);
  PressKey(f, VK_HOME);
  PressKey(f, VK_INSERT, ssShift);
  EXPECT_EQ(Plain(f.edit->Text()), L"defabc defabc ");
  f.Send(EM_SETSEL, 0, 3);
  PressKey(f, 'X', ssCtrl);
  EXPECT_EQ(Plain(f.edit->Text()), L"abc defabc ");
  f.Send(EM_SETSEL, 0, 4);
  PressKey(f, VK_DELETE, ssShift);
  EXPECT_EQ(Plain(f.edit->Text()), L"defabc ");
  PressKey(f, VK_END);
  PressKey(f, 'V', ssCtrl);
  EXPECT_EQ(Plain(f.edit->Text()), L"defabc abc ");
  // Every text-changing command key notifies once.
  EXPECT_EQ(changes, 5);
}

TEST(ElEditKeysMouse, KeysAreIgnoredWhileTheMouseSelects) {
  TEditFixture f;
  f.edit->SetText(u"abc def");
  f.edit->SetFocus();
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(CharPoint(f, 2)));
  ASSERT_TRUE(f.edit->Model().MouseSelecting());
  PressKey(f, VK_END);
  PressKey(f, VK_BACK);
  TypeChars(f, L"x");
  EXPECT_EQ(Plain(f.edit->Text()), L"abc def");
  EXPECT_EQ(SelStart(f), 2);
  f.Send(WM_LBUTTONUP, 0, At(CharPoint(f, 2)));
  EXPECT_FALSE(f.edit->Model().MouseSelecting());
  PressKey(f, VK_END);
  EXPECT_EQ(SelStart(f), 7);
}

TEST(ElEditDialogCode, WhatTheEditClaims) {
  struct TCase {
    bool multiline, wantReturns, wantTabs, handleDialogKeys;
    bool tab, all;
  };
  const TCase cases[] = {
      {false, false, false, false, false, false}, {false, false, true, false, true, false},
      {false, false, false, true, false, true},   {true, false, false, false, false, false},
      {true, true, false, false, false, true},
  };
  for (const TCase& c : cases) {
    TEditFixture f(c.multiline);
    f.edit->Model().SetWantReturns(c.wantReturns);
    f.edit->Model().SetWantTabs(c.wantTabs);
    f.edit->SetHandleDialogKeys(c.handleDialogKeys);
    const LRESULT code = f.Send(WM_GETDLGCODE);
    EXPECT_EQ((code & DLGC_WANTARROWS) != 0, true);
    EXPECT_EQ((code & DLGC_WANTCHARS) != 0, true);
    EXPECT_EQ((code & DLGC_HASSETSEL) != 0, true);
    EXPECT_EQ((code & DLGC_WANTTAB) != 0, c.tab) << c.multiline << c.wantReturns << c.wantTabs << c.handleDialogKeys;
    EXPECT_EQ((code & DLGC_WANTALLKEYS) == DLGC_WANTALLKEYS, c.all)
        << c.multiline << c.wantReturns << c.wantTabs << c.handleDialogKeys;
  }
}

}  // namespace
