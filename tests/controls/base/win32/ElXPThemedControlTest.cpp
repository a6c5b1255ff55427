#include "controls/base/win32/ElXPThemedControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/base/win32/ElThemesForcedOff.h"
#include "tests/controls/base/win32/ThemedControlTestSupport.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

bool Saw(const std::vector<UINT>& messages, UINT msg) {
  return std::find(messages.begin(), messages.end(), msg) != messages.end();
}

// The tests that need a theme say so instead of passing without one.
#define REQUIRE_ACTIVE_THEME()                                                     \
  if (!TElThemeLibrary::ThemeActive()) GTEST_SKIP() << "no theme is active here"

TEST(ThemedControl, HoldsThemeDataExactlyWhileItsWindowExists) {
  REQUIRE_ACTIVE_THEME();
  TThemedFixture f;
  TTestThemedControl* control = f.control;
  ASSERT_NE(control->Theme(), nullptr);
  EXPECT_TRUE(control->IsThemeApplied());
  // The set's query message answers the handle; other windows answer nothing.
  EXPECT_EQ(ElThemeOfWindow(control->Handle()), control->Theme());
  EXPECT_EQ(ElThemeOfWindow(f.form->Handle()), nullptr);
  EXPECT_EQ(ElThemeOfWindow(nullptr), nullptr);

  control->DestroyHandle();
  EXPECT_EQ(control->Theme(), nullptr);
  EXPECT_FALSE(control->IsThemeApplied());
  EXPECT_EQ(control->freed, 1);
  control->HandleNeeded();
  EXPECT_NE(control->Theme(), nullptr);
  EXPECT_EQ(control->opened, 2);
}

TEST(ThemedControl, SwitchingUseXPThemesClosesOrOpensTheHandleAndRecreatesTheWindow) {
  REQUIRE_ACTIVE_THEME();
  TThemedFixture f;
  TTestThemedControl* control = f.control;
  const int made = control->windowsMade;
  control->SetUseXPThemes(false);
  EXPECT_EQ(control->Theme(), nullptr);
  EXPECT_FALSE(control->IsThemeApplied());
  EXPECT_EQ(control->windowsMade, made + 1);
  EXPECT_EQ(ElThemeOfWindow(control->Handle()), nullptr);
  control->SetUseXPThemes(false);  // unchanged: nothing happens
  EXPECT_EQ(control->windowsMade, made + 1);
  control->SetUseXPThemes(true);
  EXPECT_TRUE(control->IsThemeApplied());
  EXPECT_EQ(control->windowsMade, made + 2);
  // Every handle opened was closed again, but the one held now.
  EXPECT_EQ(control->opened, control->freed + 1);
}

TEST(ThemedControl, WithThemesUnavailableTheSwitchIsOnlyStored) {
  TElThemesForcedOff off;
  TThemedFixture f;
  TTestThemedControl* control = f.control;
  EXPECT_EQ(control->Theme(), nullptr);
  EXPECT_FALSE(control->IsThemeApplied());
  const int made = control->windowsMade;
  control->SetUseXPThemes(false);
  EXPECT_FALSE(control->UseXPThemes());
  control->SetUseXPThemes(true);
  EXPECT_TRUE(control->UseXPThemes());
  EXPECT_EQ(control->windowsMade, made);
  EXPECT_FALSE(control->IsThemeApplied());
  EXPECT_EQ(control->opened, 0);
}

TEST(ThemedControl, ThemeChangeReopensTheHandleAndRecalculatesTheFrame) {
  REQUIRE_ACTIVE_THEME();
  TThemedFixture f;
  TTestThemedControl* control = f.control;
  // Only a shown window collects an update region.
  f.form->Show();
  ValidateRect(control->Handle(), nullptr);
  control->defaulted.clear();
  EXPECT_EQ(SendMessageW(control->Handle(), WM_THEMECHANGED, 0, 0), 1);
  EXPECT_EQ(control->freed, 1);
  EXPECT_EQ(control->opened, 2);
  EXPECT_NE(control->Theme(), nullptr);
  EXPECT_TRUE(Saw(control->defaulted, WM_NCCALCSIZE));
  RECT update;
  EXPECT_TRUE(GetUpdateRect(control->Handle(), &update, FALSE));
  f.form->Hide();
}

