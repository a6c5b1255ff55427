#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <stdexcept>
#include <thread>

#include "crash/flow/ExceptionHandlers.h"
#include "crash/flow/ExceptionHistory.h"
#include "crash/ui/dialog/win32/ExceptionPresenter.h"
#include "tests/crash/flow/FakeFlowEnvironment.h"
#include "tests/crash/ui/dialog/win32/DialogDriver.h"

namespace {

std::string Settings(const std::function<void(TSettingsResourceBuilder&)>& more) {
  TSettingsResourceBuilder builder;
  builder.Bool("NoSettings", false);
  // A setting given twice counts the first time: the test's own go first.
  if (more) more(builder);
  builder.Bool("SendBtnVis", true).Bool("ShowBtnVis", true).Bool("SaveBtnVis", false).Bool("PrintBtnVis", false);
  builder.Bool("ContinueBtnVis", true).Bool("RestartBtnVis", true).Bool("CloseBtnVis", true);
  builder.Bool("AutoContinue", true).Int("AutoDelay", 60).Int("AutoRestart", 0).Int("AutoClose", 0);
  builder.Text("TitleBar", "Failure in %appname%").Text("ExceptMsg", "Something went wrong:%LF%%exceptMsg%");
  builder.Bool("PlWaitBox", false).Bool("AutoSave", false);
  return builder.End();
}

class ExceptionBoxTest : public ::testing::Test {
 protected:
  void Use(const std::function<void(TSettingsResourceBuilder&)>& more) {
    environment = std::make_unique<TFakeFlowEnvironment>(Settings(more));
  }

  TIMEException& Make(bool canContinue = true, const char* message = "The disk D: is completely full. Nothing more was written") {
    TExceptionParams params;
    try {
      throw std::runtime_error(message);
    } catch (...) {
      params.Exception = std::current_exception();
    }
    params.CanContinue = canContinue;
    exception = std::make_unique<TIMEException>(environment->settings, environment->SettingsOfAddress(0), params);
    exception->Header().Add("exception class", "std::runtime_error");
    exception->Sections().Add("main thread ($1a4):", "00401000 +010 Ravelin.exe Main 12 +2 Foo\r\n"
                                                     "00401100 +020 Ravelin.exe Main 99 +0 Bar");
    exception->Sections().Add("modules", ">> will be calculated soon");
    handlers.RegisterActionHandler(this, [this](TExceptAction action, TIMEException&, bool& handled) {
      actions.push_back(action);
      if (action == handleAction) handled = true;
    });
    return *exception;
  }

  // Runs the presentation here while driver works the dialog from a thread.
  bool Present(const std::function<void()>& driver) {
    std::thread thread(driver);
    const bool shown = PresentException(*exception, *environment, handlers, history);
    thread.join();
    return shown;
  }

  bool Fired(TExceptAction action) const { return std::find(actions.begin(), actions.end(), action) != actions.end(); }

  std::unique_ptr<TFakeFlowEnvironment> environment;
  std::unique_ptr<TIMEException> exception;
  TExceptionHandlers handlers;
  TExceptionHistory history;
  std::vector<TExceptAction> actions;
  TExceptAction handleAction = eaHelp;
  bool handleHelp = false;
};

}  // namespace

