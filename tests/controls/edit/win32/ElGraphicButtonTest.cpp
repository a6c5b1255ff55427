#include "controls/edit/win32/ElGraphicButton.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/base/win32/ElSoundMap.h"
#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/base/win32/ElThemesForcedOff.h"
#include "framework/win32/Application.h"
#include "framework/UnicodeHint.h"
#include "framework/win32/ActnList.h"
#include "framework/win32/Form.h"
#include "tests/controls/list/win32/StatusBarTestSupport.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/Win32GuiTestSupport.h"
#include "tests/support/WhileModal.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

#define REQUIRE_ACTIVE_THEME() \
  if (!TElThemeLibrary::ThemeActive()) GTEST_SKIP() << "no theme is active here"

using Lines = std::vector<std::string>;

class TRecordingSounds : public TElSoundMap {
 public:
  TRecordingSounds(TComponent* owner, TCallLog& log) : TElSoundMap(owner), FLog(log) {}
  void Play(const std::string& event) override {
    if (!event.empty()) FLog.Add("Sound " + event);
  }

 private:
  TCallLog& FLog;
};

// A shown form with two buttons at (10, 10) and (100, 10), 75 by 25.
struct TButtonForm {
  TButtonForm() {
    form = new TForm(Application);
    form->SetClientSize(250, 120);
    form->SetBounds(100, 300, 270, 160);
    form->Font()->SetName(u"MS Sans Serif");
    form->Font()->SetHeight(-11);
    sounds = new TRecordingSounds(form, log);
    for (int i = 0; i < 2; ++i) {
      auto* button = new TElGraphicButton(form);
      button->SetName(i == 0 ? "First" : "Second");
      button->SetParent(form);
      button->SetBounds(10 + 90 * i, 10, 75, 25);
      button->SetCaption(i == 0 ? u"Browse" : u"Other");
      button->SetSoundMap(sounds);
      button->SetDownSound("Down");
      button->SetUpSound("Up");
      button->SetClickSound("Click");
      button->SetArrowClickSound("ArrowClick");
      button->OnClick = [this, button](TObject*) { log.Add(button->Name() + " Click"); };
      button->OnArrowClick = [this, button](TObject*) { log.Add(button->Name() + " ArrowClick"); };
      buttons[i] = button;
    }
    form->Show();
    PumpFor(20);
    log.Take();
  }
  ~TButtonForm() {
    if (GetCapture() != nullptr) ReleaseCapture();
    delete form;
  }
  TElGraphicButton* First() { return buttons[0]; }
  TElGraphicButton* Second() { return buttons[1]; }
  // A mouse message at a point of a button, through the form's window as the system sends it.
  void Mouse(TElGraphicButton* button, UINT msg, WPARAM keys, int x, int y) {
    SendMessageW(form->Handle(), msg, keys, MAKELPARAM(button->Left() + x, button->Top() + y));
  }
  void ClickAt(TElGraphicButton* button, int x, int y) {
    Mouse(button, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    Mouse(button, WM_LBUTTONUP, 0, x, y);
  }

  TCallLog log;
  TForm* form = nullptr;
  TRecordingSounds* sounds = nullptr;
  TElGraphicButton* buttons[2] = {nullptr, nullptr};
};

TEST(GraphicButton, NewButtonHasItsDefaults) {
  TButtonForm f;
  TElGraphicButton* b = f.First();
  auto* fresh = new TElGraphicButton(f.form);
  EXPECT_EQ(fresh->Width(), 75);
  EXPECT_EQ(fresh->Height(), 25);
  EXPECT_TRUE(fresh->Caption().empty());
  EXPECT_EQ(b->Color(), clBtnFace);
  EXPECT_EQ(b->Font()->Color(), clBtnText);
  EXPECT_TRUE(fresh->ParentColor());
  EXPECT_EQ(b->Alignment(), taCenter);
  EXPECT_EQ(b->Layout(), blGlyphLeft);
  EXPECT_EQ(b->Margin(), -1);
  EXPECT_EQ(b->Spacing(), 4);
  EXPECT_TRUE(b->Glyph()->Empty());
  EXPECT_EQ(b->NumGlyphs(), 1);
  EXPECT_FALSE(b->UseIcon());
  EXPECT_TRUE(b->ShowGlyph());
  EXPECT_TRUE(b->ShowText());
  EXPECT_FALSE(b->Flat());
  EXPECT_FALSE(b->ThinFrame());
  EXPECT_FALSE(b->OldStyled());
  EXPECT_TRUE(b->ShowBorder());
  EXPECT_FALSE(b->Transparent());
  EXPECT_TRUE(b->Background()->Empty());
  EXPECT_TRUE(b->DownBackground()->Empty());
  EXPECT_FALSE(b->BackgroundDrawBorder());
  EXPECT_TRUE(b->ShadowFollowsColor());
  EXPECT_FALSE(b->ShadowsUseCustom());
  EXPECT_EQ(b->TextDrawType(), tdtNormal);
  EXPECT_TRUE(b->ChangeDisabledText());
  EXPECT_TRUE(b->AdjustSpaceForGlyph());
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(b->GroupIndex(), 0);
  EXPECT_FALSE(b->AllowAllUp());
  EXPECT_FALSE(b->IsSwitch());
  EXPECT_FALSE(b->UseArrow());
  EXPECT_EQ(b->PullDownMenu(), nullptr);
  EXPECT_EQ(b->PopupPlace(), ppDown);
  EXPECT_FALSE(b->Cancel());
  EXPECT_EQ(b->ModalResult(), 0);
  EXPECT_FALSE(b->ShortcutsEnabled());
  EXPECT_FALSE(b->MoneyFlat());
  EXPECT_TRUE(b->UseXPThemes());
  EXPECT_FALSE(b->Focused());
  EXPECT_EQ(b->State(), ebsUp);
}

TEST(GraphicButton, OutOfRangeSettingsAreIgnoredOrClamped) {
  TButtonForm f;
  TElGraphicButton* b = f.First();
  b->SetMargin(-2);
  EXPECT_EQ(b->Margin(), -1);
  b->SetMargin(3);
  b->SetMargin(-5);
  EXPECT_EQ(b->Margin(), 3);
  b->SetNumGlyphs(7);
  EXPECT_EQ(b->NumGlyphs(), 4);
  b->SetSpacing(-3);
  EXPECT_EQ(b->Spacing(), 4);
  // Neither grouped nor a switch: it cannot be down.
  b->SetDown(true);
  EXPECT_FALSE(b->Down());
}

TEST(GraphicButton, MeasureButtonAddsTheFrameToTheContent) {
  TButtonForm f;
  TElGraphicButton* b = f.First();
  TCanvas* canvas = b->Canvas();
  canvas->Font()->Assign(b->Font());
  const SIZE text = canvas->TextExtent(u"Browse");
  // Caption only: margins of 2 on each side (margin -1) and 4 for the frame.
  SIZE size = b->MeasureButton(false);
  EXPECT_EQ(size.cx, text.cx + 2 * 2 + 4);
  EXPECT_EQ(size.cy, text.cy + 2 * 2 + 4);
  EXPECT_EQ(b->MeasureButton(true).cy, 25);
  // The arrow part adds its width (13 without a theme).
  TElThemesForcedOff off;
  b->SetUseArrow(true);
  size = b->MeasureButton(false);
  EXPECT_EQ(size.cx, text.cx + 2 * 2 + 4 + 13);
}

// ---- Mouse ----

class GraphicButtonInput : public ::testing::Test {
 protected:
  TButtonForm f;
};

TEST_F(GraphicButtonInput, MouseTable) {
  struct Step {
    UINT msg;
    WPARAM keys;
    int x;
    int y;
  };
  const int out = 200;
  struct Case {
    const char* name;
    bool enabled;
    std::vector<Step> steps;
    Lines events;
  } cases[] = {
      {"press and release inside click once, on the release", true,
       {{WM_LBUTTONDOWN, MK_LBUTTON, 30, 12}, {WM_MOUSEMOVE, MK_LBUTTON, 31, 12}, {WM_LBUTTONUP, 0, 31, 12}},
       {"Sound Down", "Sound Up", "Sound Click", "First Click"}},
      {"released outside: nothing", true,
       {{WM_LBUTTONDOWN, MK_LBUTTON, 30, 12}, {WM_MOUSEMOVE, MK_LBUTTON, out, 12}, {WM_LBUTTONUP, 0, out, 12}},
       // Leaving plays the up sound, and so does the release.
       {"Sound Down", "Sound Up", "Sound Up"}},
      {"out and back in: pressed again, then the click", true,
       {{WM_LBUTTONDOWN, MK_LBUTTON, 30, 12}, {WM_MOUSEMOVE, MK_LBUTTON, out, 12},
        {WM_MOUSEMOVE, MK_LBUTTON, 30, 12}, {WM_LBUTTONUP, 0, 30, 12}},
       {"Sound Down", "Sound Up", "Sound Down", "Sound Up", "Sound Click", "First Click"}},
      {"a double-click is two clicks", true,
       {{WM_LBUTTONDOWN, MK_LBUTTON, 30, 12}, {WM_LBUTTONUP, 0, 30, 12},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, 30, 12}, {WM_LBUTTONUP, 0, 30, 12}},
       {"Sound Down", "Sound Up", "Sound Click", "First Click", "Sound Down", "Sound Up", "Sound Click",
        "First Click"}},
      {"the right button clicks nothing", true,
       {{WM_RBUTTONDOWN, MK_RBUTTON, 30, 12}, {WM_RBUTTONUP, 0, 30, 12}}, {}},
      {"disabled: presses are ignored", false,
       {{WM_LBUTTONDOWN, MK_LBUTTON, 30, 12}, {WM_LBUTTONUP, 0, 30, 12}}, {}},
  };
  for (const Case& c : cases) {
    f.First()->SetEnabled(c.enabled);
    f.log.Take();
    for (const Step& s : c.steps) f.Mouse(f.First(), s.msg, s.keys, s.x, s.y);
    EXPECT_EQ(f.log.Take(), c.events) << c.name;
    EXPECT_EQ(f.First()->State(), c.enabled ? ebsUp : ebsDisabled) << c.name;
    EXPECT_NE(GetCapture(), f.form->Handle()) << c.name;
  }
}

