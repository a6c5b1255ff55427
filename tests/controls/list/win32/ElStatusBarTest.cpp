#include "controls/list/win32/ElStatusBar.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/base/win32/ElThemesForcedOff.h"
#include "framework/UnicodeHint.h"
#include "tests/controls/list/win32/StatusBarTestSupport.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

#define REQUIRE_ACTIVE_THEME() \
  if (!TElThemeLibrary::ThemeActive()) GTEST_SKIP() << "no theme is active here"

COLORREF Sys(int index) { return GetSysColor(index); }

void AddPanels(TElStatusBar* bar, int count, int width = 100) {
  for (int i = 0; i < count; ++i) {
    TElStatusPanel* panel = bar->Panels()->Add();
    panel->SetWidth(width);
    panel->SetText(u"P" + std::u16string(1, static_cast<char16_t>(u'0' + i)));
  }
  bar->SetSimplePanel(false);
}

TEST(StatusBar, NewBarIsTheToolsBottomStrip) {
  TBarFixture<> f;
  TElStatusBar* bar = f.bar;
  EXPECT_EQ(bar->Height(), 19);
  EXPECT_EQ(bar->Align(), alBottom);
  EXPECT_EQ(bar->Top(), 100 - 19);
  EXPECT_EQ(bar->Width(), 300);
  EXPECT_EQ(bar->Color(), clBtnFace);
  EXPECT_EQ(bar->Font()->Color(), clBtnText);
  EXPECT_TRUE(bar->SimplePanel());
  EXPECT_TRUE(bar->SizeGrip());
  EXPECT_FALSE(bar->SimpleTextIsHTML());
  EXPECT_FALSE(bar->ResizablePanels());
  EXPECT_EQ(bar->Bevel(), epbNone);
  EXPECT_TRUE(bar->UseXPThemes());
  EXPECT_EQ(bar->Panels()->Count(), 0);
}

TEST(StatusBar, WithoutPanelsSimpleModeCannotBeLeft) {
  TBarFixture<> f;
  f.bar->SetSimplePanel(false);
  EXPECT_TRUE(f.bar->SimplePanel());
  f.bar->Panels()->Add();
  f.bar->SetSimplePanel(false);
  EXPECT_FALSE(f.bar->SimplePanel());
  f.bar->Panels()->Clear();
  EXPECT_TRUE(f.bar->SimplePanel());
  EXPECT_THROW(f.bar->Panels()->Items(0), EStringListError);
}

TEST(StatusBar, SettingTheSameSimpleTextDoesNotRepaint) {
  TBarFixture<> f;
  HWND window = f.bar->Handle();
  // Only a shown window collects an update region.
  f.form->Show();
  ValidateRect(window, nullptr);
  f.bar->SetSimpleText(u"Scanning directory : C:\\a");
  RECT update;
  EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
  ValidateRect(window, nullptr);
  f.bar->SetSimpleText(u"Scanning directory : C:\\a");
  EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
  f.bar->SetSimpleText(u"Scanning directory : C:\\b");
  EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
  f.form->Hide();
}

// ---- Classic look (themes forced off) ----

class ClassicBar : public ::testing::Test {
 protected:
  TElThemesForcedOff FOff;
};

