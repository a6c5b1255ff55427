#include "controls/check/win32/ElCheckBox.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/base/win32/ElThemesForcedOff.h"
#include "framework/Filer.h"
#include "framework/Stream.h"
#include "framework/UnicodeHint.h"
#include "framework/win32/ActnList.h"
#include "tests/controls/check/win32/CheckBoxTestSupport.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

#define REQUIRE_ACTIVE_THEME() \
  if (!TElThemeLibrary::ThemeActive()) GTEST_SKIP() << "no theme is active here"

using Lines = std::vector<std::string>;

TEST(CheckBox, NewCheckBoxHasItsDefaults) {
  auto form = std::make_unique<TForm>(Application);
  auto* box = new TElCheckBox(form.get());
  EXPECT_EQ(box->Width(), 60);
  EXPECT_EQ(box->Height(), 17);
  EXPECT_TRUE(box->Caption().empty());
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(box->State(), cbUnchecked);
  EXPECT_FALSE(box->AllowGrayed());
  EXPECT_EQ(box->CheckAlignment(), taRightJustify);
  EXPECT_EQ(box->CheckMargin(), 5);
  EXPECT_TRUE(box->AutoSize());
  EXPECT_FALSE(box->EndEllipsis());
  EXPECT_FALSE(box->Flat());
  EXPECT_FALSE(box->FlatAlways());
  EXPECT_FALSE(box->MoneyFlat());
  EXPECT_EQ(box->MoneyFlatActiveColor(), clBlack);
  EXPECT_EQ(box->MoneyFlatInactiveColor(), clBlack);
  EXPECT_EQ(box->MoneyFlatDownColor(), clBlack);
  EXPECT_FALSE(box->UseCustomGlyphs());
  EXPECT_TRUE(box->Glyph()->Empty());
  EXPECT_FALSE(box->UseImageList());
  EXPECT_EQ(box->Images(), nullptr);
  EXPECT_EQ(box->AlphaForImages(), nullptr);
  EXPECT_FALSE(box->IsHTML());
  EXPECT_EQ(box->LinkColor(), clBlue);
  EXPECT_EQ(box->LinkStyle(), fsUnderline);
  EXPECT_EQ(box->LinkPopupMenu(), nullptr);
  EXPECT_EQ(box->TextDrawType(), tdtNormal);
  EXPECT_FALSE(box->Transparent());
  EXPECT_EQ(box->SoundMap(), nullptr);
  EXPECT_FALSE(box->ReadOnly());
  EXPECT_FALSE(box->HandleDialogKeys());
  EXPECT_TRUE(box->Hint().empty());
  EXPECT_EQ(box->Cursor(), crDefault);
  EXPECT_TRUE(box->UseXPThemes());
  EXPECT_EQ(box->Color(), clBtnFace);
  EXPECT_EQ(box->Font()->Color(), clBtnText);
  EXPECT_TRUE(box->TabStop());
}

TEST(CheckBox, StateCheckedAndAllowGrayedFollowTheirRules) {
  auto form = std::make_unique<TForm>(Application);
  auto* box = new TElCheckBox(form.get());
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };

  box->SetState(cbGrayed);  // refused without AllowGrayed
  EXPECT_EQ(box->State(), cbUnchecked);
  box->SetAllowGrayed(true);
  box->SetState(cbGrayed);
  EXPECT_EQ(box->State(), cbGrayed);
  EXPECT_FALSE(box->Checked());  // grayed is not checked
  box->SetChecked(true);
  EXPECT_EQ(box->State(), cbChecked);
  box->SetState(cbGrayed);
  box->SetAllowGrayed(false);  // a grayed box becomes unchecked
  EXPECT_EQ(box->State(), cbUnchecked);
  box->SetChecked(true);
  box->SetAllowGrayed(false);  // anything else stays
  EXPECT_EQ(box->State(), cbChecked);
  EXPECT_EQ(clicks, 0);  // changes from code fire nothing

  struct Case {
    bool allowGrayed;
    TCheckBoxState from;
    TCheckBoxState to;
  } toggles[] = {
      {false, cbUnchecked, cbChecked}, {false, cbChecked, cbUnchecked},
      {true, cbUnchecked, cbGrayed},   {true, cbGrayed, cbChecked},
      {true, cbChecked, cbUnchecked},
  };
  for (const Case& c : toggles) {
    box->SetAllowGrayed(c.allowGrayed);
    box->SetState(c.from);
    box->Toggle();
    EXPECT_EQ(box->State(), c.to) << c.allowGrayed << " " << c.from;
  }
}

// ---- Mouse ----

class CheckBoxInput : public ::testing::Test {
 protected:
  TCheckFixture f;
};

