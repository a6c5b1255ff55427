// What the edit draws and repaints: a row's pixels against the same text
// drawn with ExtTextOut, the selection's colours (blended below full alpha,
// hidden without the focus), the disabled colours, the caret where the model
// places it, the room of the border sides, and the span a keystroke repaints.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "EditInputSupport.h"
#include "tests/support/PrintedPicture.h"

namespace {

int Count(TPrintedPicture& picture, COLORREF colour) {
  int count = 0;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) count += picture.Pixel(x, y) == colour ? 1 : 0;
  return count;
}

TEST(ElEditDraw, ARowIsTheTextDrawnWithExtTextOutAtItsPosition) {
  for (TAlignment alignment : {taLeftJustify, taRightJustify, taCenter}) {
    TEditFixture f;
    const WideString text = u"C:\\Program Files\\Ravelin";
    f.edit->SetText(text);
    f.edit->Model().SetAlignment(alignment);
    ::SetFocus(f.form->Handle());
    TPrintedPicture drawn(f.edit, PRF_CLIENT | PRF_ERASEBKGND);

    const TElEditRowPicture row = f.edit->RowPicture(0);
    ASSERT_EQ(row.Shown, text);
    TBitmap reference;
    reference.SetSize(drawn.Width(), drawn.Height());
    HDC dc = reference.Canvas()->Handle();
    const RECT all{0, 0, drawn.Width(), drawn.Height()};
    HBRUSH window = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    FillRect(dc, &all, window);
    DeleteObject(window);
    const TElEditModel& model = f.edit->Model();
    const TElTextRect& edit = model.EditRect();
    const RECT clip{edit.Left + model.LeftMargin(), edit.Top, edit.Right - model.RightMargin(), edit.Bottom};
    const HGDIOBJ old = SelectObject(dc, f.edit->Font()->Handle());
    SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const int baseline = model.TopMargin() + edit.Top + model.LineHeight();
    ExtTextOutW(dc, row.X, baseline, ETO_CLIPPED, &clip, reinterpret_cast<LPCWSTR>(text.c_str()),
                static_cast<UINT>(text.size()), nullptr);
    SelectObject(dc, old);

    int differing = 0;
    for (int y = 0; y < drawn.Height(); ++y)
      for (int x = 0; x < drawn.Width(); ++x) differing += drawn.Pixel(x, y) != GetPixel(dc, x, y) ? 1 : 0;
    EXPECT_EQ(differing, 0) << "alignment " << alignment;
    EXPECT_GT(Count(drawn, GetSysColor(COLOR_WINDOWTEXT)), 20);
  }
}