TEST_F(ClassicBar, SimplePanelFrameTextAndSizeGrip) {
  TBarFixture<> f;
  const int w = 300;
  f.bar->SetSimpleText(u"Ready for DeCompression.");
  const TClientPicture picture(f.bar->Handle());
  ASSERT_EQ(picture.Width(), w);
  ASSERT_EQ(picture.Height(), 19);
  auto is = [](COLORREF color) { return [color](COLORREF c) { return c == color; }; };
  // Above the frame: the bar's colour.
  EXPECT_EQ(picture.Count(RECT{0, 0, w, 2}, is(Sys(COLOR_BTNFACE))), 2 * w);
  // The lowered frame around (0,2)-(W,19): dark top and left, light bottom and right.
  EXPECT_EQ(picture.At(10, 2), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(picture.At(0, 10), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(picture.At(10, 18), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(picture.At(w - 1, 10), Sys(COLOR_BTNHIGHLIGHT));
  // The text inside (1,3)-(W-1,18).
  EXPECT_GT(picture.Count(RECT{1, 3, 150, 18}, is(Sys(COLOR_BTNTEXT))), 20);
  // The grip in (W-17,2)-(W-2,17), drawn from one pixel lower.
  EXPECT_GT(picture.Count(RECT{w - 17, 3, w - 2, 17}, is(Sys(COLOR_BTNSHADOW))), 5);
  EXPECT_GT(picture.Count(RECT{w - 17, 3, w - 2, 17}, is(Sys(COLOR_BTNHIGHLIGHT))), 5);
  EXPECT_EQ(picture.Count(RECT{w - 40, 3, w - 17, 17}, is(Sys(COLOR_BTNFACE))), 23 * 14);
  // Nothing left unpainted.
  EXPECT_EQ(picture.Count(RECT{0, 0, w, 19}, is(RGB(1, 2, 3))), 0);

  // The grip is all that differs from a bar without one, and lies in its square.
  f.bar->SetSizeGrip(false);
  const TClientPicture plain(f.bar->Handle());
  const RECT grip = picture.Difference(plain);
  EXPECT_FALSE(IsRectEmpty(&grip));
  EXPECT_TRUE(Inside(grip, RECT{w - 17, 3, w - 2, 17}));
}

TEST_F(ClassicBar, EmptyTextShowsOnlyBackgroundAndFrame) {
  TBarFixture<> f;
  f.bar->SetSizeGrip(false);
  const TClientPicture picture(f.bar->Handle());
  EXPECT_EQ(picture.Count(RECT{2, 4, 298, 17}, [](COLORREF c) { return c == Sys(COLOR_BTNFACE); }),
            296 * 13);
  EXPECT_EQ(picture.At(10, 2), Sys(COLOR_BTNSHADOW));
}

TEST_F(ClassicBar, LongTextStaysOnOneLineInsideTheFrame) {
  TBarFixture<> f;
  f.bar->SetSizeGrip(false);
  f.bar->SetSimpleText(u"");
  const TClientPicture empty(f.bar->Handle());
  f.bar->SetSimpleText(std::u16string(200, u'W') + u"&&\r\nsecond line");
  const TClientPicture full(f.bar->Handle());
  const RECT text = full.Difference(empty);
  // The text reaches the right end of the area and is clipped there.
  EXPECT_TRUE(Inside(text, RECT{1, 3, 299, 18}));
  EXPECT_GE(text.right, 290);
}

TEST_F(ClassicBar, AmpersandIsShownAsIs) {
  TBarFixture<> f;
  f.bar->SetSizeGrip(false);
  f.bar->SetSimpleText(u"a&b");
  const TClientPicture withAmpersand(f.bar->Handle());
  f.bar->SetSimpleText(u"ab");
  const TClientPicture without(f.bar->Handle());
  // With prefix processing "a&b" would draw as an underlined "ab" of the same width.
  const RECT difference = withAmpersand.Difference(without);
  EXPECT_GT(difference.right - difference.left, 3);
}

TEST_F(ClassicBar, PanelsAreFramedAndTheirTextsAligned) {
  TBarFixture<> f(400);
  AddPanels(f.bar, 3);
  f.bar->Panels()->Items(1)->SetAlignment(taRightJustify);
  f.bar->Panels()->Items(2)->SetBevel(epbNone);
  const TClientPicture picture(f.bar->Handle());
  // Panel 0 (0,2)-(100,19), lowered.
  EXPECT_EQ(picture.At(50, 2), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(picture.At(99, 10), Sys(COLOR_BTNHIGHLIGHT));
  // The gap between panels is the bar's colour.
  EXPECT_EQ(picture.At(100, 10), Sys(COLOR_BTNFACE));
  EXPECT_EQ(picture.At(101, 10), Sys(COLOR_BTNFACE));
  // Panel 1's text sits at its right end, panel 0's at its left.
  auto dark = [](COLORREF c) { return c == Sys(COLOR_BTNTEXT); };
  EXPECT_EQ(picture.Count(RECT{104, 4, 170, 17}, dark), 0);
  EXPECT_GT(picture.Count(RECT{170, 4, 199, 17}, dark), 5);
  EXPECT_GT(picture.Count(RECT{3, 4, 30, 17}, dark), 5);
  // Panel 2 has no frame.
  EXPECT_EQ(picture.At(300, 2), Sys(COLOR_BTNFACE));
}

TEST_F(ClassicBar, GripOnAnotherColourIsDrawnAsLines) {
  TBarFixture<> f;
  f.bar->SetColor(TColor{0x808080});
  const TClientPicture picture(f.bar->Handle());
  const RECT square{283, 2, 298, 17};
  EXPECT_GT(picture.Count(square, [](COLORREF c) { return c == RGB(0xB2, 0xB2, 0xB2); }), 5);
  EXPECT_GT(picture.Count(square, [](COLORREF c) { return c == RGB(0x4E, 0x4E, 0x4E); }), 10);
}

TEST_F(ClassicBar, HTMLTextIsFormatted) {
  TBarFixture<> f;
  f.bar->SetSizeGrip(false);
  f.bar->SetSimpleTextIsHTML(true);
  f.bar->SetSimpleText(u"<font color=#FF0000>red</font> plain");
  const TClientPicture picture(f.bar->Handle());
  EXPECT_GT(picture.Count(RECT{1, 3, 40, 18}, [](COLORREF c) { return c == RGB(255, 0, 0); }), 5);
  EXPECT_GT(picture.Count(RECT{1, 3, 80, 18}, [](COLORREF c) { return c == Sys(COLOR_BTNTEXT); }), 5);
}

TEST_F(ClassicBar, HTMLImagesAreAskedForByName) {
  TBarFixture<> f;
  f.bar->SetSizeGrip(false);
  f.bar->SetSimpleTextIsHTML(true);
  TBitmap image;
  image.SetSize(6, 6);
  image.Canvas()->Brush()->SetColor(TColor{0x00FF00});
  image.Canvas()->FillRect(RECT{0, 0, 6, 6});
  std::vector<std::u16string> asked;
  f.bar->OnHTMLImageNeeded = [&](TObject* sender, const WideString& src, TBitmap*& result) {
    EXPECT_EQ(sender, f.bar);
    asked.push_back(src);
    if (src == u"dot") result = &image;
  };
  f.bar->SetSimpleText(u"<img src=dot><img src=none>x");
  const TClientPicture picture(f.bar->Handle());
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked[0], u"dot");
  EXPECT_EQ(picture.Count(RECT{1, 3, 20, 18}, [](COLORREF c) { return c == RGB(0, 255, 0); }), 36);
}

// ---- Themed look ----

TEST(ThemedBar, ThemeDrawsBackgroundTextAndGrip) {
  REQUIRE_ACTIVE_THEME();
  TBarFixture<> f;
  ASSERT_TRUE(f.bar->IsThemeApplied());
  f.bar->SetSimpleText(u"");
  const TClientPicture empty(f.bar->Handle());
  f.bar->SetSimpleText(u"Ready for DeCompression.");
  const TClientPicture text(f.bar->Handle());
  f.bar->SetSizeGrip(false);
  const TClientPicture noGrip(f.bar->Handle());
  // Nothing left unpainted, and the classic frame is not drawn.
  EXPECT_EQ(text.Count(RECT{0, 0, 300, 19}, [](COLORREF c) { return c == RGB(1, 2, 3); }), 0);
  const RECT written = text.Difference(empty);
  EXPECT_FALSE(IsRectEmpty(&written));
  EXPECT_LT(written.right, 200);
  const RECT grip = text.Difference(noGrip);
  EXPECT_FALSE(IsRectEmpty(&grip));
  EXPECT_TRUE(Inside(grip, RECT{300 - GetSystemMetrics(SM_CXVSCROLL) - 1, 2, 299, 18}));
}

TEST(ThemedBar, ThemedAndClassicPicturesDiffer) {
  REQUIRE_ACTIVE_THEME();
  TBarFixture<> f;
  f.bar->SetSimpleText(u"Ready");
  const TClientPicture themed(f.bar->Handle());
  f.bar->SetUseXPThemes(false);
  const TClientPicture classic(f.bar->Handle());
  const RECT difference = themed.Difference(classic);
  EXPECT_FALSE(IsRectEmpty(&difference));
}

// ---- Geometry, hit tests, mouse ----

TEST(StatusBar, PanelsAreLaidOutAcrossTheBar) {
  TBarFixture<> f(400);
  AddPanels(f.bar, 3);
  TElStatusPanels* panels = f.bar->Panels();
  EXPECT_EQ(panels->Items(2)->GetLeft(), 204);
  EXPECT_EQ(panels->Items(2)->CurWidth(), 196);
  EXPECT_EQ(f.bar->PanelAtPoint(POINT{150, 5}), panels->Items(1));
  EXPECT_EQ(f.bar->PanelAtPoint(POINT{101, 5}), nullptr);
  panels->Items(2)->SetVisible(false);
  EXPECT_EQ(panels->Items(1)->GetRight(), 400);
  EXPECT_EQ(panels->LastVisiblePanel(), panels->Items(1));
  // Resizing the form's window by 100 re-lays the panels out.
  RECT window;
  GetWindowRect(f.form->Handle(), &window);
  SetWindowPos(f.form->Handle(), nullptr, 0, 0, window.right - window.left + 100, window.bottom - window.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(panels->Items(1)->GetRight(), 500);
  f.bar->SetSimplePanel(true);
  EXPECT_EQ(f.bar->PanelAtPoint(POINT{150, 5}), nullptr);
}

TEST(StatusBar, SizeGripAnswersBottomRightOnlyOnANormalSizeableForm) {
  TBarFixture<> f;
  HWND bar = f.bar->Handle();
  HWND form = f.form->Handle();
  const LONG style = GetWindowLongW(form, GWL_STYLE);
  auto hit = [&](int x, int y) { return SendMessageW(bar, WM_NCHITTEST, 0, f.ScreenPoint(x, y)); };
  EXPECT_EQ(hit(295, 10), HTBOTTOMRIGHT);
  EXPECT_EQ(hit(283, 1), HTBOTTOMRIGHT);
  EXPECT_EQ(hit(282, 10), HTCLIENT);
  EXPECT_EQ(hit(100, 10), HTCLIENT);
  // Fixed size.
  SetWindowLongW(form, GWL_STYLE, style & ~WS_THICKFRAME);
  EXPECT_EQ(hit(295, 10), HTCLIENT);
  SetWindowLongW(form, GWL_STYLE, style);
  // Maximised.
  SetWindowLongW(form, GWL_STYLE, style | WS_MAXIMIZE);
  EXPECT_EQ(hit(295, 10), HTCLIENT);
  SetWindowLongW(form, GWL_STYLE, style);
  // Switched off.
  f.bar->SetSizeGrip(false);
  EXPECT_EQ(hit(295, 10), HTCLIENT);
}

TEST(StatusBar, SizeGripIsRefusedWhereItCannotWork) {
  TBarFixture<> f;
  // Another status bar after this one on the same form.
  auto* second = new TElStatusBar(f.form);
  second->SetParent(f.form);
  f.bar->SetSizeGrip(false);
  f.bar->SetSizeGrip(true);
  EXPECT_FALSE(f.bar->SizeGrip());
  second->SetSizeGrip(false);
  second->SetSizeGrip(true);
  EXPECT_TRUE(second->SizeGrip());
  // A parent that is not a form.
  auto* holder = new TElStatusBar(f.form);
  holder->SetParent(f.form);
  auto* inner = new TElStatusBar(f.form);
  inner->SetParent(holder);
  inner->SetSizeGrip(false);
  inner->SetSizeGrip(true);
  EXPECT_FALSE(inner->SizeGrip());
}

struct TEventLog {
  std::vector<std::string> lines;
  void Attach(TElStatusBar* bar) {
    auto name = [bar](TElStatusPanel* panel) {
      return panel == nullptr ? std::string("none") : std::to_string(panel->Index());
    };
    bar->OnClick = [this](TObject*) { lines.push_back("click"); };
    bar->OnPanelClick = [this, name](TObject*, TElStatusPanel* p) { lines.push_back("panel click " + name(p)); };
    bar->OnPanelDblClick = [this, name](TObject*, TElStatusPanel* p) {
      lines.push_back("panel double click " + name(p));
    };
    bar->OnPanelResize = [this, name](TObject*, TElStatusPanel* p) {
      lines.push_back("resize " + name(p) + " to " + std::to_string(p->Width()));
    };
  }
};

void Mouse(HWND window, UINT msg, int x, int y, WPARAM keys = 0) {
  SendMessageW(window, msg, keys, MAKELPARAM(x, y));
}

TEST(StatusBar, ClicksGoToThePanelOrTheBar) {
  TBarFixture<> f(400);
  AddPanels(f.bar, 3);
  TEventLog log;
  log.Attach(f.bar);
  HWND bar = f.bar->Handle();
  const struct {
    int x;
    const char* event;
  } cases[] = {{50, "panel click 0"}, {150, "panel click 1"}, {101, "click"}, {350, "panel click 2"}};
  for (const auto& c : cases) {
    log.lines.clear();
    Mouse(bar, WM_LBUTTONDOWN, c.x, 10, MK_LBUTTON);
    Mouse(bar, WM_LBUTTONUP, c.x, 10);
    EXPECT_EQ(log.lines, std::vector<std::string>{c.event}) << "x " << c.x;
  }
  log.lines.clear();
  Mouse(bar, WM_LBUTTONDBLCLK, 150, 10, MK_LBUTTON);
  Mouse(bar, WM_LBUTTONUP, 150, 10);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"panel double click 1", "panel click 1"}));
  // In simple mode every click is the bar's, once.
  f.bar->SetSimplePanel(true);
  log.lines.clear();
  Mouse(bar, WM_LBUTTONDOWN, 150, 10, MK_LBUTTON);
  Mouse(bar, WM_LBUTTONUP, 150, 10);
  EXPECT_EQ(log.lines, std::vector<std::string>{"click"});
}

TEST(StatusBar, DraggingAGapResizesThePanelLeftOfIt) {
  TBarFixture<> f(400);
  AddPanels(f.bar, 3);
  f.bar->SetResizablePanels(true);
  TEventLog log;
  log.Attach(f.bar);
  HWND bar = f.bar->Handle();
  // Pressed one pixel right of panel 0's edge: the line keeps that offset.
  Mouse(bar, WM_LBUTTONDOWN, 101, 10, MK_LBUTTON);
  EXPECT_EQ(GetCapture(), bar);
  Mouse(bar, WM_MOUSEMOVE, 151, 10, MK_LBUTTON);
  Mouse(bar, WM_LBUTTONUP, 151, 10);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(log.lines, std::vector<std::string>{"resize 0 to 150"});
  EXPECT_EQ(f.bar->Panels()->Items(1)->GetLeft(), 152);

  // Left of the panel's own left edge the line stays at its last valid place.
  log.lines.clear();
  Mouse(bar, WM_LBUTTONDOWN, 253, 10, MK_LBUTTON);  // the gap after panel 1 (152-252)
  Mouse(bar, WM_MOUSEMOVE, 200, 10, MK_LBUTTON);
  Mouse(bar, WM_MOUSEMOVE, 100, 10, MK_LBUTTON);
  Mouse(bar, WM_LBUTTONUP, 100, 10);
  EXPECT_EQ(log.lines, std::vector<std::string>{"resize 1 to 47"});

  // A panel that is not resizable is not.
  log.lines.clear();
  f.bar->Panels()->Items(0)->SetResizable(false);
  Mouse(bar, WM_LBUTTONDOWN, 151, 10, MK_LBUTTON);
  Mouse(bar, WM_MOUSEMOVE, 180, 10, MK_LBUTTON);
  Mouse(bar, WM_LBUTTONUP, 180, 10);
  EXPECT_EQ(log.lines, std::vector<std::string>{"click"});
  EXPECT_EQ(f.bar->Panels()->Items(0)->Width(), 150);
}

TEST(StatusBar, WithoutResizablePanelsAGapOnlyClicks) {
  TBarFixture<> f(400);
  AddPanels(f.bar, 2);
  TEventLog log;
  log.Attach(f.bar);
  HWND bar = f.bar->Handle();
  Mouse(bar, WM_LBUTTONDOWN, 101, 10, MK_LBUTTON);
  Mouse(bar, WM_MOUSEMOVE, 150, 10, MK_LBUTTON);
  Mouse(bar, WM_LBUTTONUP, 150, 10);
  EXPECT_EQ(log.lines, std::vector<std::string>{"click"});
  EXPECT_EQ(f.bar->Panels()->Items(0)->Width(), 100);
}

TEST(StatusBar, PanelControlIsPlacedInsideItsPanel) {
  TBarFixture<> f(400);
  AddPanels(f.bar, 2);
  auto* hosted = new TElStatusBar(f.form);  // any control will do
  hosted->SetAlign(alNone);
  TElStatusPanel* last = f.bar->Panels()->Items(1);
  last->SetStyle(epsControl);
  last->SetControl(hosted);
  EXPECT_EQ(hosted->Parent(), f.bar);
  // Panel 1 is (102,2)-(400,19); 2 in, and clear of the grip.
  const int grip = GetSystemMetrics(SM_CXVSCROLL) + 1;
  EXPECT_EQ(hosted->Left(), 104);
  EXPECT_EQ(hosted->Top(), 4);
  EXPECT_EQ(hosted->Width(), 398 - 104 - grip);
  EXPECT_EQ(hosted->Height(), 13);
  EXPECT_TRUE(hosted->Visible());
  f.bar->SetSimplePanel(true);
  EXPECT_FALSE(hosted->Visible());
  f.bar->SetSimplePanel(false);
  EXPECT_TRUE(hosted->Visible());
  last->SetStyle(epsText);
  EXPECT_FALSE(hosted->Visible());
  // A control that goes leaves its panel.
  delete hosted;
  EXPECT_EQ(last->Control(), nullptr);
}

TEST(StatusBar, PanelAssignCopiesItsSettings) {
  TBarFixture<> f(400);
  AddPanels(f.bar, 2);
  TElStatusPanel* source = f.bar->Panels()->Items(0);
  source->SetText(u"copied");
  source->SetWidth(77);
  source->SaveWidth();
  source->SetAlignment(taCenter);
  source->SetBevel(epbRaised);
  source->SetVisible(false);
  f.bar->Panels()->SetItems(1, *source);
  const TElStatusPanel* copy = f.bar->Panels()->Items(1);
  EXPECT_EQ(copy->Text(), u"copied");
  EXPECT_EQ(copy->Width(), 77);
  EXPECT_EQ(copy->SavedWidth(), 77);
  EXPECT_EQ(copy->Alignment(), taCenter);
  EXPECT_EQ(copy->Bevel(), epbRaised);
  EXPECT_FALSE(copy->Visible());
}

TEST(StatusBar, HintComesFromThePanelUnderTheCursorOrTheBar) {
  TBarFixture<> f(400);
  AddPanels(f.bar, 3);
  f.bar->SetHint(u"Bar hint|the long part");
  f.bar->Panels()->Items(0)->SetHint(u"\u0416 panel zero|long");
  const struct {
    int x;
    const char16_t* shown;  // empty: no hint
  } cases[] = {{50, u"\u0416 panel zero"}, {150, u"Bar hint"}, {101, u"Bar hint"}};
  for (const auto& c : cases) {
    THintInfo info;
    info.HintControl = f.bar;
    info.CursorPos = POINT{c.x, 10};
    info.HintStr = GetShortHint(static_cast<TControl*>(f.bar)->Hint());
    EXPECT_EQ(f.bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
    WideString shown;
    ASSERT_TRUE(DecodeUnicodeHint(info.HintStr, shown)) << "x " << c.x;
    EXPECT_EQ(shown, c.shown) << "x " << c.x;
  }
  // Over a panel the hint is asked for again once the cursor leaves it.
  THintInfo info;
  info.CursorPos = POINT{50, 10};
  f.bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.CursorRect.left, 0);
  EXPECT_EQ(info.CursorRect.right, 100);
  // No text anywhere: no hint.
  f.bar->SetHint(u"");
  info = THintInfo();
  info.CursorPos = POINT{150, 10};
  info.HintStr = "stale";
  f.bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_TRUE(info.HintStr.empty());
}

// Records the area each paint covers.
class TRecordingBar : public TElStatusBar {
 public:
  using TElStatusBar::TElStatusBar;
  std::vector<RECT> painted;

 protected:
  void Paint() override {
    RECT clip;
    GetClipBox(Canvas()->Handle(), &clip);
    painted.push_back(clip);
    TElStatusBar::Paint();
  }
};

TEST(StatusBar, ChangingOnePanelRepaintsOnlyThatPanel) {
  TBarFixture<TRecordingBar> f(400);
  AddPanels(f.bar, 3);
  f.form->Show();
  PumpFor(50);
  f.bar->painted.clear();
  f.bar->Panels()->Items(1)->SetText(u"changed");
  ASSERT_EQ(f.bar->painted.size(), 1u);
  const RECT expected{102, 2, 202, 19};
  EXPECT_TRUE(EqualRect(&f.bar->painted[0], &expected));
  f.bar->painted.clear();
  f.bar->Panels()->Items(1)->SetWidth(120);  // every panel moves
  ASSERT_FALSE(f.bar->painted.empty());
  EXPECT_EQ(f.bar->painted.back().right - f.bar->painted.back().left, 400);
  f.form->Hide();
}

TEST(StatusBar, AutoSizedPanelFollowsItsText) {
  TBarFixture<> f(400);
  AddPanels(f.bar, 2);
  TElStatusPanel* panel = f.bar->Panels()->Items(0);
  panel->SetAutoSize(true);
  panel->SetText(u"A much longer text than before");
  const int wide = panel->Width();
  EXPECT_EQ(wide, panel->CalcAutoSize());
  panel->SetText(u"A");
  EXPECT_LT(panel->Width(), wide);
  EXPECT_GT(panel->Width(), 6);
}

}  // namespace