TEST_F(ExceptionBoxTest, FullDialogShowsTheSettingsButtonsAndContinues) {
  Use(nullptr);
  Make();
  std::string caption, text;
  bool sendVisible = false, saveAbsent = false, continueEnabled = false, continueFocused = false;
  RECT send{}, close{};
  const bool shown = Present([&] {
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    caption = TextOf(dialog);
    HWND child = FindWindowExA(dialog, nullptr, "STATIC", nullptr);
    text = TextOf(child);
    sendVisible = IsWindowVisible(Button(dialog, dbSend)) != FALSE;
    saveAbsent = Button(dialog, dbSave) == nullptr && Button(dialog, dbPrint) == nullptr;
    continueEnabled = IsWindowEnabled(Button(dialog, dbContinue)) != FALSE;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    continueFocused = info.hwndFocus == Button(dialog, dbContinue);
    GetWindowRect(Button(dialog, dbSend), &send);
    GetWindowRect(Button(dialog, dbClose), &close);
    Press(dialog, dbContinue);
    WaitGone(dialog);
  });
  EXPECT_TRUE(shown);
  EXPECT_EQ(caption.rfind("Failure in ", 0), 0u) << caption;
  EXPECT_NE(caption.find(".exe"), std::string::npos) << caption;
  EXPECT_EQ(text, "Something went wrong:\r\nThe disk D: is completely full.\r\nNothing more was written.");
  EXPECT_TRUE(sendVisible);
  EXPECT_TRUE(saveAbsent);
  EXPECT_TRUE(continueEnabled);
  EXPECT_TRUE(continueFocused) << "the automatic button has the focus";
  EXPECT_LT(send.right, close.left) << "actions left, the final buttons right";
  EXPECT_EQ(actions, std::vector<TExceptAction>{eaContinueApplication});
  EXPECT_FALSE(environment->Logged("close"));
  EXPECT_FALSE(environment->Logged("restart"));
}

TEST_F(ExceptionBoxTest, TheAutomaticButtonPressesItselfAfterItsDelay) {
  Use([](TSettingsResourceBuilder& b) { b.Int("AutoDelay", 1); });
  Make();
  Present([] { WaitGone(WaitForDialog()); });
  EXPECT_EQ(actions, std::vector<TExceptAction>{eaContinueApplication});
}

TEST_F(ExceptionBoxTest, RestartIsTheAutomaticButtonWhenItsRuleHolds) {
  Use([](TSettingsResourceBuilder& b) { b.Int("AutoRestart", 1).Int("AutoDelay", 1); });
  Make();
  Present([] { WaitGone(WaitForDialog()); });
  EXPECT_EQ(actions, std::vector<TExceptAction>{eaRestartApplication});
  EXPECT_TRUE(environment->Logged("restart"));
  EXPECT_EQ(exception->FocusedBtn(), dbRestart);
}

TEST_F(ExceptionBoxTest, AnExceptionThatCannotContinueDisablesContinueAndEscapeClosesAfterTheAutomaticSave) {
  Use([](TSettingsResourceBuilder& b) { b.Bool("AutoSave", true).Bool("AutoSaveIfNotSent", false); });
  Make(false);
  bool continueEnabled = true;
  Present([&] {
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    continueEnabled = IsWindowEnabled(Button(dialog, dbContinue)) != FALSE;
    PressKey(dialog, VK_ESCAPE);
    WaitGone(dialog);
  });
  EXPECT_FALSE(continueEnabled);
  EXPECT_EQ(actions, (std::vector<TExceptAction>{eaCloseApplication, eaSaveBugReport}));
  EXPECT_EQ(environment->log, (std::vector<std::string>{"save", "close"}));
}

TEST_F(ExceptionBoxTest, AHandledRestartKeepsTheDialogAndF1AsksForHelp) {
  Use([](TSettingsResourceBuilder& b) { b.Bool("AutoContinue", false); });
  Make();
  handleAction = eaRestartApplication;
  bool stayed = false;
  Present([&] {
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    Press(dialog, dbRestart);
    PressKey(dialog, VK_F1);
    Press(dialog, dbClose);
    WaitGone(dialog);
    stayed = true;
  });
  EXPECT_TRUE(stayed);
  EXPECT_EQ(actions, (std::vector<TExceptAction>{eaRestartApplication, eaHelp, eaCloseApplication}));
  EXPECT_FALSE(environment->Logged("restart"));
  EXPECT_TRUE(environment->Logged("close"));
}

