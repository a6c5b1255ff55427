#include "controls/edit/win32/ElButtonEdit.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/win32/Application.h"
#include "framework/win32/Form.h"
#include "framework/win32/Menus.h"
#include "framework/win32/StdCtrls.h"
#include "tests/support/Win32GuiTestSupport.h"
#include "tests/support/WhileModal.h"

namespace {

// A shown form with one button edit, 300 x 21 with the sunken edge (a
// 296 x 17 client area), whose button events are written to a log.
struct TButtonEditForm {
  TButtonEditForm() {
    form = new TForm(Application);
    form->SetClientSize(400, 200);
    form->Font()->SetName(u"MS Sans Serif");
    form->Font()->SetHeight(-11);
    edit = new TElButtonEdit(form);
    edit->SetParent(form);
    edit->SetName("Edit");
    edit->SetBounds(10, 10, 300, 21);
    edit->OnButtonClick = [this](TObject* sender) { Note("Button", sender); };
    edit->OnAltButtonClick = [this](TObject* sender) { Note("AltButton", sender); };
    form->Show();
    edit->HandleNeeded();
    PumpFor(20);
  }
  ~TButtonEditForm() { delete form; }
  TButtonEditForm(const TButtonEditForm&) = delete;
  TButtonEditForm& operator=(const TButtonEditForm&) = delete;

  void Note(const std::string& event, TObject* sender) {
    log.push_back(sender == edit ? event : event + " from another sender");
  }
  std::vector<std::string> Take() { return std::exchange(log, {}); }

