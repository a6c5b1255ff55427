// Popup menus and hints, through the platform's menu loop and the mouse.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/UnicodeHint.h"
#include "framework/win32/Application.h"
#include "framework/win32/Form.h"
#include "framework/win32/Menus.h"
#include "platform/CodePage.h"
#include "tests/framework/win32/RecordingControls.h"
#include "tests/support/Win32GuiTestSupport.h"
#include "tests/support/WhileModal.h"

namespace {

using Lines = std::vector<std::string>;

BOOL CALLBACK FindOpenMenu(HWND window, LPARAM data) {
  wchar_t name[16] = {0};
  GetClassNameW(window, name, 16);
  if (lstrcmpW(name, L"#32768") == 0 && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
  }
  return TRUE;
}

// Acts once on the open popup menu, from inside the menu's own loop.
class TMenuDriver {
 public:
  explicit TMenuDriver(std::function<void(HWND menuWindow)> step)
      : FWhileOpen([step = std::move(step)] {
          HWND menu = nullptr;
          EnumWindows(FindOpenMenu, reinterpret_cast<LPARAM>(&menu));
          if (menu == nullptr) return false;
          step(menu);
          return true;
        }) {}

 private:
  TWhileModal FWhileOpen;
};

void PressKeys(HWND window, std::initializer_list<WPARAM> keys) {
  for (WPARAM key : keys) PostMessageW(window, WM_KEYDOWN, key, 0);
}

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The pointer starts away from the form, wherever an earlier program on
    // this display left it.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    form = new TForm(Application);
    form->SetClientSize(300, 200);
    control = new TRecordingControl(form, "control", log);
    control->SetParent(form);
    control->SetBounds(10, 10, 120, 80);
    graphic = new TRecordingGraphic(form, "graphic", log);
    graphic->SetParent(form);
    graphic->SetBounds(150, 10, 60, 40);
    menu = new TPopupMenu(form);
    for (const char16_t* caption : {u"First", u"-", u"Second"}) {
      auto* item = new TMenuItem(nullptr);
      item->SetCaption(caption);
      item->OnClick = [this](TObject* sender) {
        log.Add("clicked " + std::string(WideToNarrow(static_cast<TMenuItem*>(sender)->Caption())));
      };
      menu->Items()->Add(item);
    }
    menu->Items()->Items(2)->SetChecked(true);
    menu->OnPopup = [this](TObject*) { log.Add("popup"); };
    form->Show();
    PumpFor(20);
  }
  void TearDown() override { delete form; }
  // What the menu did: the pointer's entering and leaving the controls
  // depends on where it happens to be on the display, not on the menu.
  Lines MenuLines() {
    Lines lines;
    for (std::string& line : log.Take())
      if (line.find("MouseEnter") == std::string::npos && line.find("MouseLeave") == std::string::npos)
        lines.push_back(std::move(line));
    return lines;
  }

  TCallLog log;
  TForm* form = nullptr;
  TRecordingControl* control = nullptr;
  TRecordingGraphic* graphic = nullptr;
  TPopupMenu* menu = nullptr;
};

TEST_F(MenuTest, TheChosenItemClicksAfterTheMenuIsBuiltFromTheItems) {
  int count = 0;
  UINT secondState = 0;
  UINT separatorState = 0;
  TMenuDriver driver([&](HWND window) {
    HMENU shown = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    count = GetMenuItemCount(shown);
    separatorState = GetMenuState(shown, 1, MF_BYPOSITION);
    secondState = GetMenuState(shown, 2, MF_BYPOSITION);
    PressKeys(form->Handle(), {VK_DOWN, VK_DOWN, VK_RETURN});
  });
  const POINT at = form->ClientToScreen(POINT{20, 20});
  menu->Popup(at.x, at.y);
  EXPECT_EQ(MenuLines(), (Lines{"popup", "clicked Second"}));
  EXPECT_EQ(count, 3);
  EXPECT_TRUE(separatorState & MF_SEPARATOR);
  EXPECT_TRUE(secondState & MF_CHECKED);
}

TEST_F(MenuTest, EscapeChoosesNothingAndAHiddenItemIsLeftOut) {
  menu->Items()->Items(0)->SetVisible(false);
  int count = 0;
  TMenuDriver driver([&](HWND window) {
    count = GetMenuItemCount(reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0)));
    PressKeys(form->Handle(), {VK_ESCAPE});
  });
  menu->Popup(100, 100);
  EXPECT_EQ(MenuLines(), Lines{"popup"});
  EXPECT_EQ(count, 2);
}

TEST_F(MenuTest, ARightClickShowsTheMenuOfTheControlUnderTheMouse) {
  control->SetPopupMenu(menu);
  const struct {
    HWND window;
    POINT client;  // of the window
    TControl* expected;
  } cases[] = {
      {control->Handle(), {5, 5}, control},
      {form->Handle(), {160, 20}, nullptr},  // the graphic child has none, nor has the form
  };
  for (const auto& c : cases) {
    menu->SetPopupComponent(nullptr);
    TMenuDriver driver([&](HWND) { PressKeys(form->Handle(), {VK_ESCAPE}); });
    POINT screen = c.client;
    ClientToScreen(c.window, &screen);
    SendMessageW(c.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(c.window), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(menu->PopupComponent(), c.expected);
  }
  graphic->SetPopupMenu(menu);
  TMenuDriver driver([&](HWND) { PressKeys(form->Handle(), {VK_ESCAPE}); });
  const POINT screen = form->ClientToScreen(POINT{160, 20});
  SendMessageW(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->Handle()),
               MAKELPARAM(screen.x, screen.y));
  EXPECT_EQ(menu->PopupComponent(), graphic);
  // A menu that goes leaves no pointer behind.
  delete menu;
  EXPECT_EQ(control->PopupMenu(), nullptr);
  EXPECT_EQ(graphic->PopupMenu(), nullptr);
}

