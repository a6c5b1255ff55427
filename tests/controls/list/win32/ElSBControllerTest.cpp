// The scroll bar controller on a native owner-drawn list under Wine: what it
// mirrors, the room it takes, hit tests, the mouse on its bars, and what it
// paints (with a theme and with themes off).
#include <windows.h>
#include <windowsx.h>
#include <vsstyle.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/list/win32/ElScrollHostList.h"
#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/base/win32/ElThemesForcedOff.h"
#include "controls/list/win32/ElScrollInfoHook.h"
#include "framework/Filer.h"
#include "framework/Stream.h"
#include "framework/win32/Form.h"
#include "platform/win32/CodePatch.h"
#include "platform/win32/HandleOwners.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

SCROLLINFO Native(HWND window, int bar) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(window, bar, &info);
  return info;
}

class ElSBControllerTest : public ::testing::Test {
 protected:
  void SetUp() override { Make(true); }
  void TearDown() override { delete form; }

  void Make(bool customBars) {
    delete form;
    form = new TForm(Application);
    form->SetClientSize(320, 240);
    list = new TElScrollHostList(form, customBars);
    list->SetParent(form);
    list->SetBounds(10, 10, 200, 150);
    form->Show();
    PumpFor(30);
  }
  HWND Host() { return list->Handle(); }
  TElCtrlScrollBarStyles* Vert() { return list->Controller()->VertScrollBarStyles(); }
  TElCtrlScrollBarStyles* Horz() { return list->Controller()->HorzScrollBarStyles(); }
  void Fill(int lines) {
    for (int i = 0; i < lines; ++i) list->Add(L"Line " + std::to_wstring(i));
  }
  int VisibleRows() { return list->ClientHeight() / TElScrollHostList::kRowHeight; }

  // A point on a bar, in screen coordinates.
  POINT OnBar(TElSBHandlerCustom* bar, int along, int across = 5) {
    RECT window;
    GetWindowRect(Host(), &window);
    const RECT& r = bar->BarRect();
    return bar->Kind() == sbVertical ? POINT{window.left + r.left + across, window.top + r.top + along}
                                     : POINT{window.left + r.left + along, window.top + r.top + across};
  }
  LPARAM Screen(POINT p) { return MAKELPARAM(p.x, p.y); }
  LPARAM Client(POINT screen) {
    ScreenToClient(Host(), &screen);
    return MAKELPARAM(screen.x, screen.y);
  }
  LRESULT HitTest(POINT screen) { return SendMessageW(Host(), WM_NCHITTEST, 0, Screen(screen)); }
  void Press(TElSBHandlerCustom* bar, int along) {
    const POINT p = OnBar(bar, along);
    SendMessageW(Host(), WM_NCLBUTTONDOWN, static_cast<WPARAM>(HitTest(p)), Screen(p));
  }
  void MoveTo(TElSBHandlerCustom* bar, int along) {
    SendMessageW(Host(), WM_MOUSEMOVE, MK_LBUTTON, Client(OnBar(bar, along)));
  }
  void Release(TElSBHandlerCustom* bar, int along) {
    SendMessageW(Host(), WM_LBUTTONUP, 0, Client(OnBar(bar, along)));
  }
  COLORREF PixelOnBar(TElSBHandlerCustom* bar, int along, int across) {
    TWindowDC dc(Host(), true);
    const RECT& r = bar->BarRect();
    return bar->Kind() == sbVertical ? GetPixel(dc.Get(), r.left + across, r.top + along)
                                     : GetPixel(dc.Get(), r.left + along, r.top + across);
  }

  TForm* form = nullptr;
  TElScrollHostList* list = nullptr;
};

