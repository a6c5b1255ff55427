// The edit model's geometry with the real font under Wine: the painter's
// counts against the platform's own measurement, word wrap, the three
// quarters scroll rule and the mapping between positions and pixels. Every
// expected value is computed from the painter's measurements of the same
// text, so the tables hold for any font the prefix has.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "EditTestSupport.h"
#include "controls/edit/ElEditModel.h"
#include "controls/edit/win32/ElWinTextPainter.h"

namespace {

// How many code units of text fit into width, as GDI counts them.
int PlatformFit(const std::wstring& text, int width, HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  int fit = 0;
  SIZE size{};
  GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), width, &fit, nullptr, &size);
  SelectObject(dc, old);
  DeleteDC(dc);
  return fit;
}

TEST(ElWinTextPainter, MeasuresWithTheRealFont) {
  TFont font;  // "MS Sans Serif", -11
  TElWinTextPainter painter;
  painter.SetFont(&font);
  EXPECT_EQ(painter.TextMetrics().tmHeight, 13);
  const WideString path = u"C:\\Program Files\\Ravelin";
  const int full = painter.TextSize(path).cx;
  EXPECT_GT(full, 0);
  EXPECT_EQ(painter.TextSize(path).cy, 13);
  // Proportional: "W" is wider than "i".
  EXPECT_GT(painter.TextWidth(u"W"), painter.TextWidth(u"i"));
  for (int width : {0, 1, full / 3, full / 2, full - 1, full, full + 10}) {
    SCOPED_TRACE(width);
    EXPECT_EQ(painter.GetTextExtentExPoint(path, width), PlatformFit(Plain(path), width, font.Handle()));
    // Rightwards from an index: the raw characters whose cells fit.
    const int fromFive = painter.CharsFitRight(width, path, 5);
    EXPECT_EQ(fromFive, PlatformFit(Plain(path.substr(5)), width, font.Handle()));
    EXPECT_LE(painter.TextWidth(path.substr(5, static_cast<size_t>(fromFive))), width);
  }
  // A tab counts as TabSpaces spaces and fits only whole.
  const WideString tabbed = u"a\tb";
  const int aWidth = painter.TextWidth(u"a");
  const int tabWidth = painter.TextWidth(u"    ");
  EXPECT_EQ(painter.CharsFitRight(aWidth + tabWidth - 1, tabbed, 0), 1);
  EXPECT_EQ(painter.CharsFitRight(aWidth + tabWidth, tabbed, 0), 2);
  EXPECT_EQ(painter.CharsFitLeft(painter.TextWidth(u"b") + tabWidth, tabbed, 3), 2);
  // Masking measures the password character, whatever the text.
  painter.SetPasswordChar(u'*');
  EXPECT_EQ(painter.TextWidth(u"Wi\t"), painter.TextSize(u"***").cx);
  EXPECT_EQ(painter.CharsFitRight(painter.TextSize(u"**").cx, u"WWWW", 0), 2);
}

class ElEditGeometryTest : public ::testing::Test {
 protected:
  ElEditGeometryTest() : f(true, ssNone, 4) {}
  TEditFixture f;
  TElEditModel& Model() { return f.edit->Model(); }
  TElTextPainter& Painter() { return Model().Painter(); }
  int TextWidthArea() { return Model().EditRect().Width() - Model().LeftMargin() - Model().RightMargin(); }
  std::vector<WideString> Rows() {
    std::vector<WideString> rows;
    for (int r = 0; r < Model().GetLinesCount(); ++r) rows.push_back(Model().Lines().GetParaString(r));
    return rows;
  }
};

TEST_F(ElEditGeometryTest, WordWrapBreaksAfterTheLastBlankThatFits) {
  Model().SetWordWrap(true);
  const int width = TextWidthArea();
  // Words of the real font's widths: build a paragraph a little over two rows wide.
  WideString paragraph;
  while (Painter().TextWidth(paragraph) < 2 * width + width / 2) paragraph += u"folder\\name ";
  paragraph += u"end";
  f.edit->SetText(paragraph);
  const std::vector<WideString> rows = Rows();
  ASSERT_GE(rows.size(), 3u);
  WideString joined;
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    joined += rows[i];
    // No row is wider than the text area, once its trailing blank is left out.
    WideString trimmed = rows[i];
    while (!trimmed.empty() && trimmed.back() == u' ') trimmed.pop_back();
    EXPECT_LE(Painter().TextWidth(trimmed), width);
    if (i + 1 == rows.size()) continue;
    // Each row ends after a blank, and the next word would not have fitted.
    EXPECT_EQ(rows[i].back(), u' ');
    const WideString& next = rows[i + 1];
    const size_t blank = next.find(u' ');
    const WideString word = blank == WideString::npos ? next : next.substr(0, blank + 1);
    EXPECT_GT(Painter().TextWidth(rows[i] + word), width);
  }
  EXPECT_EQ(joined, paragraph);
  EXPECT_EQ(Model().Lines().GetCount(), 1);
}