TEST_F(GraphicButtonInput, StatesFollowThePressAndTheMouse) {
  TElGraphicButton* b = f.First();
  f.Mouse(b, WM_LBUTTONDOWN, MK_LBUTTON, 30, 12);
  EXPECT_EQ(b->State(), ebsDown);
  EXPECT_EQ(GetCapture(), f.form->Handle());  // the release comes back to it
  f.Mouse(b, WM_MOUSEMOVE, MK_LBUTTON, 200, 12);
  EXPECT_EQ(b->State(), ebsUp);
  f.Mouse(b, WM_MOUSEMOVE, MK_LBUTTON, 30, 12);
  EXPECT_EQ(b->State(), ebsDown);
  f.Mouse(b, WM_LBUTTONUP, 0, 30, 12);
  EXPECT_EQ(b->State(), ebsUp);
  EXPECT_TRUE(b->MouseOverBody());
}

TEST_F(GraphicButtonInput, ArrowClicksOnThePressAndItsReleaseClicksNothing) {
  struct Case {
    bool flat;
    int x;
    Lines onPress;
    Lines events;
  } cases[] = {
      {false, 75 - 15, {"Sound Down", "Sound ArrowClick", "First ArrowClick"},
       {"Sound Down", "Sound ArrowClick", "First ArrowClick", "Sound Up"}},
      {false, 75 - 16, {"Sound Down"}, {"Sound Down", "Sound Up", "Sound Click", "First Click"}},
      {true, 75 - 11, {"Sound Down", "Sound ArrowClick", "First ArrowClick"},
       {"Sound Down", "Sound ArrowClick", "First ArrowClick", "Sound Up"}},
      {true, 75 - 12, {"Sound Down"}, {"Sound Down", "Sound Up", "Sound Click", "First Click"}},
  };
  TElGraphicButton* b = f.First();
  b->SetUseArrow(true);
  for (const Case& c : cases) {
    b->SetFlat(c.flat);
    f.log.Take();
    f.Mouse(b, WM_LBUTTONDOWN, MK_LBUTTON, c.x, 12);
    const Lines onPress = f.log.Lines();
    f.Mouse(b, WM_LBUTTONUP, 0, c.x, 12);
    EXPECT_EQ(f.log.Take(), c.events) << c.flat << " " << c.x;
    EXPECT_EQ(onPress, c.onPress) << c.flat << " " << c.x;
    EXPECT_EQ(b->State(), ebsUp);
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

// Notes where each menu that opens stands and closes it with Escape, from
// inside its loop; it stays on watch for the next one.
struct TMenuCloser {
  explicit TMenuCloser(HWND owner)
      : FWhileOpen([this, owner] {
          HWND menu = nullptr;
          EnumWindows(FindOpenMenu, reinterpret_cast<LPARAM>(&menu));
          if (menu != nullptr && menu != FSeen) {
            GetWindowRect(menu, &rect);
            ++opened;
            PostMessageW(owner, WM_KEYDOWN, VK_ESCAPE, 0);
          }
          FSeen = menu;
          return false;
        }) {}
  RECT rect{0, 0, 0, 0};
  int opened = 0;

 private:
  HWND FSeen = nullptr;
  TWhileModal FWhileOpen;
};

TPopupMenu* MenuOf(TComponent* owner, int items) {
  auto* menu = new TPopupMenu(owner);
  for (int i = 0; i < items; ++i) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(u"Item " + std::u16string(1, static_cast<char16_t>(u'1' + i)));
    menu->Items()->Add(item);
  }
  return menu;
}

TEST_F(GraphicButtonInput, ArrowPressOpensTheMenuAtOnceAndTheReleaseClicksNothing) {
  TElGraphicButton* b = f.First();
  b->SetUseArrow(true);
  b->SetPullDownMenu(MenuOf(f.form, 3));
  EXPECT_FALSE(b->DisableAutoPopup());
  TMenuCloser closer(f.form->Handle());
  f.Mouse(b, WM_LBUTTONDOWN, MK_LBUTTON, 70, 12);
  EXPECT_EQ(closer.opened, 1);
  const POINT corner = b->ClientToScreen(POINT{0, 0});
  EXPECT_EQ(closer.rect.left, corner.x);
  EXPECT_EQ(closer.rect.top, corner.y + 25);
  f.Mouse(b, WM_LBUTTONUP, 0, 70, 12);
  PumpFor(30);
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound Down", "Sound ArrowClick", "First ArrowClick"));
  EXPECT_EQ(closer.opened, 1);
  EXPECT_EQ(b->State(), ebsUp);

  // Without an arrow part the body's click opens it, above the button for ppTop.
  b->SetUseArrow(false);
  b->SetPullDownMenu(MenuOf(f.form, 5));
  b->SetPopupPlace(ppTop);
  f.ClickAt(b, 30, 12);
  EXPECT_EQ(closer.opened, 2);
  EXPECT_EQ(closer.rect.top, corner.y - 5 * GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(closer.rect.left, corner.x - 1);
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound Down", "Sound Up", "Sound Click", "First Click"));

  // Removing the menu switches the automatic popup off.
  b->SetPullDownMenu(nullptr);
  EXPECT_TRUE(b->DisableAutoPopup());
}

TEST_F(GraphicButtonInput, GroupedButtonsReleaseEachOther) {
  TElGraphicButton* first = f.First();
  TElGraphicButton* second = f.Second();
  first->SetGroupIndex(1);
  second->SetGroupIndex(1);
  f.ClickAt(first, 30, 12);
  EXPECT_TRUE(first->Down());
  EXPECT_EQ(first->State(), ebsExclusive);
  f.ClickAt(second, 30, 12);
  EXPECT_TRUE(second->Down());
  EXPECT_FALSE(first->Down());
  EXPECT_EQ(first->State(), ebsUp);
  // Without AllowAllUp the down button stays down when clicked.
  f.ClickAt(second, 30, 12);
  EXPECT_TRUE(second->Down());
  // With it, it comes up; the buttons it releases take it over.
  first->SetAllowAllUp(true);
  f.ClickAt(first, 30, 12);
  EXPECT_TRUE(first->Down());
  EXPECT_FALSE(second->Down());
  EXPECT_TRUE(second->AllowAllUp());
  f.ClickAt(first, 30, 12);
  EXPECT_FALSE(first->Down());
  EXPECT_FALSE(second->Down());
}

TEST_F(GraphicButtonInput, SwitchTogglesOnEachClick) {
  TElGraphicButton* b = f.First();
  b->SetIsSwitch(true);
  f.ClickAt(b, 30, 12);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->State(), ebsDown);
  f.ClickAt(b, 30, 12);
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(b->State(), ebsUp);
  // The press sounds down, and so does the release that puts the switch
  // down; a press on a switch that is down is silent until its release.
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound Down", "Sound Down", "Sound Click", "First Click", "Sound Up",
                                        "Sound Click", "First Click"));
}