TEST_F(ElSBControllerTest, AttachesAndAnswersTheControllerQuery) {
  ASSERT_TRUE(TElScrollInfoHook::Installed());
  EXPECT_TRUE(list->CustomBarsActive());
  EXPECT_EQ(SendMessageW(Host(), ElScrollBarMessage(), kElSBQueryController, 0),
            reinterpret_cast<LRESULT>(list->Controller()));
  // A window without a controller answers nothing.
  EXPECT_EQ(SendMessageW(form->Handle(), ElScrollBarMessage(), kElSBQueryController, 0), 0);
}

TEST_F(ElSBControllerTest, MirrorsWhatTheNativeListSetsInsideThePlatform) {
  Fill(100);
  const SCROLLINFO native = Native(Host(), SB_VERT);
  EXPECT_EQ(Vert()->Min(), native.nMin);
  EXPECT_EQ(Vert()->Max(), 99);
  EXPECT_EQ(Vert()->Page(), static_cast<int>(native.nPage));
  EXPECT_EQ(Vert()->Page(), VisibleRows());
  EXPECT_EQ(Vert()->Position(), 0);
  EXPECT_TRUE(Vert()->BarEnabled());
  list->SetTopIndex(40);
  EXPECT_EQ(Vert()->Position(), 40);
  list->SetTopIndex(99);  // held at the last full page by the list
  EXPECT_EQ(Vert()->Position(), 100 - VisibleRows());
  EXPECT_EQ(Vert()->Position(), Native(Host(), SB_VERT).nPos);
  // The thumb follows: at the last page it touches the end arrow.
  const TElScrollBarLayout& layout = Vert()->Layout();
  EXPECT_EQ(layout.ThumbStart + layout.ThumbLength, layout.Length - layout.ButtonSize);
  list->Clear();
  EXPECT_EQ(Vert()->Position(), 0);
  EXPECT_EQ(Vert()->Max(), Native(Host(), SB_VERT).nMax);
  // SetScrollPos and SetScrollRange reach it too.
  Fill(50);
  SetScrollRange(Host(), SB_VERT, 0, 60, TRUE);
  EXPECT_EQ(Vert()->Max(), 60);
  SetScrollPos(Host(), SB_VERT, 7, TRUE);
  EXPECT_EQ(Vert()->Position(), 7);
}

TEST_F(ElSBControllerTest, ReservesItsOwnDepthOnlyWhileTheBarIsShown) {
  RECT window;
  GetWindowRect(Host(), &window);
  const int outer = window.right - window.left;
  const int edges = outer - list->ClientWidth();  // no bar yet: the client edge only
  Fill(5);  // fewer rows than fit: the list hides its bar
  EXPECT_FALSE(Vert()->GetVisible());
  EXPECT_EQ(list->ClientWidth(), outer - edges);

  Vert()->SetUseSystemMetrics(false);
  Vert()->SetWidth(23);
  Fill(100);
  ASSERT_TRUE(Vert()->GetVisible());
  EXPECT_EQ(list->ClientWidth(), outer - edges - 23);
  const RECT& r = Vert()->BarRect();
  EXPECT_EQ(r.right - r.left, 23);
  EXPECT_EQ(r.right, outer - edges / 2);  // inside the right edge
  EXPECT_EQ(r.bottom - r.top, list->ClientHeight());
  EXPECT_EQ(Vert()->Length(), list->ClientHeight());
  EXPECT_EQ(list->Controller()->Borders().right, edges / 2);

  // Both bars: the horizontal one spans the client width below the client area.
  list->SetHorizontalExtent(600);
  ASSERT_TRUE(Horz()->GetVisible());
  const RECT& h = Horz()->BarRect();
  EXPECT_EQ(h.right - h.left, list->ClientWidth());
  EXPECT_EQ(h.top, edges / 2 + list->ClientHeight());
  EXPECT_EQ(h.bottom - h.top, Horz()->GetDepth());
}