TEST(ThemedControl, ThemeChangeWithoutThemesIsOnlyAnswered) {
  TElThemesForcedOff off;
  TThemedFixture f;
  TTestThemedControl* control = f.control;
  control->defaulted.clear();
  EXPECT_EQ(SendMessageW(control->Handle(), WM_THEMECHANGED, 0, 0), 1);
  EXPECT_EQ(control->opened + control->freed, 0);
  EXPECT_FALSE(Saw(control->defaulted, WM_NCCALCSIZE));
}

TEST(ThemedControl, SuppressionFlagKeepsStyleChangesFromTheControl) {
  TThemedFixture f;
  TTestThemedControl* control = f.control;
  HWND window = control->Handle();
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  control->BlockStyleChanges(true);
  control->defaulted.clear();
  SetWindowLongW(window, GWL_STYLE, style | WS_BORDER);
  EXPECT_FALSE(Saw(control->defaulted, WM_STYLECHANGING));
  EXPECT_FALSE(Saw(control->defaulted, WM_STYLECHANGED));
  EXPECT_EQ(SendMessageW(window, WM_STYLECHANGED, GWL_STYLE, 0), 0);
  control->BlockStyleChanges(false);
  SetWindowLongW(window, GWL_STYLE, style);
  EXPECT_TRUE(Saw(control->defaulted, WM_STYLECHANGING));
  EXPECT_TRUE(Saw(control->defaulted, WM_STYLECHANGED));
}

TEST(ThemedControl, BorderAndBevelShrinkTheClientArea) {
  TThemedFixture f;
  TTestThemedControl* control = f.control;
  EXPECT_EQ(control->ClientWidth(), 100);
  control->SetBorderWidth(3);
  EXPECT_EQ(control->ClientWidth(), 94);
  EXPECT_EQ(control->ClientHeight(), 24);
  control->SetBevelKind(bkTile);  // inner raised and outer lowered: 2 pixels
  EXPECT_EQ(control->ClientWidth(), 90);
  control->SetBevelEdges(beLeft | beTop);
  EXPECT_EQ(control->ClientWidth(), 92);
  EXPECT_EQ(control->ClientHeight(), 22);
  control->SetBevelKind(bkNone);
  control->SetBorderWidth(0);
  EXPECT_EQ(control->ClientWidth(), 100);
}

// The non-client area as the screen shows it.
COLORREF WindowPixel(HWND window, int x, int y) {
  HDC dc = GetWindowDC(window);
  const COLORREF color = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return color;
}