TEST_F(GraphicButtonInput, ButtonClickFromCodeClicksDownButtonsWithoutThePressedLook) {
  TElGraphicButton* b = f.First();
  b->OnClick = [&](TObject*) { f.log.Add("Click"); };
  b->ButtonClick();
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound Click", "Click"));
  EXPECT_EQ(b->State(), ebsUp);

  b->SetGroupIndex(3);
  b->SetDown(true);
  f.log.Take();
  b->ButtonClick();  // down and grouped without AllowAllUp: stays down, still clicks
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->State(), ebsExclusive);
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound Click", "Click"));
}

TEST_F(GraphicButtonInput, AcceleratorAndEscapeOnlyWithShortcuts) {
  TElGraphicButton* b = f.First();
  b->SetCaption(u"&Browse");
  SendMessageW(f.form->Handle(), WM_SYSCHAR, u'b', 1 << 29);
  EXPECT_THAT(f.log.Take(), IsEmpty());
  b->SetShortcutsEnabled(true);
  SendMessageW(f.form->Handle(), WM_SYSCHAR, u'b', 1 << 29);
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound Click", "First Click"));
  b->SetCancel(true);
  EXPECT_EQ(b->Perform(CM_DIALOGKEY, VK_ESCAPE), 1);
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound Click", "First Click"));
  EXPECT_EQ(b->Perform(CM_DIALOGKEY, VK_RETURN), 0);
}