TEST_F(ElSBControllerTest, HitTestsAnswerForTheBarsAndTheirParts) {
  Fill(100);
  list->SetTopIndex(40);
  const TElScrollBarLayout& layout = Vert()->Layout();
  EXPECT_EQ(HitTest(OnBar(Vert(), 2)), HTVSCROLL);
  EXPECT_EQ(HitTest(OnBar(Vert(), layout.Length - 2)), HTVSCROLL);
  RECT window;
  GetWindowRect(Host(), &window);
  EXPECT_EQ(HitTest(POINT{window.left + 30, window.top + 30}), HTCLIENT);
  struct Case { int along; TElScrollBarPart part; };
  const Case cases[] = {
      {1, sbpLeftArrow},
      {layout.ButtonSize + 1, sbpLeftTop},
      {layout.ThumbStart + 1, sbpThumb},
      {layout.ThumbStart + layout.ThumbLength + 1, sbpRightBottom},
      {layout.Length - 1, sbpRightArrow},
  };
  for (const Case& c : cases) EXPECT_EQ(Vert()->GetHitTest(4, c.along), c.part) << c.along;
  // The hit-test event may decide first.
  Vert()->OnHitTest = [](TObject*, int, int, TElScrollBarPart& part, bool& defaultTest) {
    part = sbpThumb;
    defaultTest = false;
  };
  EXPECT_EQ(Vert()->GetHitTest(4, 1), sbpThumb);
}

