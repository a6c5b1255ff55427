// The edit's context menu (its items' states and the commands coming back),
// the dead-key compositions, and the linked control's twelve places.
#include <windows.h>

#include <gtest/gtest.h>

#include "EditInputSupport.h"
#include "controls/edit/win32/ElEditDeadKeys.h"
#include "framework/win32/StdCtrls.h"

namespace {

bool Grayed(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }

TEST(ElEditContextMenu, ItemStatesFollowTheEdit) {
  TEditFixture f;
  f.edit->SetText(u"abc def");
  f.edit->SetFocus();
  f.Send(EM_SETSEL, 7, 7);
  f.edit->Model().ClearUndo();
  HMENU menu = f.edit->CreateContextMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(Grayed(menu, 772));   // nothing to undo
  EXPECT_TRUE(Grayed(menu, 768));   // nothing selected: cut, copy, delete
  EXPECT_TRUE(Grayed(menu, 769));
  EXPECT_TRUE(Grayed(menu, 771));
  EXPECT_FALSE(Grayed(menu, 177));  // not everything selected
  EXPECT_EQ(GetMenuState(menu, 32768, MF_BYCOMMAND), static_cast<UINT>(-1));
  DestroyMenu(menu);

  TypeChars(f, L"x");
  f.Send(EM_SETSEL, 0, 8);
  f.edit->Model().SetReadOnly(true);
  menu = f.edit->CreateContextMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_FALSE(Grayed(menu, 772));
  EXPECT_FALSE(Grayed(menu, 768));
  EXPECT_FALSE(Grayed(menu, 769));
  EXPECT_FALSE(Grayed(menu, 771));
  EXPECT_TRUE(Grayed(menu, 177));   // everything is selected
  EXPECT_TRUE(Grayed(menu, 770));   // read-only: no paste
  DestroyMenu(menu);
}

TEST(ElEditContextMenu, LocalizedCaptions) {
  TEditFixture f;
  f.edit->SetLocalizedSystemMenu(true);
  HMENU menu = f.edit->CreateContextMenu();
  ASSERT_NE(menu, nullptr);
  wchar_t caption[64] = {};
  GetMenuStringW(menu, 768, caption, 64, MF_BYCOMMAND);
  EXPECT_STREQ(caption, L"Cu&t");
  GetMenuStringW(menu, 177, caption, 64, MF_BYCOMMAND);
  EXPECT_STREQ(caption, L"&Select All");
  DestroyMenu(menu);
}

TEST(ElEditContextMenu, CommandsComeBackAsEdits) {
  TEditFixture f;
  f.edit->SetText(u"abc def");
  f.edit->SetFocus();
  int changes = 0;
  f.edit->Model().OnChange = [&](TObject*) { ++changes; };
  f.Send(WM_COMMAND, 177, 0);
  EXPECT_EQ(SelStart(f), 0);
  EXPECT_EQ(SelEnd(f), 7);
  f.Send(WM_COMMAND, 769, 0);  // copy "abc def"
  f.Send(EM_SETSEL, 3, 7);
  f.Send(WM_COMMAND, 771, 0);
  EXPECT_EQ(Plain(f.edit->Text()), L"abc");
  EXPECT_EQ(changes, 1);
  f.Send(WM_COMMAND, 770, 0);
  EXPECT_EQ(Plain(f.edit->Text()), L"abcabc def");
  f.Send(WM_COMMAND, 772, 0);
  EXPECT_EQ(Plain(f.edit->Text()), L"abc");
  f.Send(EM_SETSEL, 0, 1);
  f.Send(WM_COMMAND, 768, 0);
  EXPECT_EQ(Plain(f.edit->Text()), L"bc");
  f.Send(WM_COMMAND, 1025, 0);
  EXPECT_EQ(SelEnd(f), 2);
}

TEST(ElEditDeadKeys, Compositions) {
  struct TCase {
    unsigned char dead;
    char16_t letter;
    TElDeadKeyResult result;
    const char16_t* text;
  };
  const TCase cases[] = {
      {161, u's', TElDeadKeyResult::Replace, u"\u0161"},      {161, u'S', TElDeadKeyResult::Replace, u"\u0160"},
      {161, u'e', TElDeadKeyResult::Replace, u"\u011B"},      {161, u'z', TElDeadKeyResult::LayoutComposes, u""},
      {161, u'c', TElDeadKeyResult::LayoutComposes, u""},     {59, u'g', TElDeadKeyResult::Replace, u"\u011D"},
      {58, u'U', TElDeadKeyResult::Replace, u"\u016C"},       {59, u'x', TElDeadKeyResult::Replace, u"x"},
      {176, u'u', TElDeadKeyResult::Replace, u"\u016F"},      {176, u'a', TElDeadKeyResult::Both, u"\u00B0a"},
      {180, u'a', TElDeadKeyResult::LayoutComposes, u""},     {168, u'o', TElDeadKeyResult::LayoutComposes, u""},
      {96, u'q', TElDeadKeyResult::Both, u"`q"},              {126, u'n', TElDeadKeyResult::None, u""},
      {126, u'o', TElDeadKeyResult::LayoutComposes, u""},     {34, u'a', TElDeadKeyResult::None, u""},
      {34, u'e', TElDeadKeyResult::LayoutComposes, u""},      {200, u'a', TElDeadKeyResult::None, u""},
  };
  for (const TCase& c : cases) {
    WideString text;
    const char16_t deadWide = c.dead == 176 ? u'\u00B0' : static_cast<char16_t>(c.dead);
    EXPECT_EQ(ElComposeDeadKey(c.dead, deadWide, c.letter, text), c.result) << int(c.dead) << " " << char(c.letter);
    if (c.result == TElDeadKeyResult::Replace || c.result == TElDeadKeyResult::Both) {
      EXPECT_EQ(text, WideString(c.text)) << int(c.dead) << " " << char(c.letter);
    }
  }
}

TEST(ElEditLinkedControl, TakesItsPlaceNextToTheEdit) {
  struct TCase {
    TElLinkCtlPos position;
    int left, top;
  };
  // Edit at (100, 100) sized 200 x 21, companion 40 x 13, spacing 3.
  const TCase cases[] = {
      {lcpLeftTop, 57, 100},    {lcpLeftBottom, 57, 108},  {lcpLeftCenter, 57, 104},  {lcpTopLeft, 100, 84},
      {lcpTopRight, 260, 84},   {lcpTopCenter, 180, 84},   {lcpRightTop, 303, 100},   {lcpRightBottom, 303, 108},
      {lcpRightCenter, 303, 104}, {lcpBottomLeft, 100, 124}, {lcpBottomRight, 260, 124}, {lcpBottomCenter, 180, 124},
  };
  TEditFixture f;
  f.edit->SetBounds(100, 100, 200, 21);
  auto* label = new TLabel(f.form);
  label->SetParent(f.form);
  label->SetBounds(0, 0, 40, 13);
  f.edit->SetLinkedControlSpacing(3);
  f.edit->SetLinkedControl(label);
  for (const TCase& c : cases) {
    f.edit->SetLinkedControlPosition(c.position);
    EXPECT_EQ(label->Left(), c.left) << int(c.position);
    EXPECT_EQ(label->Top(), c.top) << int(c.position);
    EXPECT_EQ(label->Width(), 40);
  }
  // It follows the edit, and a freed companion is unlinked.
  f.edit->SetLinkedControlPosition(lcpLeftTop);
  f.edit->SetBounds(150, 120, 200, 21);
  EXPECT_EQ(label->Left(), 107);
  EXPECT_EQ(label->Top(), 120);
  delete label;
  EXPECT_EQ(f.edit->LinkedControl(), nullptr);
}

}  // namespace