TEST_F(GraphicButtonInput, HintIsHandedOverInTheUnicodeEncoding) {
  TElGraphicButton* b = f.First();
  const WideString wide = u"Choose a folder \u2192 \u0416|Opens the folder browser";
  b->SetHint(wide);
  EXPECT_EQ(static_cast<TControl*>(b)->Hint(), EncodeUnicodeHint(wide));
  THintInfo info;
  info.HintStr = GetShortHint(static_cast<TControl*>(b)->Hint());
  b->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  WideString shown;
  ASSERT_TRUE(DecodeUnicodeHint(info.HintStr, shown));
  EXPECT_EQ(shown, u"Choose a folder \u2192 \u0416");
  b->SetHint(u"");
  info.HintStr = "x";
  b->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_TRUE(info.HintStr.empty());
}

// ---- Linked action ----

TEST_F(GraphicButtonInput, ClickRunsTheLinkedActionOnceInsteadOfOnClick) {
  TElGraphicButton* b = f.First();
  auto* action = new TAction(f.form);
  action->OnExecute = [&](TObject*) { f.log.Add("Execute"); };
  b->SetAction(action);
  f.ClickAt(b, 30, 12);
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound Down", "Sound Up", "Sound Click", "Execute"));
  b->ButtonClick();
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound Click", "Execute"));

  delete action;  // the button is left unlinked and clicks as before
  EXPECT_EQ(b->Action(), nullptr);
  f.ClickAt(b, 30, 12);
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound Down", "Sound Up", "Sound Click", "First Click"));
}