TEST_F(ElSBControllerTest, ArrowsAndTrackScrollTheHostAndHoldingRepeats) {
  Fill(100);
  const int page = VisibleRows();
  int changes = 0;
  Vert()->OnChange = [&](TObject*) { ++changes; };
  const int length = Vert()->Layout().Length;
  Press(Vert(), length - 3);  // end arrow: one line at once
  EXPECT_EQ(list->TopIndex(), 1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(GetCapture(), Host());
  ASSERT_TRUE(PumpUntil([&] { return list->TopIndex() >= 4; }, 5000));  // then repeats while held
  Release(Vert(), length - 3);
  EXPECT_NE(GetCapture(), Host());
  const int released = list->TopIndex();
  PumpFor(150);
  EXPECT_EQ(list->TopIndex(), released);

  // The track after the thumb pages. From a known row: where the held arrow
  // stopped depends on how fast this machine runs the repeats, and it may
  // have reached the last page already.
  list->SetTopIndex(10);
  const int before = list->TopIndex();
  ASSERT_EQ(before, 10);
  Press(Vert(), Vert()->Layout().ThumbStart + Vert()->Layout().ThumbLength + 2);
  Release(Vert(), Vert()->Layout().ThumbStart + Vert()->Layout().ThumbLength + 2);
  EXPECT_EQ(list->TopIndex(), before + page);

  // At the start the start arrow does nothing; held at the end, the end arrow stops.
  list->SetTopIndex(0);
  Press(Vert(), 2);
  Release(Vert(), 2);
  EXPECT_EQ(list->TopIndex(), 0);
  list->SetTopIndex(100 - page - 2);
  Press(Vert(), length - 3);
  ASSERT_TRUE(PumpUntil([&] { return list->TopIndex() == 100 - page; }, 5000));
  PumpFor(200);
  EXPECT_EQ(list->TopIndex(), 100 - page);
  Release(Vert(), length - 3);
}

TEST_F(ElSBControllerTest, DraggingTheThumbTracksAndSnapsBackFarAway) {
  Fill(100);
  const TElScrollBarLayout start = Vert()->Layout();
  const int grab = start.ThumbStart + start.ThumbLength / 2;
  Press(Vert(), grab);
  ASSERT_TRUE(Vert()->Dragging());
  MoveTo(Vert(), grab + 40);
  const int tracked = list->TopIndex();
  EXPECT_GT(tracked, 0);  // the list follows while dragging
  EXPECT_EQ(Vert()->Layout().ThumbStart, start.ThumbStart + 40);
  // Far beyond the end (more than half the bar's length): back where it began.
  MoveTo(Vert(), start.Length * 2);
  EXPECT_EQ(Vert()->Layout().ThumbStart, start.ThumbStart);
  MoveTo(Vert(), grab + 40);
  EXPECT_EQ(Vert()->Layout().ThumbStart, start.ThumbStart + 40);
  Release(Vert(), grab + 40);
  EXPECT_FALSE(Vert()->Dragging());
  EXPECT_EQ(list->TopIndex(), tracked);
  EXPECT_EQ(Vert()->Position(), tracked);

  // A page that covers the range (the bar kept, disabled): no drag, no arrows.
  SCROLLINFO covered{sizeof covered, SIF_ALL | SIF_DISABLENOSCROLL, 0, 9, 10, 0, 0};
  SetScrollInfo(Host(), SB_VERT, &covered, TRUE);
  ASSERT_TRUE(Vert()->GetVisible());
  EXPECT_FALSE(Vert()->BarEnabled());
  const int top = list->TopIndex();
  Press(Vert(), Vert()->Layout().Length / 2);
  EXPECT_FALSE(Vert()->Dragging());
  Press(Vert(), Vert()->Layout().Length - 2);
  EXPECT_EQ(list->TopIndex(), top);
  EXPECT_NE(GetCapture(), Host());
}

TEST_F(ElSBControllerTest, TrackHintShowsThePositionOrTheEventsText) {
  Fill(100);
  Vert()->SetShowTrackHint(true);
  const TElScrollBarLayout start = Vert()->Layout();
  const int grab = start.ThumbStart + 2;
  Press(Vert(), grab);
  MoveTo(Vert(), grab + 30);
  HWND hint = FindWindowW(L"TElScrollHintWindow", nullptr);
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(IsWindowVisible(hint));
  Vert()->OnScrollHintNeeded = [](TObject*, int position, WideString& text) {
    text = u"Row " + WideString(1, static_cast<char16_t>(u'0' + position % 10));
  };
  wchar_t text[32] = {};
  GetWindowTextW(hint, text, 32);
  EXPECT_EQ(std::wstring(text), std::to_wstring(Vert()->TrackPosition()));
  MoveTo(Vert(), grab + 60);
  GetWindowTextW(hint, text, 32);
  EXPECT_EQ(std::wstring(text), L"Row " + std::to_wstring(Vert()->TrackPosition() % 10));
  Release(Vert(), grab + 60);
  EXPECT_FALSE(IsWindowVisible(hint));
}

TEST_F(ElSBControllerTest, CancelModeEndsADragWhereItBegan) {
  Fill(100);
  const TElScrollBarLayout start = Vert()->Layout();
  const int grab = start.ThumbStart + 2;
  // A host that follows the drag, and one that moves only on the final position
  // (the bar then carries the dragged position alone until the release).
  for (const bool ignoresTrack : {false, true}) {
    list->SetIgnoreThumbTrack(ignoresTrack);
    Press(Vert(), grab);
    MoveTo(Vert(), grab + 40);
    EXPECT_EQ(list->TopIndex() > 0, !ignoresTrack);
    EXPECT_GT(Native(Host(), SB_VERT).nPos, 0);
    SendMessageW(Host(), WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(Vert()->Dragging());
    EXPECT_NE(GetCapture(), Host());
    EXPECT_EQ(list->TopIndex(), 0) << ignoresTrack;
    EXPECT_EQ(Native(Host(), SB_VERT).nPos, 0) << ignoresTrack;
    EXPECT_EQ(Vert()->Position(), 0) << ignoresTrack;
    EXPECT_EQ(Vert()->Layout().ThumbStart, start.ThumbStart) << ignoresTrack;
  }
  // Released on the bar, such a host takes the dragged position at the end.
  Press(Vert(), grab);
  MoveTo(Vert(), grab + 40);
  const int dragged = Native(Host(), SB_VERT).nPos;
  Release(Vert(), grab + 40);
  EXPECT_EQ(list->TopIndex(), dragged);
  EXPECT_EQ(Vert()->Position(), dragged);
}

TEST_F(ElSBControllerTest, ThePlatformDoesNotDrawItsOwnBar) {
  Fill(100);
  PumpFor(50);
  const COLORREF marker = RGB(255, 0, 255);
  auto paintMarker = [&] {
    TWindowDC dc(Host(), true);
    TGdiObject<HBRUSH> brush(CreateSolidBrush(marker));
    FillRect(dc.Get(), &Vert()->BarRect(), brush.Get());
  };
  const int middle = Vert()->Layout().Length / 2;
  paintMarker();
  list->Add(L"one more");  // the list sets its range and asks for a redraw
  list->SetTopIndex(50);   // and its position
  EXPECT_EQ(PixelOnBar(Vert(), middle, 8), marker);
  EXPECT_EQ(PixelOnBar(Vert(), 2, 8), marker);
  PumpFor(50);  // our bar is painted on the next round of messages
  EXPECT_NE(PixelOnBar(Vert(), middle, 8), marker);

  // The peer: with the platform's bars the same change paints at once.
  Make(false);
  Fill(100);
  PumpFor(50);
  RECT window, client;
  GetWindowRect(Host(), &window);
  GetClientRect(Host(), &client);
  POINT clientOrigin{0, 0};
  ClientToScreen(Host(), &clientOrigin);
  const int barLeft = clientOrigin.x - window.left + client.right;
  {
    TWindowDC dc(Host(), true);
    TGdiObject<HBRUSH> brush(CreateSolidBrush(marker));
    RECT bar{barLeft, clientOrigin.y - window.top, barLeft + GetSystemMetrics(SM_CXVSCROLL),
             clientOrigin.y - window.top + client.bottom};
    FillRect(dc.Get(), &bar, brush.Get());
  }
  list->Add(L"one more");
  list->SetTopIndex(50);
  TWindowDC dc(Host(), true);
  EXPECT_NE(GetPixel(dc.Get(), barLeft + 4, clientOrigin.y - window.top + client.bottom / 2), marker);
}

TEST_F(ElSBControllerTest, SettingTheValuesTheBarAlreadyHasPaintsNothing) {
  Fill(100);
  list->SetTopIndex(30);
  SCROLLINFO same = Native(Host(), SB_VERT);
  same.fMask = SIF_ALL | SIF_DISABLENOSCROLL;  // as an edit sets it after each keystroke
  SetScrollInfo(Host(), SB_VERT, &same, TRUE);
  PumpFor(50);
  const COLORREF marker = RGB(255, 0, 255);
  {
    TWindowDC dc(Host(), true);
    TGdiObject<HBRUSH> brush(CreateSolidBrush(marker));
    FillRect(dc.Get(), &Vert()->BarRect(), brush.Get());
  }
  const int middle = Vert()->Layout().Length / 2;
  SetScrollInfo(Host(), SB_VERT, &same, TRUE);
  PumpFor(50);
  EXPECT_EQ(PixelOnBar(Vert(), middle, 8), marker);
  // One value that differs paints the bar again.
  same.nPos += 1;
  SetScrollInfo(Host(), SB_VERT, &same, TRUE);
  PumpFor(50);
  EXPECT_NE(PixelOnBar(Vert(), middle, 8), marker);
}

TEST_F(ElSBControllerTest, RepaintingPartOfTheClientLeavesTheFrameAlone) {
  Fill(100);
  PumpFor(50);
  const COLORREF marker = RGB(255, 0, 255);
  const int middle = Vert()->Layout().Length / 2;
  auto paintMarker = [&] {
    TWindowDC dc(Host(), true);
    TGdiObject<HBRUSH> brush(CreateSolidBrush(marker));
    FillRect(dc.Get(), &Vert()->BarRect(), brush.Get());
  };
  // Twice: each paint of the frame must not leave the frame marked for the next.
  for (int round = 0; round < 2; ++round) {
    paintMarker();
    const RECT corner{2, 2, 12, 12};
    InvalidateRect(Host(), &corner, FALSE);
    UpdateWindow(Host());
    PumpFor(20);
    EXPECT_EQ(PixelOnBar(Vert(), middle, 8), marker) << "round " << round;
  }
  // A real change of the frame still paints it, and the client's wait is kept.
  const RECT corner{2, 2, 12, 12};
  InvalidateRect(Host(), &corner, FALSE);
  RedrawWindow(Host(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
  UpdateWindow(Host());
  EXPECT_NE(PixelOnBar(Vert(), middle, 8), marker);
  EXPECT_FALSE(GetUpdateRect(Host(), nullptr, FALSE));
}

TEST_F(ElSBControllerTest, ClassicLookInThePlatformColours) {
  TElThemesForcedOff themesOff;
  Make(true);
  EXPECT_FALSE(list->Controller()->IsThemeApplied());
  // 50 rows, 11 of them shown: the thumb is long enough to carry grip lines.
  Fill(50);
  list->SetTopIndex(20);
  PumpFor(50);
  const TElScrollBarLayout& layout = Vert()->Layout();
  const int depth = Vert()->GetDepth();
  // Arrow button: face colour away from its frame and glyph; the glyph in the arrow colour.
  EXPECT_EQ(PixelOnBar(Vert(), 3, 3), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(PixelOnBar(Vert(), layout.ButtonSize / 2, depth / 2), GetSysColor(COLOR_BTNTEXT));
  // Track: the checker of face and highlight, alternating pixel by pixel.
  Vert()->SetSystemBkColor(false);
  PumpFor(50);
  const int track = layout.ButtonSize + 3;
  const COLORREF a = PixelOnBar(Vert(), track, 5);
  const COLORREF b = PixelOnBar(Vert(), track, 6);
  const COLORREF c = PixelOnBar(Vert(), track + 1, 6);
  EXPECT_NE(a, b);
  EXPECT_EQ(a, c);
  EXPECT_TRUE((a == GetSysColor(COLOR_BTNFACE) && b == GetSysColor(COLOR_BTNHIGHLIGHT)) ||
              (b == GetSysColor(COLOR_BTNFACE) && a == GetSysColor(COLOR_BTNHIGHLIGHT)));
  // Without blending: a solid track in the bar's colour.
  Vert()->SetBlendBackground(false);
  Vert()->SetColor(RGB(10, 120, 30));
  PumpFor(50);
  EXPECT_EQ(PixelOnBar(Vert(), track, 5), RGB(10, 120, 30));
  EXPECT_EQ(PixelOnBar(Vert(), track + 1, 5), RGB(10, 120, 30));
  Vert()->SetColor(clBtnFace);
  PumpFor(50);
  // Thumb: face colour with the grip lines in the bar colour across its middle.
  ASSERT_GT(layout.ThumbLength, 14);
  const int centre = layout.ThumbStart + layout.ThumbLength / 2;
  EXPECT_EQ(PixelOnBar(Vert(), centre - 3, depth / 2), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelOnBar(Vert(), centre - 2, depth / 2), GetSysColor(COLOR_BTNFACE));
  // The start arrow is disabled at the top: its glyph greys.
  list->SetTopIndex(0);
  PumpFor(50);
  EXPECT_NE(PixelOnBar(Vert(), layout.ButtonSize / 2, depth / 2), GetSysColor(COLOR_BTNTEXT));
  EXPECT_EQ(PixelOnBar(Vert(), layout.Length - layout.ButtonSize / 2 - 1, depth / 2), GetSysColor(COLOR_BTNTEXT));
  // A thumb of 14 pixels or less has no room for grip lines.
  Fill(50);
  list->SetTopIndex(40);
  PumpFor(50);
  ASSERT_LE(layout.ThumbLength, 14);
  const int shortCentre = layout.ThumbStart + layout.ThumbLength / 2;
  EXPECT_EQ(PixelOnBar(Vert(), shortCentre - 3, depth / 2), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(PixelOnBar(Vert(), shortCentre - 1, depth / 2), GetSysColor(COLOR_BTNFACE));
}

TEST_F(ElSBControllerTest, ThemedLookUsesTheScrollBarTheme) {
  if (!TElThemeLibrary::ThemeActive()) GTEST_SKIP() << "no theme active in this prefix";
  EXPECT_TRUE(list->Controller()->IsThemeApplied());
  Fill(100);
  list->SetTopIndex(40);
  PumpFor(50);
  // The end arrow as the theme draws it, in a bitmap of the same size.
  const TElScrollBarLayout& layout = Vert()->Layout();
  const int depth = Vert()->GetDepth();
  TWindowDC screen(nullptr);
  TCreatedDC memory(CreateCompatibleDC(screen.Get()));
  TGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), depth, layout.ButtonSize));
  TSelectedObject selected(memory.Get(), bitmap.Get());
  RECT arrow{0, 0, depth, layout.ButtonSize};
  HTHEME theme = TElThemeLibrary::OpenThemeData(Host(), L"SCROLLBAR");
  ASSERT_NE(theme, nullptr);
  TElThemeLibrary::DrawThemeBackground(theme, memory.Get(), SBP_ARROWBTN, ABS_DOWNNORMAL, &arrow, nullptr);
  TElThemeLibrary::CloseThemeData(theme);
  int same = 0;
  for (int y = 0; y < layout.ButtonSize; ++y)
    for (int x = 0; x < depth; ++x)
      same += GetPixel(memory.Get(), x, y) == PixelOnBar(Vert(), layout.Length - layout.ButtonSize + y, x);
  EXPECT_EQ(same, depth * layout.ButtonSize);

  // Switched off on the controller: the classic look.
  list->Controller()->SetUseXPThemes(false);
  PumpFor(50);
  EXPECT_EQ(PixelOnBar(Vert(), 3, 3), GetSysColor(COLOR_BTNFACE));
}

// Someone else's entry patch on the routine: it still calls the routine, but
// its jump cannot be moved, so ours cannot go on top.
void* ForeignOriginal = nullptr;
int WINAPI ForeignSetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw) {
  return reinterpret_cast<int(WINAPI*)(HWND, int, LPCSCROLLINFO, BOOL)>(ForeignOriginal)(window, bar, info, redraw);
}

TEST_F(ElSBControllerTest, WithoutTheInterceptionTheHostKeepsThePlatformsBars) {
  TElScrollInfoHook::Uninstall();
  void* routine = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetScrollInfo"));
  auto foreign = std::make_unique<TEntryJumpPatch>(routine, reinterpret_cast<void*>(&ForeignSetScrollInfo), true);
  ASSERT_TRUE(foreign->Apply());
  ForeignOriginal = foreign->Original();
  Make(true);
  EXPECT_FALSE(TElScrollInfoHook::Installed());
  EXPECT_FALSE(list->Controller()->GetActive());
  EXPECT_FALSE(list->CustomBarsActive());
  Fill(100);
  RECT window;
  GetWindowRect(Host(), &window);
  // The platform reserves its own bar, and the controller was never told of the range.
  EXPECT_LE(list->ClientWidth(), window.right - window.left - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(Vert()->Max(), -1);
  EXPECT_EQ(SendMessageW(Host(), ElScrollBarMessage(), kElSBQueryController, 0), 0);
  delete form;
  form = nullptr;
  foreign.reset();
  ASSERT_TRUE(TElScrollInfoHook::Install());
  Make(true);
  EXPECT_TRUE(list->CustomBarsActive());
}

TEST_F(ElSBControllerTest, DetachingGivesTheBarsBackToThePlatform) {
  Fill(100);
  list->SetTopIndex(40);
  list->Controller()->SetControl(nullptr);
  EXPECT_FALSE(list->Controller()->GetActive());
  EXPECT_EQ(Vert()->Position(), -1);
  EXPECT_EQ(Vert()->Layout().ThumbStart, 0);
  EXPECT_EQ(SendMessageW(Host(), ElScrollBarMessage(), kElSBQueryController, 0), 0);
  list->Controller()->SetControl(list);
  EXPECT_EQ(Vert()->Position(), 40);  // read back from the platform
}

TEST(ElCtrlScrollBarStylesTest, FormDataRoundTripAndOlderNames) {
  TElCtrlScrollBarStyles source(nullptr, sbVertical);
  source.SetFlat(false);
  source.SetColor(clWindow);
  source.SetArrowColor(0x123456);
  source.SetThumbMode(etmFixed);
  source.SetThumbSize(30);
  source.SetSecondBtnKind(sbkPage);
  source.SetUseSystemMetrics(false);
  source.SetWidth(20);
  TMemoryStream stream;
  {
    TWriter writer(stream);
    writer.WriteProperties(source);
    writer.WriteListEnd();
  }
  stream.SetPosition(0);
  TElCtrlScrollBarStyles back(nullptr, sbVertical);
  {
    TReader reader(stream);
    reader.ReadProperties(back);
  }
  EXPECT_FALSE(back.Flat());
  EXPECT_EQ(back.Color(), clWindow);
  EXPECT_EQ(back.ArrowColor(), 0x123456);
  EXPECT_EQ(back.ThumbMode(), etmFixed);
  EXPECT_EQ(back.ThumbSize(), 30);
  EXPECT_EQ(back.SecondBtnKind(), sbkPage);
  EXPECT_EQ(back.Width(), 20);
  EXPECT_TRUE(back.ShowBorder());  // untouched: as created

  // Older versions wrote "Enabled", "ThinFrames" and "DrawFrames".
  TMemoryStream old;
  {
    TWriter writer(old);
    for (const char* name : {"Enabled", "ThinFrames", "DrawFrames"}) {
      writer.WriteStr(name);
      writer.WriteBoolean(std::string(name) != "DrawFrames");
    }
    writer.WriteListEnd();
  }
  old.SetPosition(0);
  TElCtrlScrollBarStyles older(nullptr, sbHorizontal);
  TReader reader(old);
  reader.ReadProperties(older);
  EXPECT_TRUE(older.ThinFrame());
  EXPECT_FALSE(older.ShowBorder());
  // They are never written back.
  TMemoryStream again;
  TWriter writer(again);
  writer.WriteProperties(older);
  const std::string bytes(static_cast<const char*>(again.Memory()), static_cast<size_t>(again.Size()));
  EXPECT_EQ(bytes.find("ThinFrames"), std::string::npos);
  EXPECT_NE(bytes.find("ThinFrame"), std::string::npos);
  EXPECT_NE(bytes.find("ShowBorder"), std::string::npos);
}

TEST(ElCtrlScrollBarStylesTest, AsCreated) {
  TElCtrlScrollBarStyles bar(nullptr, sbVertical);
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_EQ(bar.Max(), -1);
  EXPECT_EQ(bar.Page(), 14);
  EXPECT_EQ(bar.Position(), -1);
  EXPECT_EQ(bar.TrackPosition(), -1);
  EXPECT_EQ(bar.Width(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(bar.FixedButtonSize(), 17);
  EXPECT_TRUE(bar.AltDisablingArrows());
  bar.SetAltDisablingArrows(false);
  EXPECT_TRUE(bar.AltDisablingArrows());
  EXPECT_EQ(bar.MinThumbSize(), 12);
  EXPECT_EQ(bar.ThumbMode(), etmAuto);
  EXPECT_TRUE(bar.Flat());
  EXPECT_FALSE(bar.ActiveFlat());
  EXPECT_EQ(bar.Color(), clBtnFace);
  // SetPage refuses negative values; Max is raised to Min; the page is held to the range.
  bar.SetPage(-3);
  EXPECT_EQ(bar.Page(), 14);
  bar.SetMin(10);
  EXPECT_EQ(bar.Max(), 10);
  EXPECT_EQ(bar.Page(), 1);
}

}  // namespace