  RECT Client() {
    RECT client;
    GetClientRect(edit->Handle(), &client);
    return client;
  }
  static RECT Bounds(const TControl* control) {
    return RECT{control->Left(), control->Top(), control->Left() + control->Width(),
                control->Top() + control->Height()};
  }
  // A left click at a client point of the edit, as the mouse gives it.
  void ClickAt(int x, int y) {
    SendMessageW(edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(edit->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  void ClickMiddleOf(const TControl* button) {
    ClickAt(button->Left() + button->Width() / 2, button->Top() + button->Height() / 2);
  }
  void Key(WPARAM key) {
    SendMessageW(edit->Handle(), WM_KEYDOWN, key, 1);
    SendMessageW(edit->Handle(), WM_KEYUP, key, 0xC0000001);
  }

  TForm* form = nullptr;
  TElButtonEdit* edit = nullptr;
  std::vector<std::string> log;
};

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + ")";
}

TEST(ButtonEditTest, ANewEditHasAVisible15PixelMainButtonAndAHiddenAlternateOne) {
  TButtonEditForm f;
  TElButtonEdit& e = *f.edit;
  EXPECT_EQ(e.ButtonWidth(), -1);
  EXPECT_EQ(e.AltButtonWidth(), -1);
  EXPECT_EQ(e.Button()->Width(), 15);
  EXPECT_TRUE(e.ButtonVisible());
  EXPECT_FALSE(e.AltButtonVisible());
  EXPECT_TRUE(e.ButtonEnabled());
  EXPECT_EQ(e.AltButtonPosition(), taRightJustify);
  EXPECT_EQ(e.ButtonShortcut(), 0);
  EXPECT_EQ(e.ButtonPopupPlace(), ppDown);
  EXPECT_EQ(e.ButtonCaption(), "");
  EXPECT_EQ(e.ButtonColor(), clBtnFace);
  EXPECT_FALSE(e.Button()->ParentColor());
  EXPECT_FALSE(e.Button()->AdjustSpaceForGlyph());
  EXPECT_EQ(e.Button()->Cursor(), crArrow);
  EXPECT_TRUE(e.TabStop());
  EXPECT_EQ(e.Button()->Parent(), &e);
  EXPECT_EQ(e.AltButton()->Parent(), &e);
}

TEST(ButtonEditTest, WidthsReadBackAsStoredAndMinusOneMeansTheScrollBarWidth) {
  TButtonEditForm f;
  struct Case {
    int stored;
    int shown;
  };
  const int system = GetSystemMetrics(SM_CXVSCROLL);
  for (const Case& c : {Case{75, 75}, Case{-1, system}, Case{40, 40}}) {
    f.edit->SetButtonWidth(c.stored);
    EXPECT_EQ(f.edit->ButtonWidth(), c.stored);
    EXPECT_EQ(f.edit->Button()->Width(), c.shown);
    // The text area ends where the button begins.
    EXPECT_EQ(f.edit->TextArea().right, f.Client().right - c.shown) << c.stored;
  }
}

TEST(ButtonEditTest, ButtonsSitInsideTheClientAreaAndTheTextAreaShrinksByTheirWidths) {
  struct Case {
    const char* name;
    bool mainVisible;
    bool altVisible;
    TLeftRight altPosition;
    RECT main, alt, text;  // in the client area of 296 x 17
  };
  const Case cases[] = {
      {"main only", true, false, taRightJustify, {246, 0, 296, 17}, {}, {0, 0, 246, 17}},
      {"alternate left of main", true, true, taRightJustify, {246, 0, 296, 17}, {216, 0, 246, 17},
       {0, 0, 216, 17}},
      {"alternate at the left edge", true, true, taLeftJustify, {246, 0, 296, 17}, {0, 0, 30, 17},
       {30, 0, 246, 17}},
      {"alternate alone at the right", false, true, taRightJustify, {}, {266, 0, 296, 17}, {0, 0, 266, 17}},
      {"no buttons", false, false, taRightJustify, {}, {}, {0, 0, 296, 17}},
  };
  for (const Case& c : cases) {
    TButtonEditForm f;
    TElButtonEdit& e = *f.edit;
    e.SetButtonWidth(50);
    e.SetAltButtonWidth(30);
    e.SetButtonVisible(c.mainVisible);
    e.SetAltButtonVisible(c.altVisible);
    e.SetAltBtnAlign(c.altPosition);
    PumpFor(10);
    if (c.mainVisible) {
      EXPECT_EQ(Show(TButtonEditForm::Bounds(e.Button())), Show(c.main)) << c.name;
    }
    if (c.altVisible) {
      EXPECT_EQ(Show(TButtonEditForm::Bounds(e.AltButton())), Show(c.alt)) << c.name;
    }
    EXPECT_EQ(Show(e.TextArea()), Show(c.text)) << c.name;
  }
}

TEST(ButtonEditTest, AThinBorderWithoutCtl3DInsetsButtonsAndTextByOnePixel) {
  TButtonEditForm f;
  TElButtonEdit& e = *f.edit;
  e.SetCtl3D(false);
  e.SetButtonWidth(50);
  e.SetAltButtonWidth(30);
  e.SetAltButtonVisible(true);
  e.SetAltBtnAlign(taLeftJustify);
  PumpFor(10);
  const RECT client = f.Client();
  const int w = client.right;
  const int h = client.bottom;
  EXPECT_EQ(Show(TButtonEditForm::Bounds(e.Button())), Show(RECT{w - 51, 1, w - 1, h - 1}));
  EXPECT_EQ(Show(TButtonEditForm::Bounds(e.AltButton())), Show(RECT{1, 1, 31, h - 1}));
  EXPECT_EQ(Show(e.TextArea()), Show(RECT{31, 1, w - 51, h - 1}));
}

TEST(ButtonEditTest, ResizingKeepsTheButtonAtTheRightEdgeAndAMultiLineButtonSquare) {
  TButtonEditForm f;
  TElButtonEdit& e = *f.edit;
  e.SetButtonWidth(20);
  e.SetBounds(10, 10, 200, 21);
  PumpFor(10);
  EXPECT_EQ(Show(TButtonEditForm::Bounds(e.Button())), Show(RECT{176, 0, 196, 17}));
  EXPECT_EQ(e.TextArea().right, 176);

  e.SetMultiline(true);
  e.SetBounds(10, 10, 200, 80);
  PumpFor(10);
  const RECT client = f.Client();
  EXPECT_EQ(Show(TButtonEditForm::Bounds(e.Button())), Show(RECT{client.right - 20, 0, client.right, 20}));
  EXPECT_EQ(e.TextArea().right, client.right - 20);
  EXPECT_EQ(e.TextArea().bottom, client.bottom);
}

TEST(ButtonEditTest, ClicksOnEachButtonRaiseTheEditsOwnEventAndTheTextAreaRaisesNone) {
  TButtonEditForm f;
  TElButtonEdit& e = *f.edit;
  e.SetButtonWidth(50);
  e.SetAltButtonWidth(30);
  e.SetAltButtonVisible(true);
  PumpFor(10);
  f.ClickMiddleOf(e.Button());
  EXPECT_EQ(f.Take(), (std::vector<std::string>{"Button"}));
  f.ClickMiddleOf(e.AltButton());
  EXPECT_EQ(f.Take(), (std::vector<std::string>{"AltButton"}));
  f.ClickAt(20, 8);
  EXPECT_TRUE(f.Take().empty());
  // Pressed on the button, released over the text: no click.
  SendMessageW(e.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(260, 8));
  SendMessageW(e.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 8));
  EXPECT_TRUE(f.Take().empty());
  // The framework's click entry of a button goes the same way.
  e.AltButton()->Click();
  EXPECT_EQ(f.Take(), (std::vector<std::string>{"AltButton"}));
}

TEST(ButtonEditTest, AShortcutClicksItsVisibleEnabledButtonOnly) {
  struct Case {
    const char* name;
    TShortCut mainShortcut;
    TShortCut altShortcut;
    bool mainVisible;
    bool mainEnabled;
    WPARAM key;
    std::vector<std::string> events;
  };
  const std::vector<Case> cases = {
      {"F4 on the main button", VK_F4, 0, true, true, VK_F4, {"Button"}},
      {"F4 on the alternate button", 0, VK_F4, true, true, VK_F4, {"AltButton"}},
      {"main button hidden", VK_F4, 0, false, true, VK_F4, {}},
      {"main button disabled", VK_F4, 0, true, false, VK_F4, {}},
      {"another key", VK_F4, 0, true, true, VK_F5, {}},
      {"Shift+F4 wanted, F4 pressed", ShortCut(VK_F4, scShift), 0, true, true, VK_F4, {}},
      {"no shortcut", 0, 0, true, true, VK_F4, {}},
  };
  for (const Case& c : cases) {
    TButtonEditForm f;
    TElButtonEdit& e = *f.edit;
    e.SetAltButtonVisible(true);
    e.SetButtonShortcut(c.mainShortcut);
    e.SetAltButtonShortcut(c.altShortcut);
    e.SetButtonVisible(c.mainVisible);
    e.SetButtonEnabled(c.mainEnabled);
    e.SetFocus();
    PumpFor(10);
    f.Key(c.key);
    EXPECT_EQ(f.Take(), c.events) << c.name;
  }
}

TEST(ButtonEditTest, EscapeReachesTheFormsCancelButtonAndEnterIsNotKeptInASingleLine) {
  TButtonEditForm f;
  auto* cancel = new TButton(f.form);
  cancel->SetParent(f.form);
  cancel->SetBounds(10, 50, 75, 25);
  cancel->SetCancel(true);
  int cancelled = 0;
  cancel->OnClick = [&cancelled](TObject*) { ++cancelled; };
  std::vector<char16_t> pressed;
  f.edit->OnKeyPress = [&pressed](TObject*, char16_t& key) { pressed.push_back(key); };
  f.edit->SetText(u"C:\\");
  f.edit->SetFocus();
  PumpFor(10);
  f.Key(VK_ESCAPE);
  EXPECT_EQ(cancelled, 1);

  // The edit's handling sees Enter (its OnKeyPress), the text does not.
  SendMessageW(f.edit->Handle(), WM_CHAR, u'\r', 1);
  EXPECT_EQ(pressed, (std::vector<char16_t>{u'\r'}));
  EXPECT_EQ(f.edit->Text(), u"C:\\");
}

TEST(ButtonEditTest, ADisabledEditShowsItsButtonsDisabledKeepsTheirEnabledAndPassesNoClick) {
  TButtonEditForm f;
  TElButtonEdit& e = *f.edit;
  e.SetButtonWidth(50);
  e.SetEnabled(false);
  PumpFor(10);
  e.Button()->Repaint();
  EXPECT_TRUE(e.ButtonEnabled());
  EXPECT_EQ(e.Button()->State(), ebsDisabled);
  f.ClickMiddleOf(e.Button());
  EXPECT_TRUE(f.Take().empty());

  e.SetEnabled(true);
  PumpFor(10);
  EXPECT_EQ(e.Button()->State(), ebsUp);
  f.ClickMiddleOf(e.Button());
  EXPECT_EQ(f.Take(), (std::vector<std::string>{"Button"}));
}

TEST(ButtonEditTest, AFlatEditWithLineBordersInBothStatesGivesItsButtonsTheFlatLookInTheLineColours) {
  struct Case {
    bool flat;
    TElFlatBorderType active, inactive;
    bool moneyFlat;
  };
  for (const Case& c : {Case{true, fbtColorLineBorder, fbtColorLineBorder, true},
                        Case{false, fbtColorLineBorder, fbtColorLineBorder, false},
                        Case{true, fbtSunken, fbtColorLineBorder, false},
                        Case{true, fbtColorLineBorder, fbtSunkenOuter, false}}) {
    TButtonEditForm f;
    TElButtonEdit& e = *f.edit;
    e.SetLineBorderActiveColor(clRed);
    e.SetLineBorderInactiveColor(clGreen);
    e.SetActiveBorderType(c.active);
    e.SetInactiveBorderType(c.inactive);
    e.SetFlat(c.flat);
    for (TElEditBtn* button : {e.Button(), e.AltButton()}) {
      EXPECT_EQ(button->MoneyFlat(), c.moneyFlat) << c.flat << c.active << c.inactive;
      // The colours are copied either way.
      EXPECT_EQ(button->MoneyFlatActiveColor(), clRed);
      EXPECT_EQ(button->MoneyFlatDownColor(), clRed);
      EXPECT_EQ(button->MoneyFlatInactiveColor(), clGreen);
    }
  }
}

BOOL CALLBACK FindOpenMenu(HWND window, LPARAM data) {
  wchar_t name[16] = {0};
  GetClassNameW(window, name, 16);
  if (lstrcmpW(name, L"#32768") == 0 && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
  }
  return TRUE;
}

TEST(ButtonEditTest, AButtonsPullDownMenuOpensWhereItsPopupPlaceSays) {
  struct Case {
    TPopupPlace place;
    int dx, dy;  // from the button's top-left corner on the screen
  };
  TButtonEditForm f;
  TElButtonEdit& e = *f.edit;
  e.SetButtonWidth(50);
  auto* menu = new TPopupMenu(f.form);
  for (const char16_t* caption : {u"One", u"Two"}) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(caption);
    menu->Items()->Add(item);
  }
  e.SetButtonPullDownMenu(menu);
  PumpFor(10);
  const POINT corner = e.Button()->ClientToScreen(POINT{0, 0});
  for (const Case& c : {Case{ppDown, 0, e.Button()->Height()}, Case{ppRight, e.Button()->Width(), 0}}) {
    e.SetButtonPopupPlace(c.place);
    RECT shown{-1, -1, -1, -1};
    HWND owner = f.form->Handle();
    {
      TWhileModal closer([&shown, owner] {
        HWND open = nullptr;
        EnumWindows(FindOpenMenu, reinterpret_cast<LPARAM>(&open));
        if (open == nullptr) return false;
        GetWindowRect(open, &shown);
        PostMessageW(owner, WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
      });
      f.ClickMiddleOf(e.Button());
      PumpFor(30);
    }
    EXPECT_EQ(shown.left, corner.x + c.dx) << c.place;
    EXPECT_EQ(shown.top, corner.y + c.dy) << c.place;
    // The click itself still reaches the edit.
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"Button"})) << c.place;
  }
}

}  // namespace
