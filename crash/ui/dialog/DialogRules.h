#pragma once
// The exception dialog's decisions that need no window: the reflowed
// message, which button presses itself, which gets the focus, whether the
// continue button is usable, and what closing the dialog without a button
// means. Pure functions; any thread.
#include <array>
#include <string>

// Button codes, in creation order (the codes of FocusedBtn).
enum TDialogButton : int {
  dbSend = 0,
  dbSave = 1,
  dbPrint = 2,
  dbShow = 3,
  dbContinue = 4,
  dbRestart = 5,
  dbClose = 6,
  dbNone = -1,
};
constexpr int kDialogButtonCount = 7;
using TButtonVisibility = std::array<bool, kDialogButtonCount>;

// Every ". " whose full stop is at least the 20th character and at most the
// tenth before the end gets a line break (CR LF) instead of its blank.
std::string ReflowMessage(const std::string& message);

struct TAutoButtonInput {
  TButtonVisibility Visible{};
  bool CloseRuleHolds = false;    // the AutoClose rule, for this exception
  bool RestartRuleHolds = false;  // the AutoRestart rule
  bool AutoContinue = false;
  bool CanContinue = true;
};
// The button that presses itself after AutoDelay, or dbNone.
TDialogButton AutomaticButton(const TAutoButtonInput& input);

// The continue button is disabled (and shows its can't-continue picture)
// when the exception cannot continue and a restart or close button exists.
bool ContinueDisabled(const TButtonVisibility& visible, bool canContinue);

// What a press of button means: continue on an exception that cannot
// continue acts as close.
TDialogButton EffectiveButton(TDialogButton pressed, bool canContinue);

struct TCloseInput {
  TButtonVisibility Visible{};
  int FocusedBtn = 0;
  bool CanContinue = true;
  bool SimpleBox = false;
};
// What Escape or the close box does: continue, restart, close or nothing
// (dbNone). The result is already the effective action.
TDialogButton CloseWithoutButton(const TCloseInput& input);
