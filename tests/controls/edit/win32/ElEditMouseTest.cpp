// The edit's mouse through real messages: the focus-taking press, clicks
// with and without Shift, dragging (also past the right edge, which scrolls
// a step per move), double-click word selection and the wheel.
#include <windows.h>

#include <gtest/gtest.h>

#include "EditInputSupport.h"

namespace {

TEST(ElEditMouse, AFocusTakingClickWithAutoSelectSelectsEverything) {
  TEditFixture f;
  f.edit->SetText(u"C:\\Program Files");
  f.edit->Model().SetAutoSelect(true);
  ::SetFocus(f.form->Handle());
  ASSERT_FALSE(f.edit->Focused());
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(CharPoint(f, 3)));
  f.Send(WM_LBUTTONUP, 0, At(CharPoint(f, 3)));
  EXPECT_TRUE(f.edit->Focused());
  EXPECT_EQ(SelStart(f), 0);
  EXPECT_EQ(SelEnd(f), 16);
}

TEST(ElEditMouse, ClicksPlaceTheCaretAndShiftClicksExtend) {
  TEditFixture f;
  f.edit->SetText(u"abc def ghi");
  f.edit->SetFocus();
  f.Send(EM_SETSEL, 0, 2);
  int events = 0;
  f.edit->Model().OnSelectionChange = [&](TObject*) { ++events; };
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(CharPoint(f, 5)));
  f.Send(WM_LBUTTONUP, 0, At(CharPoint(f, 5)));
  EXPECT_EQ(SelStart(f), 5);
  EXPECT_EQ(SelEnd(f), 5);
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, At(CharPoint(f, 9)));
  f.Send(WM_LBUTTONUP, MK_SHIFT, At(CharPoint(f, 9)));
  EXPECT_EQ(SelStart(f), 5);
  EXPECT_EQ(SelEnd(f), 9);
  EXPECT_GE(events, 2);
  EXPECT_FALSE(f.edit->MouseCapture());
}

TEST(ElEditMouse, DraggingSelectsFromThePress) {
  TEditFixture f;
  f.edit->SetText(u"abc def ghi");
  f.edit->SetFocus();
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(CharPoint(f, 6)));
  EXPECT_TRUE(f.edit->MouseCapture());
  f.Send(WM_MOUSEMOVE, MK_LBUTTON, At(CharPoint(f, 9)));
  EXPECT_EQ(SelStart(f), 6);
  EXPECT_EQ(SelEnd(f), 9);
  // Back over the press point: the selection turns round the anchor.
  f.Send(WM_MOUSEMOVE, MK_LBUTTON, At(CharPoint(f, 2)));
  EXPECT_EQ(SelStart(f), 2);
  EXPECT_EQ(SelEnd(f), 6);
  f.Send(WM_LBUTTONUP, 0, At(CharPoint(f, 2)));
  // Moves without the button select nothing more.
  f.Send(WM_MOUSEMOVE, 0, At(CharPoint(f, 10)));
  EXPECT_EQ(SelEnd(f), 6);
}

TEST(ElEditMouse, DraggingPastTheRightEdgeScrollsAStepPerMove) {
  TEditFixture f;
  WideString path = u"C:";
  while (path.size() < 260) path += u"\\folder";
  f.edit->SetText(path);
  f.edit->SetFocus();
  f.Send(EM_SETSEL, 0, 0);
  TElEditModel& model = f.edit->Model();
  ASSERT_EQ(model.LeftChar(), 0);
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(CharPoint(f, 1)));
  const POINT outside{f.edit->ClientWidth() + 5, 5};
  f.Send(WM_MOUSEMOVE, MK_LBUTTON, At(outside));
  const int first = model.LeftChar();
  EXPECT_GT(first, 0);
  f.Send(WM_MOUSEMOVE, MK_LBUTTON, At(outside));
  const int second = model.LeftChar();
  EXPECT_GT(second, first);
  EXPECT_LT(second, static_cast<int>(path.size()));
  f.Send(WM_LBUTTONUP, 0, At(outside));
  EXPECT_EQ(SelStart(f), 1);
  EXPECT_EQ(SelEnd(f), model.CaretX());
}

TEST(ElEditMouse, DoubleClickSelectsTheWordAndItsSpace) {
  struct TCase {
    int column;
    int start, end;
  };
  // "abc def ghi": a word is selected with the blanks after it.
  const TCase cases[] = {{5, 4, 8}, {4, 4, 8}, {1, 0, 4}, {9, 8, 11}};
  for (const TCase& c : cases) {
    TEditFixture f;
    f.edit->SetText(u"abc def ghi");
    f.edit->SetFocus();
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(CharPoint(f, c.column)));
    f.Send(WM_LBUTTONUP, 0, At(CharPoint(f, c.column)));
    f.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(CharPoint(f, c.column)));
    f.Send(WM_LBUTTONUP, 0, At(CharPoint(f, c.column)));
    EXPECT_EQ(SelStart(f), c.start) << c.column;
    EXPECT_EQ(SelEnd(f), c.end) << c.column;
  }
}

TEST(ElEditMouse, TheWheelScrollsAMultiLineEditWithinItsRows) {
  TEditFixture f(true, ssNone, 5);
  WideString text;
  for (int i = 0; i < 30; ++i) text += u"row\r\n";
  text += u"last";
  f.edit->SetText(text);
  TElEditModel& model = f.edit->Model();
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  if (lines == 0) lines = 1;
  ASSERT_LT(lines, static_cast<UINT>(WHEEL_DELTA));
  const int perNotch = WHEEL_DELTA / (WHEEL_DELTA / static_cast<int>(lines));
  const POINT centre = f.edit->ClientToScreen(POINT{20, 20});
  f.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), At(centre));
  EXPECT_EQ(model.TopLine(), perNotch);
  f.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA * 100)), At(centre));
  EXPECT_EQ(model.TopLine(), model.GetLinesCount() - model.VisibleRows());
  f.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA * 100)), At(centre));
  EXPECT_EQ(model.TopLine(), 0);
}

}  // namespace