TEST_F(GraphicButtonInput, ButtonFollowsItsActionAndFillsInOnlyUnsetValuesFirst) {
  TElGraphicButton* b = f.First();
  auto* action = new TAction(f.form);
  action->SetCaption(u"From the action");
  action->SetHint(u"Pick \u0416");
  b->SetAction(action);
  EXPECT_EQ(b->Caption(), u"Browse");  // had one: kept
  EXPECT_EQ(b->Hint(), u"Pick \u0416");  // had none: taken
  EXPECT_EQ(static_cast<TControl*>(b)->Hint(), EncodeUnicodeHint(u"Pick \u0416"));

  action->SetCaption(u"Renamed");
  EXPECT_EQ(b->Caption(), u"Renamed");
  action->SetEnabled(false);
  EXPECT_FALSE(b->Enabled());
  f.ClickAt(b, 30, 12);  // disabled by the action: presses do nothing
  EXPECT_THAT(f.log.Take(), IsEmpty());
  action->SetEnabled(true);
  action->SetVisible(false);
  EXPECT_FALSE(b->Visible());
  action->SetVisible(true);

  // Checked is Down for a switch; a plain button cannot be down.
  action->SetChecked(true);
  EXPECT_FALSE(b->Down());
  b->SetIsSwitch(true);
  action->SetChecked(false);
  action->SetChecked(true);
  EXPECT_TRUE(b->Down());
  action->SetChecked(false);
  EXPECT_FALSE(b->Down());
  f.log.Take();
}

