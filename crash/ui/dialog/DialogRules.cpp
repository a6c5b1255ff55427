#include "crash/ui/dialog/DialogRules.h"

std::string ReflowMessage(const std::string& message) {
  std::string result;
  result.reserve(message.size() + 16);
  const std::size_t length = message.size();
  for (std::size_t i = 0; i < length; ++i) {
    const std::size_t position = i + 1;  // counted from 1
    if (message[i] == '.' && i + 1 < length && message[i + 1] == ' ' && position >= 20 && position + 10 <= length) {
      result += ".\r\n";
      ++i;  // the blank gives way to the line break
    } else {
      result += message[i];
    }
  }
  return result;
}

TDialogButton AutomaticButton(const TAutoButtonInput& input) {
  if (input.CloseRuleHolds && input.Visible[dbClose]) return dbClose;
  if (input.RestartRuleHolds && input.Visible[dbRestart]) return dbRestart;
  if (input.AutoContinue && input.Visible[dbContinue] && input.CanContinue) return dbContinue;
  return dbNone;
}

bool ContinueDisabled(const TButtonVisibility& visible, bool canContinue) {
  return !canContinue && (visible[dbRestart] || visible[dbClose]);
}

TDialogButton EffectiveButton(TDialogButton pressed, bool canContinue) {
  return pressed == dbContinue && !canContinue ? dbClose : pressed;
}

TDialogButton CloseWithoutButton(const TCloseInput& input) {
  const bool canContinue = input.CanContinue;
  if (input.FocusedBtn >= dbContinue && input.FocusedBtn <= dbClose)
    return EffectiveButton(static_cast<TDialogButton>(input.FocusedBtn), canContinue);
  if (input.Visible[dbContinue] && canContinue) return dbContinue;
  if (input.Visible[dbClose]) return dbClose;
  if (input.Visible[dbRestart]) return dbRestart;
  // The simple box always closes; its OK button is the continue button.
  if (input.SimpleBox) return EffectiveButton(dbContinue, canContinue);
  return dbNone;
}
