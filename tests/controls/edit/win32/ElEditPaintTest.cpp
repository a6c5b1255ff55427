// What the edit paints for now, checked on pixels: the rows where the model
// places them, the characters scrolled out of sight left out, and the
// selection in the highlight colours while the edit has the focus.
#include <windows.h>

#include <gtest/gtest.h>

#include "EditTestSupport.h"
#include "controls/edit/ElEditModel.h"
#include "tests/support/PrintedPicture.h"

namespace {

// Columns x0..x1 (exclusive) of rows y0..y1 holding at least one pixel of colour.
int PixelsOf(TPrintedPicture& picture, COLORREF colour, int x0, int x1, int y0, int y1) {
  int count = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) count += picture.Pixel(x, y) == colour ? 1 : 0;
  return count;
}

TEST(ElEditPaint, RowsAndTheSelection) {
  TEditFixture f(true, ssNone, 3);
  TElEditModel& model = f.edit->Model();
  f.edit->SetText(u"WWW\r\n\r\nIII");
  const int left = model.EditRect().Left + model.LeftMargin();
  const int line = model.LineHeight();
  const int top = model.TopMargin();
  const int wWidth = model.Painter().TextWidth(u"WWW");
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  ::SetFocus(f.form->Handle());
  {
    TPrintedPicture picture(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
    // Row 0 is drawn inside its cell, row 1 is empty, row 2 has text again.
    EXPECT_GT(PixelsOf(picture, text, left, left + wWidth, top, top + line), 0);
    EXPECT_EQ(PixelsOf(picture, text, left + wWidth + 1, picture.Width(), top, top + line), 0);
    EXPECT_EQ(PixelsOf(picture, text, 0, picture.Width(), top + line + 2, top + 2 * line - 1), 0);
    EXPECT_GT(PixelsOf(picture, text, left, left + wWidth, top + 2 * line, top + 3 * line), 0);
    // Nothing selected: no highlight anywhere.
    EXPECT_EQ(PixelsOf(picture, highlight, 0, picture.Width(), 0, picture.Height()), 0);
  }
  f.Send(EM_SETSEL, 0, 3);
  ::SetFocus(f.form->Handle());
  ASSERT_FALSE(f.edit->Focused());
  EXPECT_FALSE(f.edit->CaretExists());
  {
    // Unfocused with HideSelection: the selection is not shown.
    TPrintedPicture picture(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(PixelsOf(picture, highlight, 0, picture.Width(), 0, picture.Height()), 0);
  }
  f.edit->SetFocus();
  ASSERT_TRUE(f.edit->Focused());
  EXPECT_TRUE(f.edit->CaretExists());
  {
    TPrintedPicture picture(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
    const int band = PixelsOf(picture, highlight, left, left + wWidth, top, top + line);
    EXPECT_GT(band, wWidth * line / 2);
    EXPECT_EQ(PixelsOf(picture, highlight, left + wWidth + 1, picture.Width(), 0, picture.Height()), 0);
    EXPECT_EQ(PixelsOf(picture, highlight, 0, picture.Width(), top + line, picture.Height()), 0);
  }
}

// Scrolled sideways, an edit looks exactly like one holding only the
// characters in view.
TEST(ElEditPaint, ARowScrolledSidewaysShowsOnlyTheCharactersInView) {
  TEditFixture f;
  TElEditModel& model = f.edit->Model();
  WideString text;
  while (text.size() < 120) text += u"Wide\\iii\\";
  f.edit->SetText(text);
  model.SetCaretX(static_cast<int>(text.size()));
  const int leftChar = model.LeftChar();
  ASSERT_GT(leftChar, 0);
  const int width = model.EditRect().Width() - model.LeftMargin() - model.RightMargin();
  const int shown = model.Painter().CharsFitRight(width, text, leftChar);
  TEditFixture reference;
  reference.edit->SetText(text.substr(static_cast<size_t>(leftChar), static_cast<size_t>(shown)));
  ASSERT_EQ(reference.edit->Model().LeftChar(), 0);
  ::SetFocus(f.form->Handle());
  TPrintedPicture scrolled(f.edit, PRF_CLIENT | PRF_ERASEBKGND);
  TPrintedPicture expected(reference.edit, PRF_CLIENT | PRF_ERASEBKGND);
  ASSERT_EQ(scrolled.Width(), expected.Width());
  int differing = 0;
  for (int y = 0; y < scrolled.Height(); ++y)
    for (int x = 0; x < scrolled.Width(); ++x) differing += scrolled.Pixel(x, y) != expected.Pixel(x, y) ? 1 : 0;
  EXPECT_EQ(differing, 0);
  EXPECT_GT(PixelsOf(scrolled, GetSysColor(COLOR_WINDOWTEXT), 0, scrolled.Width(), 0, scrolled.Height()), 0);
}

}  // namespace