TEST_F(GraphicButtonInput, LinkOfAnHTMLCaptionClicksInsteadOfTheButton) {
  TElGraphicButton* b = f.First();
  b->SetWidth(120);
  b->SetIsHTML(true);
  b->SetCaption(u"<a href=\"docs\">Docs</a> here");
  b->SetCursor(crIBeam);
  f.form->Repaint();
  const RECT text = b->TextRect();
  ASSERT_GT(text.right - text.left, 20);
  const int y = (text.top + text.bottom) / 2;
  // The link in its colour, the rest in the font's.
  RECT onForm = text;
  OffsetRect(&onForm, b->Left(), b->Top());
  const TClientPicture picture(f.form->Handle());
  EXPECT_GT(picture.Count(onForm, [](COLORREF c) { return c == RGB(0, 0, 255); }), 10);
  EXPECT_GT(picture.Count(onForm, [](COLORREF c) { return c == GetSysColor(COLOR_BTNTEXT); }), 10);
  std::vector<std::string> links;
  b->OnLinkClick = [&](TObject*, const WideString& href) { links.push_back(EncodeEscapedUtf8(href)); };
  f.Mouse(b, WM_MOUSEMOVE, 0, text.left + 3, y);
  EXPECT_EQ(static_cast<TControl*>(b)->Cursor(), crHandPoint);
  f.ClickAt(b, text.left + 3, y);
  EXPECT_THAT(links, ElementsAre("docs"));
  EXPECT_THAT(f.log.Take(), IsEmpty());
  EXPECT_EQ(b->State(), ebsUp);
  // Beside the text the button clicks as ever, under the chosen cursor.
  f.Mouse(b, WM_MOUSEMOVE, 0, 3, y);
  EXPECT_EQ(static_cast<TControl*>(b)->Cursor(), crIBeam);
  f.ClickAt(b, 3, y);
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound Down", "Sound Up", "Sound Click", "First Click"));
  EXPECT_EQ(links.size(), 1u);
  // Plain text again: the markup is just text and nothing is a link.
  b->SetIsHTML(false);
  f.form->Repaint();
  f.ClickAt(b, b->TextRect().left + 3, y);
  EXPECT_EQ(links.size(), 1u);
}

TEST_F(GraphicButtonInput, ModalResultGoesToTheForm) {
  f.First()->SetModalResult(mrOk);
  f.ClickAt(f.First(), 30, 12);
  EXPECT_EQ(f.form->ModalResult(), mrOk);
  f.form->SetModalResult(mrNone);
}

// ---- Pixels ----

COLORREF Sys(int index) { return GetSysColor(index); }
auto Is(COLORREF colour) {
  return [colour](COLORREF c) { return c == colour; };
}

RECT Bounds(TElGraphicButton* b) { return b->BoundsRect(); }