TEST(ElEditDraw, SelectionColoursFollowFocusHideSelectionAndAlpha) {
  TEditFixture f;
  f.edit->SetText(u"WWWWWWWWWW");
  const COLORREF focused = RGB(0, 128, 0);
  const COLORREF hidden = RGB(128, 0, 128);
  f.edit->SetFocusedSelectColor(focused);
  f.edit->SetHideSelectColor(hidden);
  f.edit->SetFocus();
  f.Send(EM_SETSEL, 2, 8);
  {
    TPrintedPicture picture(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_GT(Count(picture, focused), 40);
    EXPECT_EQ(Count(picture, hidden), 0);
  }
  ::SetFocus(f.form->Handle());
  {
    // HideSelection (the default): no selection without the focus.
    TPrintedPicture picture(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(Count(picture, focused), 0);
    EXPECT_EQ(Count(picture, hidden), 0);
  }
  f.edit->Model().SetHideSelection(false);
  {
    TPrintedPicture picture(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_GT(Count(picture, hidden), 40);
  }
  f.edit->SetFocus();
  f.edit->SetHighlightAlphaLevel(128);
  {
    // Half way between the window's white and the green, where no glyph is.
    TPrintedPicture picture(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(Count(picture, focused), 0);
    const COLORREF white = GetSysColor(COLOR_WINDOW);
    const COLORREF blend = RGB((GetRValue(focused) * 128 + GetRValue(white) * 127) / 255,
                               (GetGValue(focused) * 128 + GetGValue(white) * 127) / 255,
                               (GetBValue(focused) * 128 + GetBValue(white) * 127) / 255);
    int blended = 0;
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x) {
        const COLORREF p = picture.Pixel(x, y);
        blended += std::abs(GetRValue(p) - GetRValue(blend)) <= 2 && std::abs(GetGValue(p) - GetGValue(blend)) <= 2 &&
                        std::abs(GetBValue(p) - GetBValue(blend)) <= 2
                    ? 1
                    : 0;
      }
    EXPECT_GT(blended, 20);
  }
}

TEST(ElEditDraw, DisabledColoursOnlyWhenAskedFor) {
  TEditFixture f;
  f.edit->SetText(u"C:\\data");
  const COLORREF back = RGB(200, 200, 0);
  const COLORREF text = RGB(0, 0, 200);
  f.edit->SetDisabledColor(back);
  f.edit->SetDisabledFontColor(text);
  f.edit->SetEnabled(false);
  {
    TPrintedPicture picture(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(Count(picture, back), 0);
    EXPECT_GT(Count(picture, GetSysColor(COLOR_WINDOWTEXT)), 10);
  }
  f.edit->SetUseDisabledColors(true);
  {
    TPrintedPicture picture(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_GT(Count(picture, back), picture.Width() * picture.Height() / 2);
    EXPECT_GT(Count(picture, text), 10);
    EXPECT_EQ(Count(picture, GetSysColor(COLOR_WINDOWTEXT)), 0);
  }
  f.edit->SetEnabled(true);
  {
    TPrintedPicture picture(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(Count(picture, back), 0);
  }
}

TEST(ElEditDraw, TheCaretIsWhereTheModelPlacesIt) {
  TEditFixture f;
  f.edit->SetText(u"abc def ghi");
  f.edit->SetFocus();
  ASSERT_TRUE(f.edit->CaretExists());
  TElEditModel& model = f.edit->Model();
  for (int column : {0, 4, 11}) {
    f.Send(EM_SETSEL, static_cast<WPARAM>(column), column);
    POINT caret{};
    ASSERT_TRUE(GetCaretPos(&caret));
    const TElPixelPoint expected = model.PosFromCaret(model.CaretX(), model.CaretY());
    EXPECT_EQ(caret.x, expected.X) << column;
    EXPECT_EQ(caret.y, expected.Y) << column;
  }
  PressKey(f, VK_LEFT);
  POINT caret{};
  GetCaretPos(&caret);
  EXPECT_EQ(caret.x, model.PosFromCaret(10, 0).X);
  // The caret goes with the focus and with the enabled state.
  ::SetFocus(f.form->Handle());
  EXPECT_FALSE(f.edit->CaretExists());
  f.edit->SetFocus();
  EXPECT_TRUE(f.edit->CaretExists());
  f.edit->SetEnabled(false);
  EXPECT_FALSE(f.edit->CaretExists());
}

TEST(ElEditDraw, EachBorderSideLeftOutGivesItsRoomBack) {
  TEditFixture f;
  RECT client;
  GetClientRect(f.Window(), &client);
  EXPECT_EQ(client.right, 200 - 4);
  EXPECT_EQ(client.bottom, 21 - 4);
  f.edit->SetBorderSides(ebsAll & ~ebsLeft);
  GetClientRect(f.Window(), &client);
  EXPECT_EQ(client.right, 200 - 2);
  f.edit->SetBorderSides(ebsTop | ebsBottom);
  GetClientRect(f.Window(), &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 21 - 4);
  // The flat frame takes the room of the sides it draws.
  f.edit->SetUseXPThemes(false);
  f.edit->SetFlat(true);
  GetClientRect(f.Window(), &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 21 - 4);
}

// The part of the window waiting to be painted after a message.
RECT PendingAfter(TEditFixture& f, const std::function<void()>& action) {
  UpdateWindow(f.Window());
  ValidateRect(f.Window(), nullptr);
  action();
  RECT pending{};
  if (!GetUpdateRect(f.Window(), &pending, FALSE)) return RECT{};
  return pending;
}

TEST(ElEditDraw, AKeystrokeRepaintsOnlyTheSpanItChanged) {
  TEditFixture f;
  f.edit->SetText(u"C:\\Program Files\\Ravelin");
  f.edit->SetFocus();
  f.Send(EM_SETSEL, 24, 24);
  TElEditModel& model = f.edit->Model();
  const int end = model.PosFromCaret(24, 0).X;

  const RECT typed = PendingAfter(f, [&] { TypeChars(f, L"x"); });
  // From the new character's cell to its end, not the row before it.
  EXPECT_GE(typed.left, end - 3);
  EXPECT_LE(typed.left, end);
  EXPECT_LE(typed.right, model.PosFromCaret(25, 0).X + 3);
  EXPECT_GT(typed.right, end);

  const RECT erased = PendingAfter(f, [&] { PressKey(f, VK_BACK); });
  EXPECT_GE(erased.left, end - 3);
  EXPECT_GT(erased.right, end);

  // A caret move without a selection repaints nothing.
  const RECT moved = PendingAfter(f, [&] { PressKey(f, VK_LEFT); });
  EXPECT_TRUE(IsRectEmpty(&moved));

  // Typing in the middle repaints from the caret to the end of the row.
  f.Send(EM_SETSEL, 3, 3);
  const int third = model.PosFromCaret(3, 0).X;
  const RECT middle = PendingAfter(f, [&] { TypeChars(f, L"y"); });
  EXPECT_GE(middle.left, third - 3);
  EXPECT_GE(middle.right, model.PosFromCaret(25, 0).X);
  EXPECT_LT(middle.right - middle.left, f.edit->ClientWidth());

  // Selecting repaints the selected characters only.
  f.Send(EM_SETSEL, 0, 0);
  const RECT selected = PendingAfter(f, [&] { PressKey(f, VK_RIGHT, ssShift); });
  EXPECT_LE(selected.right, model.PosFromCaret(1, 0).X + 3);
}

TEST(ElEditDraw, TheRepaintedPictureMatchesAFullPaint) {
  TEditFixture f;
  f.edit->SetText(u"C:\\Program Files\\Ravelin");
  f.edit->SetFocus();
  f.Send(EM_SETSEL, 10, 10);
  UpdateWindow(f.Window());
  TypeChars(f, L"abc");
  PressKey(f, VK_LEFT, ssShift);
  PressKey(f, VK_BACK);
  UpdateWindow(f.Window());
  // What is on the screen now equals a fresh picture of the whole edit.
  HideCaret(f.Window());
  TPrintedPicture fresh(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
  HDC screen = GetDC(f.Window());
  int differing = 0;
  for (int y = 0; y < fresh.Height(); ++y)
    for (int x = 0; x < fresh.Width(); ++x) differing += GetPixel(screen, x, y) != fresh.Pixel(x, y) ? 1 : 0;
  ReleaseDC(f.Window(), screen);
  ShowCaret(f.Window());
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(Plain(f.edit->Text()), L"C:\\Programab Files\\Ravelin");
}

}  // namespace