TEST_F(ExceptionBoxTest, ShowOpensTheDialogAgainWithTheReportThatGrows) {
  Use(nullptr);
  Make();
  std::vector<std::string> tabsBefore, tabsAfter;
  bool showGone = false, stillAutomatic = true;
  const auto tabTitles = [](HWND tabs) {
    std::vector<std::string> titles;
    for (int i = 0; i < TabCtrl_GetItemCount(tabs); ++i) {
      char text[64] = "";
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
      titles.push_back(text);
    }
    return titles;
  };
  Present([&] {
    HWND first = WaitForDialog();
    ASSERT_NE(first, nullptr);
    Press(first, dbShow);
    HWND second = WaitForDialog(first);
    ASSERT_NE(second, nullptr);
    HWND tabs = FindWindowExA(second, nullptr, WC_TABCONTROLA, nullptr);
    ASSERT_NE(tabs, nullptr);
    tabsBefore = tabTitles(tabs);
    showGone = Button(second, dbShow) == nullptr;
    // The completion thread's change reaches the view by a posted message.
    exception->Sections().Add("processes", "0004 System      0 normal\r\nbeef Ravelin.exe 1 below normal");
    exception->Sections().Add("modules", "00400000 Ravelin.exe D:\\app\\\r\n10000000 a.dll D:\\app\\");
    for (int i = 0; i < 500 && tabTitles(tabs).size() == tabsBefore.size(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    tabsAfter = tabTitles(tabs);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stillAutomatic = exception->AutoContinue();
    Press(second, dbContinue);
    WaitGone(second);
  });
  EXPECT_EQ(tabsBefore, (std::vector<std::string>{"general", "call stack", "modules"}));
  EXPECT_EQ(tabsAfter, (std::vector<std::string>{"general", "call stack", "modules", "processes"}));
  EXPECT_TRUE(showGone);
  EXPECT_FALSE(stillAutomatic);
  EXPECT_EQ(actions, (std::vector<TExceptAction>{eaShowBugReport, eaContinueApplication}));
}

TEST_F(ExceptionBoxTest, SimpleBoxTakesItsNameFromTheExecutableAndDetailsOpensTheReport) {
  Use([](TSettingsResourceBuilder& b) { b.Int("GnShowCfg", 3); });
  Make();
  exception->SetPresentation(3);
  std::string caption, ok, text;
  int buttons = 0;
  bool reportShown = false;
  Present([&] {
    HWND box = WaitForDialog();
    ASSERT_NE(box, nullptr);
    caption = TextOf(box);
    ok = TextOf(Button(box, dbContinue));
    text = TextOf(FindWindowExA(box, nullptr, "STATIC", nullptr));
    for (int code = 0; code < kDialogButtonCount; ++code) buttons += Button(box, code) != nullptr;
    Press(box, dbShow);
    HWND full = WaitForDialog(box);
    ASSERT_NE(full, nullptr);
    reportShown = FindWindowExA(full, nullptr, WC_TABCONTROLA, nullptr) != nullptr;
    Press(full, dbContinue);
    WaitGone(full);
  });
  EXPECT_EQ(caption, "crash_dialog_win32_tests");
  EXPECT_EQ(ok, "&OK");
  EXPECT_EQ(text, "The disk D: is completely full.\r\nNothing more was written.");
  EXPECT_EQ(buttons, 2);
  EXPECT_TRUE(reportShown);
}

TEST_F(ExceptionBoxTest, PresentationFourShowsNothing) {
  Use(nullptr);
  Make();
  exception->SetPresentation(4);
  EXPECT_FALSE(PresentException(*exception, *environment, handlers, history));
  EXPECT_EQ(FindWindowExA(nullptr, nullptr, kExceptionBoxClass, nullptr), nullptr);
  EXPECT_TRUE(actions.empty());
}

TEST_F(ExceptionBoxTest, ControlCCopiesTheMessageOrTheShownReport) {
  Use([](TSettingsResourceBuilder& b) { b.Bool("AutoShowBugRep", true); });
  Make();
  Present([&] {
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    HWND target = Button(dialog, dbContinue);
    // The key state travels with the input, so the copy is asked for by the
    // real keys of a person: Control held, then C.
    SetForegroundWindow(dialog);
    AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(dialog, nullptr), TRUE);
    INPUT keys[4] = {};
    for (INPUT& key : keys) key.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_CONTROL;
    keys[1].ki.wVk = 'C';
    keys[2].ki.wVk = 'C';
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_CONTROL;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SetFocus(target);
    SendInput(4, keys, sizeof(INPUT));
    for (int i = 0; i < 300 && environment->log.empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(dialog, nullptr), FALSE);
    Press(dialog, dbContinue);
    WaitGone(dialog);
  });
  // The shown report's text begins with its header.
  EXPECT_TRUE(environment->Logged("clip:exception class"));
}
