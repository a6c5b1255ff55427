// Keyboard, dialog keys, mouse, wheel, cursor, capture and timers, driven by
// messages through the real message loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/win32/Application.h"
#include "framework/win32/Form.h"
#include "framework/win32/StdCtrls.h"
#include "tests/framework/win32/RecordingControls.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

using Lines = std::vector<std::string>;

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetName("form");
    form->SetClientSize(300, 200);
    first = Place(new TRecordingControl(form, "first", log), 10, 10, 100, 50);
    second = Place(new TRecordingControl(form, "second", log), 10, 70, 100, 50);
    graphic = Place(new TRecordingGraphic(form, "graphic", log), 150, 10, 60, 40);
    ok = Place(new TButton(form), 150, 70, 75, 25);
    ok->SetName("ok");
    ok->SetDefault(true);
    cancel = Place(new TButton(form), 150, 110, 75, 25);
    cancel->SetName("cancel");
    cancel->SetCancel(true);
    for (TButton* button : {ok, cancel})
      button->OnClick = [this](TObject* sender) { log.Add(static_cast<TButton*>(sender)->Name() + " Click"); };
    form->Show();
    PumpFor(30);
    MoveMouseAwayFromTheForm();
    log.Take();
  }
  void TearDown() override {
    SetShift(false);
    delete form;
    EXPECT_EQ(boxes.Unexpected(), 0);
  }
  // The real mouse may rest where the new form came up (an earlier test put
  // it there), and the form then rightly counts it as inside. Moved away, only
  // the messages a test sends bring the mouse over the form.
  void MoveMouseAwayFromTheForm() {
    RECT window;
    GetWindowRect(form->Handle(), &window);
    const int x = window.right + 10 < GetSystemMetrics(SM_CXSCREEN) ? window.right + 10 : window.left - 10;
    SetCursorPos(x, window.top + 10);
    ASSERT_TRUE(PumpUntil(
        [this] {
          return !form->MouseInside() && !first->MouseInside() && !second->MouseInside() && !graphic->MouseInside();
        },
        5000));
  }
  template <class T>
  T* Place(T* control, int left, int top, int width, int height) {
    control->SetParent(form);
    control->SetBounds(left, top, width, height);
    return control;
  }
  TWinControl* ByName(const std::string& name) {
    for (TWinControl* control : {static_cast<TWinControl*>(first), static_cast<TWinControl*>(second),
                                 static_cast<TWinControl*>(ok), static_cast<TWinControl*>(cancel)})
      if (control->Name() == name) return control;
    return nullptr;
  }
  static void SetShift(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  // Posts to the focused window and lets the application's loop handle it.
  void Post(UINT msg, WPARAM key) {
    PostMessageW(GetFocus(), msg, key, 0);
    Application->ProcessMessages();
  }
  LPARAM FormPoint(int x, int y) { return MAKELPARAM(x, y); }
  POINT Screen(TControl* control, int x, int y) { return control->ClientToScreen(POINT{x, y}); }

  TDialogAnswerer boxes;
  TCallLog log;
  TForm* form = nullptr;
  TRecordingControl* first = nullptr;
  TRecordingControl* second = nullptr;
  TRecordingGraphic* graphic = nullptr;
  TButton* ok = nullptr;
  TButton* cancel = nullptr;
};