TEST_F(CheckBoxInput, ClicksAlternateOrWalkThroughGrayed) {
  struct Case {
    bool allowGrayed;
    std::vector<TCheckBoxState> after;
  } cases[] = {
      {false, {cbChecked, cbUnchecked, cbChecked}},
      {true, {cbGrayed, cbChecked, cbUnchecked}},
  };
  for (const Case& c : cases) {
    f.box->SetAllowGrayed(c.allowGrayed);
    f.box->SetState(cbUnchecked);
    for (TCheckBoxState want : c.after) {
      f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
      f.Send(WM_LBUTTONUP, 0, 5, 5);
      EXPECT_EQ(f.box->State(), want) << c.allowGrayed;
    }
  }
}

TEST_F(CheckBoxInput, MouseTable) {
  // Each row starts unchecked, without capture, and sends its messages.
  struct Step {
    UINT msg;
    WPARAM keys;
    int x;
    int y;
  };
  const int outside = 300;
  struct Case {
    const char* name;
    bool readOnly;
    std::vector<Step> steps;
    TCheckBoxState want;
    Lines events;
  } cases[] = {
      {"press and release inside: the click comes before OnMouseUp",
       false, {{WM_LBUTTONDOWN, MK_LBUTTON, 5, 5}, {WM_LBUTTONUP, 0, 5, 5}}, cbChecked,
       {"MouseDown 0", "Click 1", "Sound CheckSound", "MouseUp 0"}},
      {"release outside changes nothing",
       false, {{WM_LBUTTONDOWN, MK_LBUTTON, 5, 5}, {WM_MOUSEMOVE, MK_LBUTTON, outside, 5},
               {WM_LBUTTONUP, 0, outside, 5}}, cbUnchecked,
       {"MouseDown 0", "MouseUp 0"}},
      {"out and back in before the release still clicks",
       false, {{WM_LBUTTONDOWN, MK_LBUTTON, 5, 5}, {WM_MOUSEMOVE, MK_LBUTTON, outside, 5},
               {WM_MOUSEMOVE, MK_LBUTTON, 6, 6}, {WM_LBUTTONUP, 0, 6, 6}}, cbChecked,
       {"MouseDown 0", "Click 1", "Sound CheckSound", "MouseUp 0"}},
      {"a double-click is two clicks",
       false, {{WM_LBUTTONDOWN, MK_LBUTTON, 5, 5}, {WM_LBUTTONUP, 0, 5, 5},
               {WM_LBUTTONDBLCLK, MK_LBUTTON, 5, 5}, {WM_LBUTTONUP, 0, 5, 5}}, cbUnchecked,
       {"MouseDown 0", "Click 1", "Sound CheckSound", "MouseUp 0",
        "MouseDown 0", "Click 0", "Sound CheckSound", "MouseUp 0"}},
      {"a release without a press on the box clicks nothing",
       false, {{WM_LBUTTONUP, 0, 5, 5}}, cbUnchecked, {"MouseUp 0"}},
      {"the right button toggles nothing",
       false, {{WM_RBUTTONDOWN, MK_RBUTTON, 5, 5}, {WM_RBUTTONUP, 0, 5, 5}}, cbUnchecked,
       {"MouseDown 1", "MouseUp 1"}},
      {"read-only: no change, no click, no sound",
       true, {{WM_LBUTTONDOWN, MK_LBUTTON, 5, 5}, {WM_LBUTTONUP, 0, 5, 5}}, cbUnchecked,
       {"MouseDown 0", "MouseUp 0"}},
  };
  for (const Case& c : cases) {
    f.box->SetState(cbUnchecked);
    f.box->SetReadOnly(c.readOnly);
    f.log.Take();
    for (const Step& s : c.steps) f.Send(s.msg, s.keys, s.x, s.y);
    EXPECT_EQ(f.box->State(), c.want) << c.name;
    EXPECT_EQ(f.log.Take(), c.events) << c.name;
    EXPECT_FALSE(f.box->Pressed()) << c.name;
    EXPECT_NE(GetCapture(), f.Window()) << c.name;
  }
}