TEST(ThemedControl, ClassicBevelIsDrawnAroundTheBorder) {
  TElThemesForcedOff off;
  TThemedFixture f;
  TTestThemedControl* control = f.control;
  control->SetColor(TColor{0x0000FF});
  control->SetBorderWidth(2);
  control->SetBevelKind(bkTile);
  control->SetBevelInner(bvNone);  // only the outer, lowered edge: 1 pixel
  f.form->Show();
  RedrawWindow(control->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  PumpFor(50);
  HWND window = control->Handle();
  EXPECT_EQ(WindowPixel(window, 0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(WindowPixel(window, 99, 29), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(WindowPixel(window, 2, 2), RGB(255, 0, 0));    // border
  EXPECT_EQ(WindowPixel(window, 97, 27), RGB(255, 0, 0));  // border
  f.form->Hide();
}

TEST(ThemedControl, ThemedBevelIsDrawnByTheTheme) {
  REQUIRE_ACTIVE_THEME();
  TThemedFixture f;
  TTestThemedControl* control = f.control;
  control->SetColor(TColor{0x0000FF});
  control->SetBorderWidth(2);
  control->SetBevelKind(bkTile);
  control->SetBevelInner(bvNone);
  f.form->Show();
  RedrawWindow(control->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  PumpFor(50);
  // The theme's background covers the border: not the control's colour.
  EXPECT_NE(WindowPixel(control->Handle(), 2, 2), RGB(255, 0, 0));
  f.form->Hide();
}

// ---- Style manager ----

TEST(StyleManager, AppliesTheNamedStyleWhenLinkedAndAgainOnEveryChange) {
  TThemedFixture f;
  TTestThemedControl* control = f.control;
  TElStyleManager manager(nullptr);
  manager.SetStyle("Note", {{"Color", "clInfoBk"}, {"Font.Style", "fsBold, fsItalic"}, {"Unknown", "x"}});
  control->SetStyleName("Note");
  EXPECT_TRUE(control->applied.empty());  // no manager yet
  control->SetStyleManager(&manager);
  EXPECT_EQ(manager.LinkCount(), 1);
  EXPECT_EQ(control->Color(), clInfoBk);
  EXPECT_EQ(control->Font()->Style(), fsBold | fsItalic);
  EXPECT_EQ(control->applied.size(), 3u);  // the unknown property is offered and left
  manager.SetStyle("Note", {{"Color", "#102030"}});
  EXPECT_EQ(control->Color(), 0x302010);
  manager.SetStyle("Other", {{"Color", "clRed"}});  // any change applies the control's own style
  EXPECT_EQ(control->Color(), 0x302010);
  control->SetStyleManager(nullptr);
  EXPECT_EQ(manager.LinkCount(), 0);
  manager.SetStyle("Note", {{"Color", "clWindow"}});
  EXPECT_EQ(control->Color(), 0x302010);
}

TEST(StyleManager, ValueThatCannotBeReadNamesStylePropertyAndValue) {
  TThemedFixture f;
  TElStyleManager manager(nullptr);
  manager.SetStyle("Bad", {{"Font.Height", "twelve"}});
  f.control->SetStyleManager(&manager);
  try {
    f.control->SetStyleName("Bad");
    FAIL() << "no error";
  } catch (const EElStyleError& error) {
    EXPECT_EQ(error.Message(), "Style \"Bad\": Invalid value \"twelve\" for Font.Height");
  }
  // Redraw is on again after the failure (switching it off hides the window's style bit).
  EXPECT_NE(GetWindowLongW(f.control->Handle(), GWL_STYLE) & WS_VISIBLE, 0);
  f.control->SetStyleManager(nullptr);
}

TEST(StyleManager, DestroyedManagerIsDroppedAndStopsBeingTheDefault) {
  TThemedFixture f;
  auto manager = std::make_unique<TElStyleManager>(nullptr);
  TElStyleManager::SetDefaultManager(manager.get());
  f.control->SetStyleManager(manager.get());
  manager.reset();
  EXPECT_EQ(f.control->StyleManager(), nullptr);
  EXPECT_EQ(TElStyleManager::DefaultManager(), nullptr);
}

TEST(StyleManager, NewControlsPickUpTheDefaultManagerOnceMade) {
  TElStyleManager manager(nullptr);
  manager.SetStyle("", {{"Color", "clTeal"}});
  TElStyleManager::SetDefaultManager(&manager);
  {
    TThemedFixture f;
    // The constructor's BeginCreate/EndCreate pair picked it up at its end.
    EXPECT_EQ(f.control->StyleManager(), &manager);
    EXPECT_EQ(f.control->Color(), 0x808000);
    // Nested creation brackets pick it up only when the outermost ends.
    TTestThemedControl second(nullptr);
    second.SetStyleManager(nullptr);
    second.BeginCreate();
    second.BeginCreate();
    second.EndCreate();
    EXPECT_EQ(second.StyleManager(), nullptr);
    second.EndCreate();
    EXPECT_EQ(second.StyleManager(), &manager);
  }
  TElStyleManager::SetDefaultManager(nullptr);
  TThemedFixture without;
  EXPECT_EQ(without.control->StyleManager(), nullptr);
}

TEST(StyleValues, ReadsColoursBooleansNumbersAndFontStyles) {
  TThemedFixture f;
  TTestThemedControl* control = f.control;
  const struct {
    const char* property;
    const char* value;
    bool accepted;
  } cases[] = {{"Color", "clBtnFace", true},     {"Color", "$00FF0000", true}, {"Color", "#GG0000", false},
               {"Color", "-5", false},           {"Color", "", false},         {"UseXPThemes", "TRUE", true},
               {"UseXPThemes", "yes", false},    {"BorderWidth", "2", true},   {"BorderWidth", "2.5", false},
               {"BorderWidth", "99999999999", false}, {"Font.Style", "", true}, {"Font.Style", "fsBold,", false},
               {"BevelKind", "bkFlat", true},    {"BevelKind", "flat", false}};
  for (const auto& c : cases) {
    bool accepted = true;
    try {
      control->SetStyleProperty(c.property, c.value);
    } catch (const EConvertError&) {
      accepted = false;
    }
    EXPECT_EQ(accepted, c.accepted) << c.property << " = \"" << c.value << "\"";
  }
  EXPECT_EQ(control->Color(), 0xFF0000);  // the last colour accepted
  EXPECT_EQ(control->BevelKind(), bkFlat);
  EXPECT_EQ(control->BorderWidth(), 2);
}

}  // namespace