TEST_F(InputTest, KeysReachTheHandlersOrActAsDialogKeysUnlessTheControlClaimsThem) {
  const struct {
    const char* focus;
    LRESULT claim;  // the focused control's WM_GETDLGCODE answer; -1 for its class's
    bool shift;
    UINT msg;
    WPARAM key;
    Lines expected;
    const char* focusAfter;
  } cases[] = {
      {"first", -1, false, WM_KEYDOWN, VK_F5, {"first KeyDown 116"}, "first"},
      {"first", -1, true, WM_KEYDOWN, VK_F5, {"first KeyDown 116+shift"}, "first"},
      {"first", -1, false, WM_KEYUP, VK_F5, {"first KeyUp 116"}, "first"},
      {"first", -1, false, WM_CHAR, 0xE9, {"first KeyPress 233"}, "first"},
      {"first", -1, false, WM_KEYDOWN, VK_TAB, {}, "second"},
      {"second", -1, true, WM_KEYDOWN, VK_TAB, {}, "first"},
      {"first", DLGC_WANTTAB, false, WM_KEYDOWN, VK_TAB, {"first KeyDown 9", "first KeyPress 9"}, "first"},
      {"first", -1, false, WM_KEYDOWN, VK_DOWN, {}, "second"},
      {"second", -1, false, WM_KEYDOWN, VK_UP, {}, "first"},
      {"first", DLGC_WANTARROWS, false, WM_KEYDOWN, VK_DOWN, {"first KeyDown 40"}, "first"},
      // Enter: the focused push button, else the default button.
      {"first", -1, false, WM_KEYDOWN, VK_RETURN, {"ok Click"}, "first"},
      {"cancel", -1, false, WM_KEYDOWN, VK_RETURN, {"cancel Click"}, "cancel"},
      {"ok", -1, false, WM_KEYDOWN, VK_RETURN, {"ok Click"}, "ok"},
      {"first", -1, false, WM_KEYDOWN, VK_ESCAPE, {"cancel Click"}, "first"},
      {"ok", -1, false, WM_KEYDOWN, VK_ESCAPE, {"cancel Click"}, "ok"},
      {"first", DLGC_WANTALLKEYS, false, WM_KEYDOWN, VK_RETURN, {"first KeyDown 13", "first KeyPress 13"},
       "first"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.focus) + " msg " + std::to_string(c.msg) + " key " + std::to_string(c.key));
    first->dialogCode = second->dialogCode = -1;
    ByName(c.focus)->SetFocus();
    if (c.claim >= 0) static_cast<TRecordingControl*>(ByName(c.focus))->dialogCode = c.claim;
    SetShift(c.shift);
    log.Take();
    Post(c.msg, c.key);
    SetShift(false);
    EXPECT_EQ(log.Take(), c.expected);
    EXPECT_EQ(GetFocus(), ByName(c.focusAfter)->Handle());
  }
}

// The platform's edit, to see what reaches a native control's own procedure.
class TTestEdit : public TWinControl {
 public:
  using TWinControl::TWinControl;

 protected:
  void CreateParams(TCreateParams& params) override {
    TWinControl::CreateParams(params);
    params.NativeClass = u"EDIT";
    params.Style |= ES_AUTOHSCROLL;
  }
};