TEST_F(ElEditGeometryTest, AWordWiderThanTheAreaBreaksAfterTheCharactersThatFit) {
  Model().SetWordWrap(true);
  const int width = TextWidthArea();
  WideString word;
  while (Painter().TextWidth(word) <= 2 * width) word += u"W";
  f.edit->SetText(word);
  const std::vector<WideString> rows = Rows();
  ASSERT_GE(rows.size(), 3u);
  const int fit = Painter().CharsFitRight(width, word, 0);
  EXPECT_EQ(static_cast<int>(rows[0].size()), fit);
  EXPECT_LE(Painter().TextWidth(rows[0]), width);
}

TEST_F(ElEditGeometryTest, ThreeQuartersScrollWithTheRealFont) {
  TEditFixture single;
  TElEditModel& model = single.edit->Model();
  WideString path = u"C:";
  while (model.Painter().TextWidth(path) < 3 * single.edit->Width()) path += u"\\Folder";
  single.edit->SetText(path);
  const int width = model.EditRect().Width() - model.LeftMargin() - model.RightMargin();
  const int threeQuarters = (width / 4) * 3;
  const int end = static_cast<int>(path.size());
  model.SetCaretX(end);
  const int expected = end - model.Painter().CharsFitLeft(threeQuarters, path, end);
  EXPECT_EQ(model.LeftChar(), expected);
  EXPECT_GT(model.LeftChar(), 0);
  // The caret sits about three quarters of the width from the left edge.
  const TElPixelPoint at = model.PosFromCaret(end, 0);
  const int left = model.EditRect().Left + model.LeftMargin();
  EXPECT_LE(at.X - left, threeQuarters);
  EXPECT_GT(at.X - left, threeQuarters - model.Painter().TextWidth(u"W") - 1);
  // The caret reaching the left edge scrolls the view so that it ends three quarters in.
  model.SetCaretX(expected);
  EXPECT_EQ(model.LeftChar(), std::max(0, expected - model.Painter().CharsFitLeft(threeQuarters, path, expected)));
}

TEST_F(ElEditGeometryTest, PixelsAndPositionsBothWays) {
  f.edit->SetText(u"C:\\Temp\tdir\r\nWide WWW\r\n");
  const int left = Model().EditRect().Left + Model().LeftMargin();
  const int line = Model().LineHeight();
  for (int row = 0; row < 2; ++row) {
    const WideString text = Model().Lines().GetParaString(row);
    for (int column = 0; column <= static_cast<int>(text.size()); ++column) {
      SCOPED_TRACE(std::to_string(row) + ":" + std::to_string(column));
      const TElPixelPoint at = Model().PosFromCaret(column, row);
      EXPECT_EQ(at.X, left + Painter().TextWidth(text.substr(0, static_cast<size_t>(column))));
      EXPECT_EQ(at.Y, row * line + Model().TopMargin());
      // A point on a character boundary maps back to that column.
      const TElEditPoint back = Model().CaretFromPos(TElPixelPoint{at.X, at.Y + line / 2});
      EXPECT_EQ(back.Y, row);
      EXPECT_EQ(back.X, column);
    }
  }
  // Just left of a character's middle is before it, just right of it after it.
  const WideString first = Model().Lines().GetParaString(0);
  const int wStart = left + Painter().TextWidth(first.substr(0, 3));
  const int wCell = Painter().TextWidth(first.substr(3, 1));
  EXPECT_EQ(Model().CaretFromPos(TElPixelPoint{wStart + wCell / 2 - 1, 1}).X, 3);
  EXPECT_EQ(Model().CaretFromPos(TElPixelPoint{wStart + wCell / 2 + 1, 1}).X, 4);
  // A row beyond the text is an error with the row in its message.
  try {
    Model().PosFromCaret(0, 7);
    ADD_FAILURE() << "no error";
  } catch (const EElEditorError& error) {
    EXPECT_STREQ(error.what(), "Invalid Y position (7)");
  }
}

}  // namespace
