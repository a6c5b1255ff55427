#include "crash/ui/dialog/DialogRules.h"

#include <gtest/gtest.h>

TEST(DialogRules, ReflowBreaksOnlySentencesInsideTheWindow) {
  const struct {
    const char* message;
    const char* expected;
  } cases[] = {
      // The full stop at 19 is too early, at 20 just in time.
      {"Access violation 1. Read of address 00000000 failed.",
       "Access violation 1. Read of address 00000000 failed."},
      {"Access violation 12. Read of address 00000000 failed.",
       "Access violation 12.\r\nRead of address 00000000 failed."},
      // A full stop closer than ten characters to the end stays.
      {"The file could not be opened. Try again.", "The file could not be opened.\r\nTry again."},
      {"The file could not be opened. Retry.", "The file could not be opened. Retry."},
      {"Short. Text. Here.", "Short. Text. Here."},
      {"First sentence is long enough. Second one too. And the third is here.",
       "First sentence is long enough.\r\nSecond one too.\r\nAnd the third is here."},
      {"Version 1.2.3 of the program failed badly", "Version 1.2.3 of the program failed badly"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ReflowMessage(c.message), c.expected) << c.message;
}

TEST(DialogRules, AutomaticButtonPrefersCloseThenRestartThenContinue) {
  TButtonVisibility all;
  all.fill(true);
  TButtonVisibility noClose = all;
  noClose[dbClose] = false;
  TButtonVisibility noRestart = all;
  noRestart[dbRestart] = false;
  TButtonVisibility noContinue = all;
  noContinue[dbContinue] = false;
  const struct {
    TButtonVisibility visible;
    bool close, restart, autoContinue, canContinue;
    TDialogButton expected;
  } cases[] = {
      {all, true, true, true, true, dbClose},
      {noClose, true, true, true, true, dbRestart},
      {all, false, true, true, true, dbRestart},
      {noRestart, false, true, true, true, dbContinue},
      {all, false, false, true, true, dbContinue},
      {all, false, false, true, false, dbNone},
      {noContinue, false, false, true, true, dbNone},
      {all, false, false, false, true, dbNone},
  };
  for (const auto& c : cases) {
    TAutoButtonInput input;
    input.Visible = c.visible;
    input.CloseRuleHolds = c.close;
    input.RestartRuleHolds = c.restart;
    input.AutoContinue = c.autoContinue;
    input.CanContinue = c.canContinue;
    EXPECT_EQ(AutomaticButton(input), c.expected)
        << c.close << c.restart << c.autoContinue << c.canContinue << c.visible[dbClose] << c.visible[dbRestart];
  }
}

TEST(DialogRules, ContinueOnAnExceptionThatCannotContinue) {
  TButtonVisibility all;
  all.fill(true);
  TButtonVisibility onlyContinue{};
  onlyContinue[dbContinue] = true;
  EXPECT_TRUE(ContinueDisabled(all, false));
  EXPECT_FALSE(ContinueDisabled(all, true));
  // Nothing else could end the dialog: the button stays usable, as close.
  EXPECT_FALSE(ContinueDisabled(onlyContinue, false));
  EXPECT_EQ(EffectiveButton(dbContinue, false), dbClose);
  EXPECT_EQ(EffectiveButton(dbContinue, true), dbContinue);
  EXPECT_EQ(EffectiveButton(dbRestart, false), dbRestart);
}

TEST(DialogRules, EscapeAndTheCloseBox) {
  TButtonVisibility all;
  all.fill(true);
  TButtonVisibility restartOnly{};
  restartOnly[dbRestart] = true;
  TButtonVisibility none{};
  const struct {
    TButtonVisibility visible;
    int focused;
    bool canContinue, simple;
    TDialogButton expected;
  } cases[] = {
      {all, dbRestart, true, false, dbRestart},
      {all, dbClose, true, false, dbClose},
      {all, dbContinue, true, false, dbContinue},
      {all, dbContinue, false, false, dbClose},  // continue acts as close
      {all, dbSend, true, false, dbContinue},
      {all, dbSend, false, false, dbClose},
      {restartOnly, dbSend, true, false, dbRestart},
      {none, dbShow, true, false, dbNone},
      {none, dbShow, true, true, dbContinue},
      {none, dbShow, false, true, dbClose},
  };
  for (const auto& c : cases) {
    TCloseInput input;
    input.Visible = c.visible;
    input.FocusedBtn = c.focused;
    input.CanContinue = c.canContinue;
    input.SimpleBox = c.simple;
    EXPECT_EQ(CloseWithoutButton(input), c.expected) << c.focused << c.canContinue << c.simple;
  }
}
