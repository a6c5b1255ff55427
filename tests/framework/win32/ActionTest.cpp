#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/UnicodeHint.h"
#include "framework/win32/ActnList.h"
#include "framework/win32/Application.h"
#include "framework/win32/Form.h"
#include "framework/win32/StdCtrls.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

TEST(ShortCutText, ModifiersThenKeyName) {
  const struct {
    TShortCut shortCut;
    const char16_t* text;
  } cases[] = {
      {0, u""},
      {ShortCut('S', scCtrl), u"Ctrl+S"},
      {ShortCut('7', scShift | scCtrl | scAlt), u"Shift+Ctrl+Alt+7"},
      {ShortCut(0x70, 0), u"F1"},
      {ShortCut(0x7B, scAlt), u"Alt+F12"},
      {ShortCut(0x87, 0), u"F24"},
      {ShortCut(0x2E, scShift), u"Shift+Del"},
      {ShortCut(0x0D, 0), u"Enter"},
      {ShortCut(0x21, scCtrl), u"Ctrl+PgUp"},
      {ShortCut(0x07, scCtrl), u""},  // no key of that code: no text, no stray "Ctrl+"
  };
  for (const auto& c : cases) EXPECT_EQ(ShortCutToText(c.shortCut), WideString(c.text)) << c.shortCut;
}

TEST(Action, EveryPropertyChangeReachesTheClientsOnceAndSameValuesNone) {
  struct TCountingLink : TBasicActionLink {
    int changes = 0;
    TActionProperties last = 0;
    void Change(TActionProperties changed) override {
      ++changes;
      last = changed;
    }
  };
  TAction action(nullptr);
  TCountingLink first;
  TCountingLink second;
  first.SetAction(&action);
  second.SetAction(&action);
  EXPECT_EQ(action.ClientCount(), 2);
  action.SetCaption(u"Go");
  action.SetChecked(true);
  action.SetEnabled(false);
  action.SetVisible(false);
  action.SetHelpContext(7);
  action.SetHint(u"Start");
  action.SetShortCut(ShortCut('G', scCtrl));
  EXPECT_EQ(first.last, apShortCut);
  EXPECT_EQ(first.changes, 7);
  EXPECT_EQ(second.changes, 7);
  action.SetCaption(u"Go");  // unchanged: nobody is told
  action.SetChecked(true);
  EXPECT_EQ(first.changes, 7);
  second.SetAction(nullptr);
  action.SetCaption(u"Run");
  EXPECT_EQ(first.changes, 8);
  EXPECT_EQ(second.changes, 7);
  EXPECT_EQ(action.ClientCount(), 1);
}

TEST(Action, ExecuteReportsWhetherAHandlerRan) {
  TAction action(nullptr);
  EXPECT_FALSE(action.Execute());
  int runs = 0;
  action.OnExecute = [&](TObject* sender) {
    EXPECT_EQ(sender, &action);
    ++runs;
  };
  EXPECT_TRUE(action.Execute());
  EXPECT_EQ(runs, 1);
}

class LinkedActionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(300, 200);
    button = new TButton(form);
    button->SetParent(form);
    button->SetBounds(10, 10, 80, 25);
    button->OnClick = [this](TObject*) { log.push_back("OnClick"); };
    action = new TAction(form);
    action->SetCaption(u"Action caption");
    action->SetHint(u"Action hint");
    action->SetHelpContext(12);
    form->Show();
    PumpFor(20);
  }
  void TearDown() override { delete form; }
  void Press() { SendMessageW(button->Handle(), BM_CLICK, 0, 0); }

  TForm* form = nullptr;
  TButton* button = nullptr;
  TAction* action = nullptr;
  std::vector<std::string> log;
};

TEST_F(LinkedActionTest, FirstLinkFillsInOnlyWhatTheControlDoesNotHave) {
  button->SetCaption(u"Own caption");
  button->SetEnabled(false);
  button->SetAction(action);
  EXPECT_EQ(button->Action(), action);
  EXPECT_EQ(button->Caption(), u"Own caption");  // already set: kept
  EXPECT_FALSE(button->Enabled());              // already off: kept
  EXPECT_EQ(button->Hint(), EncodeUnicodeHint(u"Action hint"));  // was empty: taken
  EXPECT_EQ(button->HelpContext(), 12);
  EXPECT_TRUE(button->Visible());

  // Linking another action later takes all of its values.
  auto* other = new TAction(form);
  other->SetCaption(u"Other");
  button->SetAction(other);
  EXPECT_EQ(button->Caption(), u"Other");
  EXPECT_TRUE(button->Enabled());
  EXPECT_TRUE(button->Hint().empty());
  EXPECT_EQ(button->HelpContext(), 0);
  EXPECT_EQ(action->ClientCount(), 0);
  EXPECT_EQ(other->ClientCount(), 1);
}

TEST_F(LinkedActionTest, ActionChangesReachTheControl) {
  button->SetAction(action);
  action->SetCaption(u"Renamed \u0416");
  EXPECT_EQ(button->Caption(), u"Renamed \u0416");
  action->SetEnabled(false);
  EXPECT_FALSE(button->Enabled());
  EXPECT_FALSE(IsWindowEnabled(button->Handle()));
  action->SetVisible(false);
  EXPECT_FALSE(button->Visible());
  action->SetHint(u"");
  EXPECT_TRUE(button->Hint().empty());
  action->SetHelpContext(3);
  EXPECT_EQ(button->HelpContext(), 3);

  // A change takes over only the property that changed: what the control
  // set itself since stays.
  button->SetCaption(u"Own again");
  button->SetHelpContext(40);
  action->SetEnabled(true);
  EXPECT_TRUE(button->Enabled());
  EXPECT_EQ(button->Caption(), u"Own again");
  EXPECT_EQ(button->HelpContext(), 40);
}

TEST_F(LinkedActionTest, ClickRunsTheActionOnceInsteadOfOnClick) {
  button->SetAction(action);
  Press();  // without OnExecute the control's own OnClick runs
  EXPECT_EQ(log, std::vector<std::string>{"OnClick"});
  log.clear();
  action->OnExecute = [this](TObject*) { log.push_back("Execute"); };
  Press();
  EXPECT_EQ(log, std::vector<std::string>{"Execute"});
  log.clear();
  button->SetAction(nullptr);
  Press();
  EXPECT_EQ(log, std::vector<std::string>{"OnClick"});
}

TEST_F(LinkedActionTest, FreeingEitherSideLeavesNoDanglingLink) {
  button->SetAction(action);
  action->OnExecute = [this](TObject*) { log.push_back("Execute"); };
  delete action;
  EXPECT_EQ(button->Action(), nullptr);
  Press();  // the control clicks as an unlinked one
  EXPECT_EQ(log, std::vector<std::string>{"OnClick"});
  button->SetCaption(u"Still here");
  EXPECT_EQ(button->Caption(), u"Still here");

  auto* second = new TAction(form);
  button->SetAction(second);
  EXPECT_EQ(second->ClientCount(), 1);
  delete button;
  EXPECT_EQ(second->ClientCount(), 0);
  second->SetCaption(u"Nobody listens");  // must not reach the freed control
}

}  // namespace