// The box around the pixels of one colour within area; empty when there are none.
RECT InkBox(const TClientPicture& picture, const RECT& area, COLORREF colour) {
  RECT box{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (picture.At(x, y) == colour) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  if (box.right <= box.left) box = RECT{0, 0, 0, 0};
  return box;
}

class ClassicGraphicButton : public ::testing::Test {
 protected:
  TElThemesForcedOff FOff;
};

TEST_F(ClassicGraphicButton, CaptionStaysInPlaceWhilePressedAndTheFrameSinks) {
  TButtonForm f;
  TElGraphicButton* b = f.First();
  const RECT area = Bounds(b);
  const TClientPicture up(f.form->Handle());
  EXPECT_EQ(up.At(area.left, area.top), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(up.At(area.right - 1, area.bottom - 1), Sys(COLOR_BTNSHADOW));
  const RECT upText = InkBox(up, area, Sys(COLOR_BTNTEXT));
  ASSERT_FALSE(IsRectEmpty(&upText));
  // Centred: as much room on the left as on the right, to a pixel.
  EXPECT_LE(std::abs((upText.left - area.left) - (area.right - upText.right)), 1);

  f.Mouse(b, WM_LBUTTONDOWN, MK_LBUTTON, 30, 12);
  const TClientPicture pressed(f.form->Handle());
  const RECT pressedText = InkBox(pressed, area, Sys(COLOR_BTNTEXT));
  EXPECT_TRUE(EqualRect(&upText, &pressedText));
  EXPECT_NE(pressed.At(area.left, area.top), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(pressed.At(area.right - 1, area.bottom - 1), Sys(COLOR_BTNHIGHLIGHT));
  f.Mouse(b, WM_LBUTTONUP, 0, 200, 12);
}

TEST_F(ClassicGraphicButton, DisabledCaptionIsEmbossed) {
  TButtonForm f;
  TElGraphicButton* b = f.First();
  b->SetEnabled(false);
  const RECT area = Bounds(b);
  const TClientPicture picture(f.form->Handle());
  EXPECT_EQ(picture.Count(area, Is(Sys(COLOR_BTNTEXT))), 0);
  EXPECT_GT(picture.Count(RECT{area.left + 3, area.top + 3, area.right - 3, area.bottom - 3},
                          Is(Sys(COLOR_BTNSHADOW))), 20);
  EXPECT_GT(picture.Count(RECT{area.left + 3, area.top + 3, area.right - 3, area.bottom - 3},
                          Is(Sys(COLOR_BTNHIGHLIGHT))), 20);
  b->SetChangeDisabledText(false);
  const TClientPicture plain(f.form->Handle());
  EXPECT_GT(plain.Count(area, Is(Sys(COLOR_BTNTEXT))), 20);
}

TEST_F(ClassicGraphicButton, FlatButtonShowsItsFrameOnlyWhenHotOrPressed) {
  TButtonForm f;
  TElGraphicButton* b = f.First();
  b->SetFlat(true);
  const RECT area = Bounds(b);
  const TClientPicture idle(f.form->Handle());
  EXPECT_EQ(idle.At(area.left, area.top), Sys(COLOR_BTNFACE));
  b->Perform(CM_MOUSEENTER);
  const TClientPicture hot(f.form->Handle());
  EXPECT_EQ(hot.At(area.left, area.top), Sys(COLOR_BTNHIGHLIGHT));
  b->Perform(CM_MOUSELEAVE);
  const TClientPicture left(f.form->Handle());
  EXPECT_EQ(left.At(area.left, area.top), Sys(COLOR_BTNFACE));
}

TEST_F(ClassicGraphicButton, MoneyFlatFrameTakesTheColourOfTheState) {
  TButtonForm f;
  TElGraphicButton* b = f.First();
  b->SetMoneyFlat(true);
  b->SetMoneyFlatInactiveColor(RGB(0, 0, 200));
  b->SetMoneyFlatActiveColor(RGB(0, 200, 0));
  b->SetMoneyFlatDownColor(RGB(200, 0, 0));
  const RECT area = Bounds(b);
  EXPECT_EQ(TClientPicture(f.form->Handle()).At(area.left, area.top + 5), RGB(0, 0, 200));
  b->Perform(CM_MOUSEENTER);
  EXPECT_EQ(TClientPicture(f.form->Handle()).At(area.left, area.top + 5), RGB(0, 200, 0));
  f.Mouse(b, WM_LBUTTONDOWN, MK_LBUTTON, 30, 12);
  EXPECT_EQ(TClientPicture(f.form->Handle()).At(area.left, area.top + 5), RGB(200, 0, 0));
  f.Mouse(b, WM_LBUTTONUP, 0, 200, 12);
}

TEST_F(ClassicGraphicButton, ArrowPartHasItsOwnFrameAndTriangle) {
  TButtonForm f;
  TElGraphicButton* b = f.First();
  b->SetCaption(u"");
  b->SetUseArrow(true);
  const RECT area = Bounds(b);
  const TClientPicture picture(f.form->Handle());
  const RECT arrow{area.right - 13, area.top, area.right, area.bottom};
  const RECT ink = InkBox(picture, arrow, Sys(COLOR_BTNTEXT));
  ASSERT_FALSE(IsRectEmpty(&ink));
  EXPECT_EQ(ink.right - ink.left, 7);
  EXPECT_EQ(ink.bottom - ink.top, 4);
  EXPECT_EQ(picture.At(arrow.left, area.top + 5), Sys(COLOR_BTNHIGHLIGHT));
}

TEST_F(ClassicGraphicButton, BackgroundsCoverTheFaceAndTheFrameOnlyWhenAsked) {
  TButtonForm f;
  TElGraphicButton* b = f.First();
  b->SetCaption(u"");
  auto fill = [](TBitmap& bitmap, COLORREF colour) {
    bitmap.SetSize(4, 4);
    TGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    RECT all{0, 0, 4, 4};
    FillRect(bitmap.Canvas()->Handle(), &all, brush.Get());
  };
  TBitmap up;
  TBitmap down;
  fill(up, RGB(10, 20, 200));
  fill(down, RGB(200, 20, 10));
  b->SetBackground(&up);
  b->SetDownBackground(&down);
  const RECT area = Bounds(b);
  const int inside = (area.right - area.left) * (area.bottom - area.top);
  EXPECT_EQ(TClientPicture(f.form->Handle()).Count(area, Is(RGB(10, 20, 200))), inside);
  f.Mouse(b, WM_LBUTTONDOWN, MK_LBUTTON, 30, 12);
  EXPECT_EQ(TClientPicture(f.form->Handle()).Count(area, Is(RGB(200, 20, 10))), inside);
  f.Mouse(b, WM_LBUTTONUP, 0, 200, 12);
  b->SetBackgroundDrawBorder(true);
  const TClientPicture framed(f.form->Handle());
  EXPECT_EQ(framed.At(area.left, area.top), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(framed.At(area.left + 10, area.top + 10), RGB(10, 20, 200));
}

TEST_F(ClassicGraphicButton, ColouredFaceGetsFrameColoursOfItsOwnHue) {
  TButtonForm f;
  TElGraphicButton* b = f.First();
  b->SetColor(RGB(0x33, 0x66, 0xCC));
  TElFrameColours colours;
  ASSERT_TRUE(DeriveFrameColours(RGB(0x33, 0x66, 0xCC), colours));
  const RECT area = Bounds(b);
  const TClientPicture picture(f.form->Handle());
  EXPECT_EQ(picture.At(area.left, area.top), colours.Highlight);
  EXPECT_EQ(picture.At(area.right - 1, area.bottom - 1), colours.Shadow);
  EXPECT_EQ(picture.At(area.left + 10, area.top + 3), RGB(0x33, 0x66, 0xCC));
}

// A list of 16 x 16 images, each a square (4..11) of its colour on see-through magenta.
TImageList* ImagesOf(TComponent* owner, std::initializer_list<COLORREF> colours) {
  auto* list = new TImageList(owner, 16, 16);
  for (COLORREF colour : colours) {
    TBitmap image;
    image.SetSize(16, 16);
    HDC dc = image.Canvas()->Handle();
    TGdiObject<HBRUSH> back(CreateSolidBrush(RGB(255, 0, 255)));
    TGdiObject<HBRUSH> front(CreateSolidBrush(colour));
    RECT all{0, 0, 16, 16};
    RECT square{4, 4, 12, 12};
    FillRect(dc, &all, back.Get());
    FillRect(dc, &square, front.Get());
    list->AddMasked(&image, RGB(255, 0, 255));
  }
  return list;
}

TEST_F(ClassicGraphicButton, ImageListsFollowTheLookAndShiftWithoutDownImages) {
  TButtonForm f;
  TElGraphicButton* b = f.First();
  b->SetCaption(u"");
  b->SetImages(ImagesOf(f.form, {RGB(200, 0, 0)}));
  b->SetImageIndex(0);
  b->SetUseImageList(true);
  const RECT area = Bounds(b);
  auto inkOf = [&](COLORREF colour) { return InkBox(TClientPicture(f.form->Handle()), area, colour); };
  const RECT normal = inkOf(RGB(200, 0, 0));
  ASSERT_FALSE(IsRectEmpty(&normal));
  // Pressed without down images: the picture moves one pixel down and right.
  f.Mouse(b, WM_LBUTTONDOWN, MK_LBUTTON, 30, 12);
  RECT pressed = inkOf(RGB(200, 0, 0));
  OffsetRect(&pressed, -1, -1);
  EXPECT_TRUE(EqualRect(&normal, &pressed));
  f.Mouse(b, WM_LBUTTONUP, 0, 200, 12);
  // Each look with its own list, in place.
  b->SetHotImages(ImagesOf(f.form, {RGB(0, 200, 0)}));
  b->SetDownImages(ImagesOf(f.form, {RGB(0, 0, 200)}));
  b->SetDisabledImages(ImagesOf(f.form, {RGB(200, 200, 0)}));
  b->Perform(CM_MOUSEENTER);
  RECT hot = inkOf(RGB(0, 200, 0));
  EXPECT_TRUE(EqualRect(&normal, &hot));
  f.Mouse(b, WM_LBUTTONDOWN, MK_LBUTTON, 30, 12);
  RECT down = inkOf(RGB(0, 0, 200));
  EXPECT_TRUE(EqualRect(&normal, &down));
  f.Mouse(b, WM_LBUTTONUP, 0, 200, 12);
  b->SetEnabled(false);
  RECT disabled = inkOf(RGB(200, 200, 0));
  EXPECT_TRUE(EqualRect(&normal, &disabled));
}

TEST(ThemedGraphicButton, EachStateHasItsOwnLook) {
  REQUIRE_ACTIVE_THEME();
  TButtonForm f;
  TElGraphicButton* b = f.First();
  ASSERT_TRUE(b->IsThemeApplied());
  const RECT area = Bounds(b);
  auto picture = [&] { return TClientPicture(f.form->Handle()); };
  const TClientPicture up = picture();
  EXPECT_EQ(up.Count(area, Is(RGB(1, 2, 3))), 0);
  b->Perform(CM_MOUSEENTER);
  const TClientPicture hot = picture();
  f.Mouse(b, WM_LBUTTONDOWN, MK_LBUTTON, 30, 12);
  const TClientPicture pressed = picture();
  f.Mouse(b, WM_LBUTTONUP, 0, 200, 12);
  b->SetEnabled(false);
  const TClientPicture disabled = picture();
  const TClientPicture* looks[] = {&up, &hot, &pressed, &disabled};
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) {
      const RECT changed = looks[i]->Difference(*looks[j]);
      EXPECT_FALSE(IsRectEmpty(&changed)) << i << " " << j;
      EXPECT_TRUE(Inside(changed, area)) << i << " " << j;
    }
}

}  // namespace