TEST_F(InputTest, HandlersChangeOrSwallowKeysBeforeTheControlSeesThem) {
  auto* edit = Place(new TTestEdit(form), 10, 130, 120, 21);
  edit->SetText(u"12");
  edit->OnKeyPress = [](TObject*, char16_t& key) {
    if (key == u'x') key = 0;
    if (key == u'a') key = u'\u00E9';
  };
  edit->OnKeyDown = [](TObject*, WORD& key, TShiftState) {
    if (key == VK_DELETE) key = 0;
  };
  edit->SetFocus();
  SendMessageW(edit->Handle(), EM_SETSEL, 0, 0);
  for (WPARAM key : {WPARAM{'a'}, WPARAM{'x'}, WPARAM{'c'}}) SendMessageW(edit->Handle(), WM_CHAR, key, 0);
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(edit->Text(), u"\u00E9c12");
  edit->OnKeyDown = nullptr;
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(edit->Text(), u"\u00E9c2");
  // Enter with the focus in a control that is no button: the default button,
  // unless it is disabled.
  Post(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(log.Take(), Lines{"ok Click"});
  ok->SetEnabled(false);
  Post(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(log.Take(), Lines{});
}

TEST_F(InputTest, MouseButtonsClickDoubleClickAndCaptureForWindowedAndGraphicControls) {
  const HWND formWindow = form->Handle();
  const HWND firstWindow = first->Handle();
  const struct {
    HWND window;
    UINT msg;
    int x, y;
    Lines expected;
  } steps[] = {
      {formWindow, WM_LBUTTONDOWN, 160, 20, {"graphic MouseDown left 10,10"}},
      {formWindow, WM_LBUTTONUP, 161, 21, {"graphic MouseUp left 11,11", "graphic Click"}},
      {formWindow, WM_LBUTTONDBLCLK, 160, 20, {"graphic DblClick", "graphic MouseDown left+double 10,10"}},
      {formWindow, WM_LBUTTONUP, 160, 20, {"graphic MouseUp left 10,10"}},
      // Released outside: the capture brings the release, but no click.
      {formWindow, WM_LBUTTONDOWN, 160, 20, {"graphic MouseDown left 10,10"}},
      {formWindow, WM_LBUTTONUP, 250, 150, {"graphic MouseUp left 100,140"}},
      {formWindow, WM_RBUTTONDOWN, 170, 30, {"graphic MouseDown right 20,20"}},
      {formWindow, WM_RBUTTONUP, 170, 30, {"graphic MouseUp right 20,20"}},
      {firstWindow, WM_LBUTTONDOWN, 5, 6, {"first MouseDown left 5,6"}},
      {firstWindow, WM_LBUTTONUP, 5, 6, {"first MouseUp left 5,6", "first Click"}},
      {firstWindow, WM_LBUTTONDBLCLK, 5, 6, {"first DblClick", "first MouseDown left+double 5,6"}},
      {firstWindow, WM_LBUTTONUP, 5, 6, {"first MouseUp left 5,6"}},
      {firstWindow, WM_LBUTTONDOWN, 5, 6, {"first MouseDown left 5,6"}},
      {firstWindow, WM_LBUTTONUP, -30, 6, {"first MouseUp left -30,6"}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE("msg " + std::to_string(step.msg) + " at " + std::to_string(step.x) + "," + std::to_string(step.y));
    const WPARAM keys = step.msg == WM_LBUTTONDOWN || step.msg == WM_LBUTTONDBLCLK ? MK_LBUTTON
                        : step.msg == WM_RBUTTONDOWN                                ? MK_RBUTTON
                                                                                    : 0;
    SendMessageW(step.window, step.msg, keys, MAKELPARAM(step.x, step.y));
    EXPECT_EQ(log.Take(), step.expected);
    const bool pressed = keys != 0;
    // Held while a button is down, given back on its release.
    const bool windowed = step.window == firstWindow;
    EXPECT_EQ((windowed ? static_cast<TControl*>(first) : graphic)->MouseCapture(), pressed);
    EXPECT_EQ(GetCapture(), pressed ? step.window : nullptr);
  }
}

TEST_F(InputTest, MouseEnterAndLeaveFollowTheMouseOverTheWindowAndItsGraphicChildren) {
  TCallLog& record = log;
  TMessageRecorder recorder(form, {CM_MOUSEENTER, CM_MOUSELEAVE}, record);
  const HWND window = form->Handle();
  const struct {
    UINT msg;
    int x, y;
    Lines expected;
  } steps[] = {
      {WM_MOUSEMOVE, 5, 5, {"form CM_MOUSEENTER"}},
      {WM_MOUSEMOVE, 6, 5, {}},
      {WM_MOUSEMOVE, 160, 20, {"graphic MouseEnter"}},
      {WM_MOUSEMOVE, 161, 20, {}},
      {WM_MOUSEMOVE, 5, 5, {"graphic MouseLeave"}},
      {WM_MOUSELEAVE, 0, 0, {"form CM_MOUSELEAVE"}},
      {WM_MOUSEMOVE, 160, 20, {"form CM_MOUSEENTER", "graphic MouseEnter"}},
      {WM_MOUSELEAVE, 0, 0, {"graphic MouseLeave", "form CM_MOUSELEAVE"}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(std::to_string(step.msg) + " at " + std::to_string(step.x) + "," + std::to_string(step.y));
    SendMessageW(window, step.msg, 0, MAKELPARAM(step.x, step.y));
    EXPECT_EQ(log.Take(), step.expected);
  }
  EXPECT_FALSE(form->MouseInside());
  EXPECT_FALSE(graphic->MouseInside());
}

TEST_F(InputTest, TheSystemReportsTheMouseLeavingThroughTheTracking) {
  const POINT inside = Screen(first, 50, 25);
  SetCursorPos(inside.x, inside.y);
  ASSERT_TRUE(PumpUntil([&] { return first->MouseInside(); }, 5000));
  EXPECT_EQ(log.Take(), Lines{"first MouseEnter"});
  const POINT outside = Screen(form, 400, 300);
  SetCursorPos(outside.x, outside.y);
  ASSERT_TRUE(PumpUntil([&] { return !first->MouseInside(); }, 5000));
  EXPECT_EQ(log.Take(), Lines{"first MouseLeave"});
}

TEST_F(InputTest, TheWheelGoesToTheControlUnderTheMouseThenToItsParentUntilUsed) {
  TCallLog parent;
  TMessageRecorder recorder(form, {WM_MOUSEWHEEL}, parent);
  const auto wheel = [](HWND window, POINT screen, int delta, WPARAM keys) {
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(delta)), MAKELPARAM(screen.x, screen.y));
  };
  const POINT overFirst = Screen(first, 10, 10);
  const POINT overGraphic = Screen(graphic, 10, 10);
  wheel(first->Handle(), overFirst, -120, MK_SHIFT);
  EXPECT_EQ(log.Take(), Lines{"first Wheel -120+shift"});
  EXPECT_EQ(parent.Take(), Lines{"form WM_MOUSEWHEEL"});
  first->wheelHandled = true;
  wheel(first->Handle(), overFirst, 240, 0);
  EXPECT_EQ(log.Take(), Lines{"first Wheel 240"});
  EXPECT_EQ(parent.Take(), Lines{});
  wheel(form->Handle(), overGraphic, 120, 0);
  EXPECT_EQ(log.Take(), Lines{"graphic Wheel 120"});
  graphic->wheelHandled = true;
  int formWheels = 0;
  form->OnMouseWheel = [&formWheels](TObject*, TShiftState, int, POINT, bool&) { ++formWheels; };
  wheel(form->Handle(), overGraphic, 120, 0);
  EXPECT_EQ(formWheels, 0);
  wheel(form->Handle(), Screen(form, 280, 190), 120, 0);
  EXPECT_EQ(formWheels, 1);
}

TEST_F(InputTest, TheCursorOfTheControlUnderTheMouseIsShown) {
  graphic->SetCursor(crHandPoint);
  first->SetCursor(crIBeam);
  const struct {
    TControl* over;
    HWND window;
    HCURSOR expected;
  } cases[] = {
      {graphic, form->Handle(), LoadCursorW(nullptr, IDC_HAND)},
      {first, first->Handle(), LoadCursorW(nullptr, IDC_IBEAM)},
      {form, form->Handle(), LoadCursorW(nullptr, IDC_ARROW)},
  };
  for (const auto& c : cases) {
    const POINT point = c.over == form ? Screen(form, 280, 190) : Screen(c.over, 5, 5);
    SetCursorPos(point.x, point.y);
    ::SetCursor(nullptr);
    SendMessageW(c.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(c.window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), c.expected) << c.over->Name();
  }
  EXPECT_EQ(CursorHandle(crNone), nullptr);
  EXPECT_EQ(CursorHandle(12345), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(InputTest, TimersReachWindowedAndGraphicControlsAndOutliveANewWindow) {
  ASSERT_TRUE(first->StartTimer(7, 10));
  ASSERT_TRUE(graphic->StartTimer(7, 10));
  ASSERT_TRUE(graphic->StartTimer(8, 10));
  const auto seen = [this](const std::string& line) {
    return std::find(log.Lines().begin(), log.Lines().end(), line) != log.Lines().end();
  };
  const auto allThree = [&] { return seen("first Timer 7") && seen("graphic Timer 7") && seen("graphic Timer 8"); };
  ASSERT_TRUE(PumpUntil(allThree, 5000));
  form->RecreateWnd();
  log.Take();
  ASSERT_TRUE(PumpUntil(allThree, 5000));
  first->StopTimer(7);
  graphic->StopTimer(7);
  EXPECT_TRUE(graphic->TimerRunning(8));
  EXPECT_FALSE(graphic->TimerRunning(7));
  PumpFor(30);
  log.Take();
  PumpFor(60);
  EXPECT_FALSE(seen("first Timer 7"));
  EXPECT_FALSE(seen("graphic Timer 7"));
  EXPECT_TRUE(seen("graphic Timer 8"));
  // A graphic control leaving its parent takes its timers along.
  graphic->SetParent(nullptr);
  log.Take();
  PumpFor(60);
  EXPECT_FALSE(seen("graphic Timer 8"));
  graphic->SetParent(form);
  ASSERT_TRUE(PumpUntil([&] { return seen("graphic Timer 8"); }, 5000));
}

}  // namespace