TEST_F(CheckBoxInput, PressCapturesAndTheReleaseGivesTheCaptureBack) {
  HWND previous = f.other->Handle();
  SetCapture(previous);
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  EXPECT_TRUE(f.box->Pressed());
  EXPECT_EQ(GetCapture(), f.Window());
  f.Send(WM_LBUTTONUP, 0, 300, 5);
  EXPECT_EQ(GetCapture(), previous);
  EXPECT_FALSE(f.box->Checked());
  ReleaseCapture();

  // Released inside, the box takes the focus.
  f.other->SetFocus();
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  f.Send(WM_LBUTTONUP, 0, 5, 5);
  EXPECT_EQ(GetFocus(), f.Window());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(CheckBoxInput, LosingTheCaptureEndsThePressWithoutAClick) {
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  ASSERT_TRUE(f.box->Pressed());
  SetCapture(f.other->Handle());  // another window takes over
  EXPECT_FALSE(f.box->Pressed());
  f.Send(WM_LBUTTONUP, 0, 5, 5);
  EXPECT_FALSE(f.box->Checked());
  EXPECT_THAT(f.log.Take(), ElementsAre("MouseDown 0", "MouseUp 0"));
  ReleaseCapture();
}

// ---- Keyboard ----

TEST_F(CheckBoxInput, KeyboardTable) {
  struct Case {
    const char* name;
    bool readOnly;
    bool shift;
    LPARAM keyFlags;  // bit 30: the key was already down (auto-repeat)
    TCheckBoxState want;
    Lines events;
  } cases[] = {
      {"Space toggles with its sound", false, false, 0, cbChecked, {"Sound CheckSound", "Click 1"}},
      {"Space with Shift does nothing", false, true, 0, cbUnchecked, {}},
      {"an auto-repeated Space does nothing", false, false, 1 << 30, cbUnchecked, {}},
      {"read-only: Space does nothing", true, false, 0, cbUnchecked, {}},
  };
  f.box->SetFocus();
  for (const Case& c : cases) {
    f.box->SetState(cbUnchecked);
    f.box->SetReadOnly(c.readOnly);
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE shiftWas = keys[VK_SHIFT];
    keys[VK_SHIFT] = c.shift ? 0x80 : 0;
    SetKeyboardState(keys);
    f.log.Take();
    SendMessageW(f.Window(), WM_KEYDOWN, VK_SPACE, 1 | c.keyFlags);
    SendMessageW(f.Window(), WM_KEYUP, VK_SPACE, 1 | (1 << 30) | (1u << 31));
    keys[VK_SHIFT] = shiftWas;
    SetKeyboardState(keys);
    EXPECT_EQ(f.box->State(), c.want) << c.name;
    EXPECT_EQ(f.log.Take(), c.events) << c.name;
  }
}

TEST_F(CheckBoxInput, AcceleratorTogglesAndTakesTheFocus) {
  f.box->SetCaption(u"Scan &recursive");
  f.other->SetFocus();
  // Alt+R typed while another control has the focus.
  SendMessageW(f.other->Handle(), WM_SYSCHAR, u'R', 1 << 29);
  EXPECT_TRUE(f.box->Checked());
  EXPECT_EQ(GetFocus(), f.Window());
  EXPECT_THAT(f.log.Take(), ElementsAre("Click 1"));
  // Another letter, or a disabled box, takes nothing.
  SendMessageW(f.Window(), WM_SYSCHAR, u's', 1 << 29);
  f.box->SetEnabled(false);
  SendMessageW(f.other->Handle(), WM_SYSCHAR, u'r', 1 << 29);
  f.box->SetEnabled(true);
  EXPECT_TRUE(f.box->Checked());
  EXPECT_THAT(f.log.Take(), IsEmpty());

  struct Case {
    char16_t ch;
    const char16_t* caption;
    bool want;
  } cases[] = {
      {u'r', u"Scan &recursive", true}, {u'R', u"Scan &recursive", true}, {u's', u"Scan &recursive", false},
      {u'a', u"A && B", false},         {u'b', u"A && &B", true},         {u'x', u"No accelerator", false},
      {u'&', u"Trailing &", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsAccelerator(c.ch, c.caption), c.want) << static_cast<char>(c.ch);
}

TEST_F(CheckBoxInput, DialogKeysGoToTheFormUnlessTheBoxHandlesThem) {
  EXPECT_EQ(SendMessageW(f.Window(), WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, 0);
  f.box->SetHandleDialogKeys(true);
  EXPECT_NE(SendMessageW(f.Window(), WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, 0);
  // Enter is no toggle either way.
  SendMessageW(f.Window(), WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_FALSE(f.box->Checked());
}

TEST_F(CheckBoxInput, DisablingKeepsTheStateAndTheWindowTakesNoInput) {
  f.box->SetChecked(true);
  f.box->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(f.Window()));
  EXPECT_TRUE(f.box->Checked());
  f.box->SetEnabled(true);
  EXPECT_TRUE(f.box->Checked());
  EXPECT_THAT(f.log.Take(), IsEmpty());
}

// ---- Hints, links, sizing, form data ----

TEST_F(CheckBoxInput, HintIsHandedOverInTheUnicodeEncoding) {
  const WideString wide = u"Wal\u00e9k \u0416|long part";
  f.box->SetHint(wide);
  EXPECT_EQ(f.box->Hint(), wide);
  EXPECT_EQ(static_cast<TControl*>(f.box)->Hint(), EncodeUnicodeHint(wide));
  THintInfo info;
  info.HintStr = GetShortHint(static_cast<TControl*>(f.box)->Hint());
  f.box->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  WideString shown;
  ASSERT_TRUE(DecodeUnicodeHint(info.HintStr, shown));
  EXPECT_EQ(shown, u"Wal\u00e9k \u0416");
  f.box->SetHint(u"");
  EXPECT_TRUE(static_cast<TControl*>(f.box)->Hint().empty());
  info.HintStr = "x";
  f.box->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_TRUE(info.HintStr.empty());
}

// ---- Linked action ----

TEST_F(CheckBoxInput, LinkedActionFillsInOnlyWhatTheBoxDoesNotHaveTheFirstTime) {
  auto* action = new TAction(f.form);
  action->SetCaption(u"From the action");
  action->SetHint(u"Action \u0416");
  action->SetChecked(true);
  action->SetHelpContext(9);
  f.box->SetHint(u"Own hint");
  f.box->SetAction(action);
  EXPECT_EQ(f.box->Caption(), u"Scan recursive");  // had one: kept
  EXPECT_EQ(f.box->Hint(), u"Own hint");
  EXPECT_TRUE(f.box->Checked());  // was unchecked: taken
  EXPECT_EQ(f.box->HelpContext(), 9);
  EXPECT_THAT(f.log.Take(), IsEmpty());  // following the action is no user toggle

  action->SetCaption(u"Renamed");
  action->SetHint(u"New hint");
  action->SetEnabled(false);
  EXPECT_EQ(f.box->Caption(), u"Renamed");
  EXPECT_EQ(f.box->Hint(), u"New hint");
  EXPECT_EQ(static_cast<TControl*>(f.box)->Hint(), EncodeUnicodeHint(u"New hint"));
  EXPECT_FALSE(f.box->Enabled());
  action->SetVisible(false);
  EXPECT_FALSE(f.box->Visible());
}

TEST_F(CheckBoxInput, UserToggleAndActionCheckedFollowEachOther) {
  auto* action = new TAction(f.form);
  f.box->SetAction(action);
  int executed = 0;
  action->OnExecute = [&](TObject*) { ++executed; };

  // A click toggles the box, the action's Checked follows, and the click
  // runs the action once instead of OnClick.
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  f.Send(WM_LBUTTONUP, 0, 5, 5);
  EXPECT_TRUE(f.box->Checked());
  EXPECT_TRUE(action->Checked());
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(f.box->Caption(), u"Scan recursive");  // the action has none: the box keeps its own
  EXPECT_THAT(f.log.Take(), ElementsAre("MouseDown 0", "Sound CheckSound", "MouseUp 0"));

  // The action's Checked sets the box without any event.
  action->SetChecked(false);
  EXPECT_FALSE(f.box->Checked());
  action->SetChecked(true);
  EXPECT_TRUE(f.box->Checked());
  EXPECT_EQ(executed, 1);
  EXPECT_THAT(f.log.Take(), IsEmpty());

  // Without OnExecute the click still reaches the action's Checked and fires OnClick.
  action->OnExecute = nullptr;
  f.Send(WM_KEYDOWN, VK_SPACE, 0, 0);
  EXPECT_FALSE(f.box->Checked());
  EXPECT_FALSE(action->Checked());
  EXPECT_THAT(f.log.Take(), ElementsAre("Sound CheckSound", "Click 0"));

  // Read-only: nothing changes on either side.
  f.box->SetReadOnly(true);
  f.box->Click();
  EXPECT_FALSE(action->Checked());
}

TEST_F(CheckBoxInput, FreedActionLeavesTheBoxUnlinked) {
  auto* action = new TAction(f.form);
  action->OnExecute = [&](TObject*) { f.log.Add("Execute"); };
  f.box->SetAction(action);
  delete action;
  EXPECT_EQ(f.box->Action(), nullptr);
  f.box->Click();
  EXPECT_TRUE(f.box->Checked());
  EXPECT_THAT(f.log.Take(), ElementsAre("Click 1"));
}

TEST_F(CheckBoxInput, HintShowsTheActionShortCutWhenTheApplicationAsks) {
  auto* action = new TAction(f.form);
  action->SetShortCut(ShortCut('R', scCtrl));
  // Every change of the action hands the box its hint again.
  action->SetHint(u"Scan|Scan every folder");
  f.box->SetHint(u"Scan|Scan every folder");
  const auto shown = [&] {
    THintInfo info;
    info.HintStr = GetShortHint(static_cast<TControl*>(f.box)->Hint());
    f.box->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    WideString wide;
    EXPECT_TRUE(DecodeUnicodeHint(info.HintStr, wide));
    return wide;
  };
  EXPECT_EQ(shown(), u"Scan");  // no action: no shortcut
  f.box->SetAction(action);
  EXPECT_EQ(shown(), u"Scan (Ctrl+R)");
  Application->SetHintShortCuts(false);
  EXPECT_EQ(shown(), u"Scan");
  Application->SetHintShortCuts(true);
  action->SetShortCut(0);  // no shortcut: no empty brackets
  EXPECT_EQ(shown(), u"Scan");
}

TEST_F(CheckBoxInput, LinkClickFiresTheLinkAndNotTheToggle) {
  std::vector<std::string> links;
  f.box->OnLinkClick = [&](TObject*, const WideString& href) { links.push_back(EncodeEscapedUtf8(href)); };
  f.box->SetIsHTML(true);
  f.box->SetCaption(u"<a href=\"help\">Help</a> text");
  PumpFor(20);
  // The link starts where the caption does: right of the box and the margin.
  const int x = 13 + 5 + 3;
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON, x, 8);
  f.Send(WM_LBUTTONUP, 0, x, 8);
  EXPECT_THAT(links, ElementsAre("help"));
  EXPECT_FALSE(f.box->Checked());
  // Over the plain text the box toggles.
  const int plain = f.box->Width() - 4;
  f.Send(WM_LBUTTONDOWN, MK_LBUTTON, plain, 8);
  f.Send(WM_LBUTTONUP, 0, plain, 8);
  EXPECT_TRUE(f.box->Checked());
  EXPECT_EQ(links.size(), 1u);
  // Over the link the hand shows; the chosen cursor comes back elsewhere.
  f.box->SetCursor(crIBeam);
  f.Send(WM_MOUSEMOVE, 0, x, 8);
  EXPECT_EQ(static_cast<TControl*>(f.box)->Cursor(), crHandPoint);
  f.Send(WM_MOUSEMOVE, 0, plain, 8);
  EXPECT_EQ(static_cast<TControl*>(f.box)->Cursor(), crIBeam);
  EXPECT_EQ(f.box->Cursor(), crIBeam);
}

TEST_F(CheckBoxInput, AutoSizeFollowsCaptionMarginAndFont) {
  auto textSize = [&](const WideString& text) {
    TCanvas* canvas = f.box->Canvas();
    canvas->Font()->Assign(f.box->Font());
    RECT r{0, 0, 0, 0};
    DrawTextW(canvas->Handle(), reinterpret_cast<LPCWSTR>(text.c_str()), -1, &r, DT_CALCRECT);
    return SIZE{r.right, r.bottom};
  };
  SIZE text = textSize(u"Scan recursive");
  EXPECT_EQ(f.box->Width(), 13 + 2 + 5 + text.cx + 2);
  EXPECT_EQ(f.box->Height(), std::max(17, static_cast<int>(text.cy) + 2));
  EXPECT_EQ(f.box->Left(), 10);
  EXPECT_EQ(f.box->Top(), 10);

  f.box->SetCheckMargin(10);
  EXPECT_EQ(f.box->Width(), 13 + 5 + 10 + text.cx + 2);
  f.box->SetCheckMargin(-1);  // ignored
  EXPECT_EQ(f.box->CheckMargin(), 10);
  f.box->SetCaption(u"Longer caption here");
  text = textSize(u"Longer caption here");
  EXPECT_EQ(f.box->Width(), 13 + 5 + 10 + text.cx + 2);
  f.box->SetTextDrawType(tdtRaised);
  EXPECT_EQ(f.box->Height(), std::max(17, static_cast<int>(text.cy) + 5) + 2);

  f.box->SetAutoSize(false);
  f.box->SetBounds(10, 10, 40, 30);
  f.box->SetCaption(u"x");
  EXPECT_EQ(f.box->Width(), 40);
  EXPECT_EQ(f.box->Height(), 30);
}

TEST(CheckBox, OlderFormDataAlignmentIsReadIntoCheckAlignmentAndNeverWritten) {
  auto form = std::make_unique<TForm>(Application);
  auto* box = new TElCheckBox(form.get());
  TMemoryStream stream;
  {
    TWriter writer(stream);
    writer.WriteStr("Alignment");
    writer.WriteIdent("taLeftJustify");
    writer.WriteListEnd();
  }
  stream.SetPosition(0);
  {
    TReader reader(stream);
    reader.ReadProperties(*box);
  }
  EXPECT_EQ(box->CheckAlignment(), taLeftJustify);

  TMemoryStream written;
  {
    TWriter writer(written);
    writer.WriteProperties(*box);
    writer.WriteListEnd();
  }
  const std::string bytes(static_cast<const char*>(written.Memory()), static_cast<size_t>(written.Size()));
  EXPECT_NE(bytes.find("CheckAlignment"), std::string::npos);
  EXPECT_EQ(bytes.find("\tAlignment"), std::string::npos);

  auto* copy = new TElCheckBox(form.get());
  written.SetPosition(0);
  TReader reader(written);
  reader.ReadProperties(*copy);
  EXPECT_EQ(copy->CheckAlignment(), taLeftJustify);
  // An alignment that is no identifier of the kind is refused.
  TMemoryStream bad;
  {
    TWriter writer(bad);
    writer.WriteStr("Alignment");
    writer.WriteIdent("taSideways");
    writer.WriteListEnd();
  }
  bad.SetPosition(0);
  TReader badReader(bad);
  EXPECT_THROW(badReader.ReadProperties(*copy), EReadError);
}

// ---- Pixels ----

COLORREF Sys(int index) { return GetSysColor(index); }
auto Is(COLORREF colour) {
  return [colour](COLORREF c) { return c == colour; };
}

class ClassicCheckBox : public ::testing::Test {
 protected:
  TElThemesForcedOff FOff;
};

TEST_F(ClassicCheckBox, BoxShowsTheStateAndTheCaptionIsEmbossedWhenDisabled) {
  TCheckFixture f;
  const RECT box{0, 2, 13, 15};
  const RECT inside{3, 5, 10, 12};
  const RECT caption{18, 0, f.box->Width(), f.box->Height()};
  const TClientPicture unchecked(f.Window());
  EXPECT_EQ(unchecked.Count(RECT{0, 0, f.box->Width(), f.box->Height()}, Is(RGB(1, 2, 3))), 0);
  EXPECT_EQ(unchecked.Count(inside, Is(Sys(COLOR_WINDOW))), 7 * 7);  // an empty white box
  EXPECT_EQ(unchecked.At(0, 2), Sys(COLOR_BTNSHADOW));                // its sunken frame
  EXPECT_GT(unchecked.Count(caption, Is(Sys(COLOR_BTNTEXT))), 20);

  f.box->SetChecked(true);
  const TClientPicture checked(f.Window());
  EXPECT_GT(checked.Count(inside, Is(Sys(COLOR_WINDOWTEXT))), 10);  // the mark
  EXPECT_TRUE(Inside(checked.Difference(unchecked), box));

  f.box->SetAllowGrayed(true);
  f.box->SetState(cbGrayed);
  const TClientPicture grayed(f.Window());
  const RECT grayChange = grayed.Difference(checked);
  EXPECT_FALSE(IsRectEmpty(&grayChange));
  EXPECT_TRUE(Inside(grayed.Difference(unchecked), box));

  f.box->SetState(cbChecked);
  f.box->SetEnabled(false);
  const TClientPicture disabled(f.Window());
  EXPECT_EQ(disabled.Count(inside, Is(Sys(COLOR_WINDOW))), 0);  // an inactive box
  EXPECT_EQ(disabled.Count(caption, Is(Sys(COLOR_BTNTEXT))), 0);
  EXPECT_GT(disabled.Count(caption, Is(Sys(COLOR_BTNSHADOW))), 20);
  EXPECT_GT(disabled.Count(caption, Is(Sys(COLOR_BTNHIGHLIGHT))), 20);
}

TEST_F(ClassicCheckBox, CaptionOnTheLeftPutsTheBoxAtTheRightEdge) {
  TCheckFixture f;
  f.box->SetChecked(true);
  f.box->SetCheckAlignment(taLeftJustify);
  const int w = f.box->Width();
  const TClientPicture picture(f.Window());
  EXPECT_GT(picture.Count(RECT{w - 10, 5, w - 3, 12}, Is(Sys(COLOR_WINDOWTEXT))), 10);
  EXPECT_EQ(picture.Count(RECT{0, 0, 13, f.box->Height()}, Is(Sys(COLOR_WINDOW))), 0);
  EXPECT_GT(picture.Count(RECT{0, 0, w - 18, f.box->Height()}, Is(Sys(COLOR_BTNTEXT))), 20);
}

// Pixels the focus rectangle changed that were part of the caption before:
// it must be drawn around the text, never over it.
int FocusPixelsOnTheCaption(TCheckFixture& f) {
  const TClientPicture blurred(f.Window());
  f.box->SetFocus();
  PumpUntil([&] { return GetFocus() == f.Window() && GetUpdateRect(f.Window(), nullptr, FALSE) == FALSE; }, 2000);
  const TClientPicture focused(f.Window());
  const COLORREF background = blurred.At(f.box->Width() - 1, 0);
  int covered = 0;
  for (int y = 0; y < f.box->Height(); ++y)
    for (int x = 18; x < f.box->Width(); ++x)
      if (focused.At(x, y) != blurred.At(x, y) && blurred.At(x, y) != background) ++covered;
  return covered;
}

TEST_F(ClassicCheckBox, FocusRectangleSurroundsTheCaption) {
  TCheckFixture f;
  const TClientPicture blurred(f.Window());
  f.box->SetFocus();
  PumpFor(20);
  const TClientPicture focused(f.Window());
  const RECT changed = focused.Difference(blurred);
  EXPECT_FALSE(IsRectEmpty(&changed));
  EXPECT_GE(changed.left, 17);
  EXPECT_LE(changed.right, f.box->Width());
}

TEST_F(ClassicCheckBox, FocusRectangleLeavesEveryPixelOfTheCaption) {
  TCheckFixture f;
  EXPECT_EQ(FocusPixelsOnTheCaption(f), 0);
}

TEST_F(ClassicCheckBox, EndEllipsisCutsALongCaption) {
  TCheckFixture f;
  f.box->SetAutoSize(false);
  f.box->SetWidth(60);
  const TClientPicture cut(f.Window());
  f.box->SetEndEllipsis(true);
  const TClientPicture ellipsis(f.Window());
  const RECT changed = ellipsis.Difference(cut);
  EXPECT_FALSE(IsRectEmpty(&changed));
  EXPECT_GE(changed.left, 18);
}

TEST_F(ClassicCheckBox, FlatAndMoneyFlatFramesReplaceTheSunkenRing) {
  TCheckFixture f;
  f.box->SetFlat(true);
  const TClientPicture flat(f.Window());
  EXPECT_EQ(flat.At(0, 2), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(flat.At(1, 3), Sys(COLOR_WINDOW));
  EXPECT_EQ(flat.At(12, 14), Sys(COLOR_BTNSHADOW));
  f.box->SetMoneyFlat(true);
  f.box->SetMoneyFlatInactiveColor(RGB(0, 128, 0));
  const TClientPicture money(f.Window());
  EXPECT_EQ(money.At(0, 2), RGB(0, 128, 0));
  EXPECT_EQ(money.At(12, 14), RGB(0, 128, 0));
}

TEST_F(ClassicCheckBox, CustomGlyphStripGivesTheBoxItsImages) {
  TCheckFixture f;
  TBitmap strip;
  strip.SetSize(6 * 10, 10);
  // Each image a colour of its own; the bottom-left pixel is see-through.
  const COLORREF colours[6] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255),
                               RGB(255, 255, 0), RGB(0, 255, 255), RGB(255, 0, 255)};
  HDC dc = strip.Canvas()->Handle();
  for (int i = 0; i < 6; ++i) {
    TGdiObject<HBRUSH> brush(CreateSolidBrush(colours[i]));
    RECT r{i * 10, 0, i * 10 + 10, 10};
    FillRect(dc, &r, brush.Get());
  }
  ::SetPixel(dc, 0, 9, RGB(7, 7, 7));
  const int width = f.box->Width();
  f.box->SetGlyph(&strip);
  EXPECT_EQ(f.box->Width(), width);  // not used yet
  f.box->SetUseCustomGlyphs(true);
  // A 10-pixel box: 3 narrower, and max(10 + 4, 13 + 2) high.
  EXPECT_EQ(f.box->Width(), width - 3);
  EXPECT_EQ(f.box->Height(), 15);
  struct Case {
    TCheckBoxState state;
    bool enabled;
    int image;
  } cases[] = {{cbUnchecked, true, 0}, {cbUnchecked, false, 1}, {cbChecked, true, 2},
               {cbChecked, false, 3}, {cbGrayed, true, 4},    {cbGrayed, false, 5}};
  f.box->SetAllowGrayed(true);
  for (const Case& c : cases) {
    f.box->SetState(c.state);
    f.box->SetEnabled(c.enabled);
    const TClientPicture picture(f.Window());
    const int top = f.box->Height() / 2 - 5;
    EXPECT_EQ(picture.At(5, top + 5), colours[c.image]) << c.image;
  }
}

TEST_F(ClassicCheckBox, TransparentBoxShowsItsParentAroundBoxAndCaption) {
  TCheckFixture f;
  f.form->SetColor(RGB(0, 128, 0));
  f.box->SetColor(clBtnFace);
  const int w = f.box->Width();
  EXPECT_EQ(TClientPicture(f.Window()).At(w - 1, 0), Sys(COLOR_BTNFACE));
  f.box->SetTransparent(true);
  EXPECT_NE(GetWindowLongW(f.Window(), GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
  const TClientPicture picture(f.Window());
  EXPECT_EQ(picture.At(w - 1, 0), RGB(0, 128, 0));
  EXPECT_EQ(picture.At(15, 1), RGB(0, 128, 0));
  EXPECT_GT(picture.Count(RECT{18, 0, w, f.box->Height()}, Is(Sys(COLOR_BTNTEXT))), 20);
  // An opaque sibling repainting over it tells it to repaint; it tells nobody.
  auto* sibling = new TElCheckBox(f.form);
  sibling->SetParent(f.form);
  sibling->SetBounds(5, 5, 60, 17);
  sibling->Repaint();
  f.box->Repaint();
  PumpFor(20);
  f.box->SetTransparent(false);
  EXPECT_EQ(GetWindowLongW(f.Window(), GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
  EXPECT_EQ(TClientPicture(f.Window()).At(w - 1, 0), Sys(COLOR_BTNFACE));
}

TEST_F(CheckBoxInput, ContextMenuOverALinkPopsUpTheLinkMenu) {
  f.box->SetIsHTML(true);
  f.box->SetCaption(u"<a href=\"help\">Help</a> text");
  auto* menu = new TPopupMenu(f.form);
  auto* item = new TMenuItem(menu);
  item->SetCaption(u"Open link");
  menu->Items()->Add(item);
  int shown = 0;
  menu->OnPopup = [&](TObject*) {
    ++shown;
    // Closed before it opens: only the decision to show it is looked at.
    PostMessageW(f.form->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  };
  f.box->SetLinkPopupMenu(menu);
  PumpFor(20);
  POINT overLink = f.box->ClientToScreen(POINT{13 + 5 + 3, 8});
  POINT overText = f.box->ClientToScreen(POINT{f.box->Width() - 4, 8});
  SendMessageW(f.Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.Window()), MAKELPARAM(overText.x, overText.y));
  EXPECT_EQ(shown, 0);
  SendMessageW(f.Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.Window()), MAKELPARAM(overLink.x, overLink.y));
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(menu->PopupComponent(), f.box);
  // The box's own menu comes first.
  auto* own = new TPopupMenu(f.form);
  own->Items()->Add(new TMenuItem(own));
  own->Items()->Items(0)->SetCaption(u"Own");
  int ownShown = 0;
  own->OnPopup = [&](TObject*) {
    ++ownShown;
    PostMessageW(f.form->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  };
  f.box->SetPopupMenu(own);
  SendMessageW(f.Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.Window()), MAKELPARAM(overLink.x, overLink.y));
  EXPECT_EQ(ownShown, 1);
  EXPECT_EQ(shown, 1);
}

TEST_F(ClassicCheckBox, ImageListGivesTheBoxItsImagesAndAlphaBlendsThem) {
  TCheckFixture f;
  auto* images = new TImageList(f.form, 12, 12);
  const COLORREF colours[6] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200),
                               RGB(200, 200, 0), RGB(0, 200, 200), RGB(200, 0, 200)};
  for (COLORREF colour : colours) {
    TBitmap image;
    image.SetSize(12, 12);
    TGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    RECT all{0, 0, 12, 12};
    FillRect(image.Canvas()->Handle(), &all, brush.Get());
    images->Add(&image, nullptr);
  }
  f.box->SetUseImageList(true);  // refused: no images yet
  EXPECT_FALSE(f.box->UseImageList());
  f.box->SetImages(images);  // the first list turns it on
  EXPECT_TRUE(f.box->UseImageList());
  f.box->SetChecked(true);
  const int top = f.box->Height() / 2 - 6;
  EXPECT_EQ(TClientPicture(f.Window()).At(6, top + 6), colours[2]);
  // Half opacity over the button face.
  auto* alpha = new TImageList(f.form, 12, 12);
  for (int i = 0; i < 6; ++i) {
    TBitmap grey;
    grey.SetSize(12, 12);
    TGdiObject<HBRUSH> brush(CreateSolidBrush(RGB(128, 128, 128)));
    RECT all{0, 0, 12, 12};
    FillRect(grey.Canvas()->Handle(), &all, brush.Get());
    alpha->Add(&grey, nullptr);
  }
  f.box->SetAlphaForImages(alpha);
  const COLORREF face = Sys(COLOR_BTNFACE);
  const COLORREF blended = TClientPicture(f.Window()).At(6, top + 6);
  EXPECT_NEAR(GetBValue(blended), (GetBValue(face) + 200) / 2, 2);
  EXPECT_NEAR(GetRValue(blended), GetRValue(face) / 2, 2);
  // The list going away turns its use off.
  delete images;
  EXPECT_EQ(f.box->Images(), nullptr);
  EXPECT_FALSE(f.box->UseImageList());
}

TEST(ThemedCheckBox, StatesDrawInTheBoxAndTheCaptionStays) {
  REQUIRE_ACTIVE_THEME();
  TCheckFixture f;
  ASSERT_TRUE(f.box->IsThemeApplied());
  const RECT box{0, 0, 13, f.box->Height()};
  const TClientPicture unchecked(f.Window());
  EXPECT_EQ(unchecked.Count(RECT{0, 0, f.box->Width(), f.box->Height()}, Is(RGB(1, 2, 3))), 0);
  f.box->SetChecked(true);
  const TClientPicture checked(f.Window());
  const RECT changed = checked.Difference(unchecked);
  EXPECT_FALSE(IsRectEmpty(&changed));
  EXPECT_TRUE(Inside(changed, box));
  f.box->SetEnabled(false);
  const TClientPicture disabled(f.Window());
  const RECT greyed = disabled.Difference(checked);
  EXPECT_FALSE(IsRectEmpty(&greyed));
  EXPECT_GT(greyed.right, 18);  // the caption is drawn greyed too
}

TEST(ThemedCheckBox, FocusRectangleLeavesEveryPixelOfTheCaption) {
  REQUIRE_ACTIVE_THEME();
  TCheckFixture f;
  ASSERT_TRUE(f.box->IsThemeApplied());
  EXPECT_EQ(FocusPixelsOnTheCaption(f), 0);
}

}  // namespace