TEST(HintTextTest, ShortAndLongPartsSplitAtTheFirstBarAlsoInTheUnicodeEncoding) {
  const struct {
    std::string hint;
    std::string shortPart;
    std::string longPart;
  } cases[] = {
      {"Open|Opens a folder", "Open", "Opens a folder"},
      {"Only one", "Only one", "Only one"},
      {"|Long only", "", "Long only"},
      {"a|b|c", "a", "b|c"},
      {EncodeUnicodeHint(u"\u00E9t\u00E9|\u65E5 long"), EncodeUnicodeHint(u"\u00E9t\u00E9"),
       EncodeUnicodeHint(u"\u65E5 long")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetShortHint(c.hint), c.shortPart) << c.hint;
    EXPECT_EQ(GetLongHint(c.hint), c.longPart) << c.hint;
  }
}

class THintChangingControl : public TRecordingControl {
 public:
  using TRecordingControl::TRecordingControl;
  std::function<LRESULT(THintInfo&)> onHintShow;

 protected:
  void Dispatch(TMessage& message) override {
    if (message.Msg == CM_HINTSHOW && onHintShow) {
      message.Result = onHintShow(*reinterpret_cast<THintInfo*>(message.LParam));
      return;
    }
    TRecordingControl::Dispatch(message);
  }
};

class HintTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    Application->SetHintPause(20);
    Application->SetHintShortPause(10);
    Application->SetHintHidePause(10000);
    form->SetShowHint(true);
    control->SetHint("Short|Long part");
    graphic->SetHint(EncodeUnicodeHint(u"Caf\u00E9 \u65E5|wide long"));
    changing = new THintChangingControl(form, "changing", log);
    changing->SetParent(form);
    changing->SetBounds(10, 110, 120, 60);
    changing->SetHint("Original");
    Application->OnHint = [this](TObject*) { hints.push_back(Application->Hint()); };
  }
  void TearDown() override {
    Application->OnHint = nullptr;
    Application->CancelHint();
    Application->SetHintPause(500);
    Application->SetHintShortPause(50);
    Application->SetHintHidePause(2500);
    MenuTest::TearDown();
  }
  void MoveTo(TControl* over) {
    const POINT point = over->ClientToScreen(POINT{over->Width() / 2, over->Height() / 2});
    SetCursorPos(point.x, point.y);
  }
  bool Showing() { return Application->HintWindow() != nullptr && Application->HintWindow()->Showing(); }

  THintChangingControl* changing = nullptr;
  std::vector<std::string> hints;
};

TEST_F(HintTest, TheShortPartShowsAfterThePauseAndTheLongPartBecomesTheApplicationsHint) {
  MoveTo(control);
  ASSERT_TRUE(PumpUntil([&] { return Showing(); }, 5000));
  EXPECT_EQ(Application->HintWindow()->ShownText(), u"Short");
  EXPECT_EQ(Application->Hint(), "Long part");
  ASSERT_FALSE(hints.empty());
  EXPECT_EQ(hints.back(), "Long part");
  // Below the mouse, inside the screen.
  RECT window;
  GetWindowRect(Application->HintWindow()->Handle(), &window);
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_GT(window.top, cursor.y);

  // The next control's hint follows; a Unicode hint shows its narrow text.
  MoveTo(graphic);
  ASSERT_TRUE(PumpUntil([&] { return Showing() && Application->HintWindow()->ShownText() != u"Short"; }, 5000));
  EXPECT_EQ(Application->HintWindow()->ShownText(), u"Caf\u00E9 ?");
  EXPECT_EQ(HintToWide(Application->Hint()), u"wide long");

  // A press hides it until the mouse goes elsewhere.
  PostMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(160, 20));
  PostMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(160, 20));
  PumpFor(100);
  EXPECT_FALSE(Showing());
}

TEST_F(HintTest, TheControlMayChangeOrRefuseItsHintBeforeItShows) {
  changing->onHintShow = [](THintInfo& info) {
    info.HintStr = "Changed " + info.HintStr;
    return LRESULT{0};
  };
  MoveTo(changing);
  ASSERT_TRUE(PumpUntil([&] { return Showing(); }, 5000));
  EXPECT_EQ(Application->HintWindow()->ShownText(), u"Changed Original");
  MoveTo(control);
  ASSERT_TRUE(PumpUntil([&] { return Showing() && Application->HintWindow()->ShownText() == u"Short"; }, 5000));
  changing->onHintShow = [](THintInfo&) { return LRESULT{1}; };
  MoveTo(changing);
  PumpFor(200);
  EXPECT_FALSE(Showing());
  // Without ShowHint nothing shows either.
  changing->onHintShow = nullptr;
  changing->SetShowHint(false);
  MoveTo(control);
  PumpFor(100);
  MoveTo(changing);
  PumpFor(200);
  EXPECT_FALSE(Showing() && Application->HintWindow()->ShownText() == u"Original");
}

}  // namespace
