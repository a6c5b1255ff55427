// A multi-line edit with the custom scroll bars under Wine: what the bars
// mirror of the edit (rows and visible rows, the longest row's characters),
// the steps of the edit's scroll handlers, and a press on a bar's arrow.
// Only messages and the bars are used here: the model's header is not
// needed to drive the edit this way.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "EditTestSupport.h"
#include "controls/list/win32/ElSBController.h"
#include "controls/list/win32/ElScrollInfoHook.h"

namespace {

SCROLLINFO Native(HWND window, int bar) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(window, bar, &info);
  return info;
}

WideString Numbered(int lines, const WideString& prefix) {
  WideString text;
  for (int i = 0; i < lines; ++i) {
    if (i > 0) text += u"\r\n";
    const std::string number = std::to_string(i);
    text += prefix + WideString(number.begin(), number.end());
  }
  return text;
}

class ElEditScrollBarsTest : public ::testing::Test {
 protected:
  ElEditScrollBarsTest() : f(true, ssBoth, 5) {}
  HWND Window() { return f.Window(); }
  TElCtrlScrollBarStyles* Vert() { return f.edit->VertScrollBarStyles(); }
  TElCtrlScrollBarStyles* Horz() { return f.edit->HorzScrollBarStyles(); }
  int Top() { return static_cast<int>(f.Send(EM_GETFIRSTVISIBLELINE)); }
  int VisibleRows() { return f.edit->ClientHeight() / TEditFixture::kLineHeight; }
  TEditFixture f;
};

TEST_F(ElEditScrollBarsTest, TheBarsMirrorRowsAndTheLongestRow) {
  ASSERT_TRUE(TElScrollInfoHook::Installed());
  ASSERT_TRUE(f.edit->ScrollBarController()->GetActive());
  EXPECT_EQ(SendMessageW(Window(), ElScrollBarMessage(), kElSBQueryController, 0),
            reinterpret_cast<LRESULT>(f.edit->ScrollBarController()));
  // An empty edit: both bars shown (the edit asked for them), neither can scroll.
  EXPECT_TRUE(GetWindowLongW(Window(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(Vert()->BarEnabled());
  EXPECT_FALSE(Horz()->BarEnabled());

  f.edit->SetText(Numbered(30, u"row "));
  EXPECT_EQ(Vert()->Min(), 0);
  EXPECT_EQ(Vert()->Max(), 29);
  EXPECT_EQ(Vert()->Page(), VisibleRows());
  EXPECT_EQ(Vert()->Position(), 0);
  EXPECT_TRUE(Vert()->BarEnabled());
  f.Send(EM_LINESCROLL, 0, 7);
  EXPECT_EQ(Vert()->Position(), 7);
  EXPECT_EQ(Native(Window(), SB_VERT).nPos, 7);

  // The horizontal bar counts the characters of the longest row.
  WideString longRow(150, u'x');
  f.edit->SetText(u"short\r\n" + longRow + u"\r\nmid");
  EXPECT_EQ(Horz()->Max(), 150);
  EXPECT_GT(Horz()->Page(), 0);
  EXPECT_LT(Horz()->Page(), 150);
  EXPECT_TRUE(Horz()->BarEnabled());
  SendMessageW(Window(), WM_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Horz()->Position(), 1);
}

TEST_F(ElEditScrollBarsTest, ScrollHandlerSteps) {
  f.edit->SetText(Numbered(40, u"row "));
  const int page = VisibleRows();
  struct Case {
    WORD code;
    WORD position;
    int top;
  };
  // A row per line, the visible rows per page, the thumb's position as the top row.
  const Case cases[] = {{SB_LINEDOWN, 0, 1},        {SB_LINEDOWN, 0, 2},       {SB_PAGEDOWN, 0, 2 + page},
                        {SB_LINEUP, 0, 1 + page},   {SB_PAGEUP, 0, 1},          {SB_THUMBTRACK, 20, 20},
                        {SB_THUMBPOSITION, 12, 12}, {SB_BOTTOM, 0, 40 - page},  {SB_LINEDOWN, 0, 40 - page},
                        {SB_TOP, 0, 0},             {SB_LINEUP, 0, 0},          {SB_ENDSCROLL, 0, 0}};
  for (const Case& c : cases) {
    SendMessageW(Window(), WM_VSCROLL, MAKEWPARAM(c.code, c.position), 0);
    EXPECT_EQ(Top(), c.top) << c.code << " " << c.position;
    EXPECT_EQ(Vert()->Position(), c.top) << c.code;
  }

  // Horizontal: a character per line, the characters that fit per page.
  f.edit->SetText(WideString(200, u'i'));
  SendMessageW(Window(), WM_HSCROLL, SB_LINEDOWN, 0);
  SendMessageW(Window(), WM_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Horz()->Position(), 2);
  SendMessageW(Window(), WM_HSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(Horz()->Position(), 2 + Horz()->Page());
  SendMessageW(Window(), WM_HSCROLL, SB_TOP, 0);
  EXPECT_EQ(Horz()->Position(), 0);
}

TEST_F(ElEditScrollBarsTest, PressingTheDownArrowScrollsOneRow) {
  f.edit->SetText(Numbered(40, u"row "));
  RECT window;
  GetWindowRect(Window(), &window);
  const RECT& bar = Vert()->BarRect();
  // The bottom arrow: a few pixels above the bar's end.
  const POINT p{window.left + bar.left + 5, window.top + bar.bottom - 5};
  const LRESULT hit = SendMessageW(Window(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  ASSERT_EQ(hit, HTVSCROLL);
  SendMessageW(Window(), WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(p.x, p.y));
  POINT client = p;
  ScreenToClient(Window(), &client);
  SendMessageW(Window(), WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
  EXPECT_EQ(Top(), 1);
  EXPECT_EQ(Vert()->Position(), 1);
}

TEST(ElEditScrollBarsSingleLine, ASingleLineEditHasNoBars) {
  TEditFixture single;
  single.edit->SetText(WideString(300, u'x'));
  EXPECT_EQ(GetWindowLongW(single.Window(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
  // And the controller reserves nothing: the client area is the window less its edges.
  RECT client;
  GetClientRect(single.Window(), &client);
  EXPECT_EQ(client.right, single.edit->Width() - 4);
}

}  // namespace
