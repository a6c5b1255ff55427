#pragma once
// What the exception dialog's buttons do beyond closing it: each fires the
// action handlers first (the first that handles stops the action), then
// sends, saves, prints, or ends the process. Handling thread.
#include <windows.h>

#include <string>

#include "crash/common/ExceptionKinds.h"

class IFlowEnvironment;
class TExceptionHandlers;
class TExceptionHistory;
class TIMEException;

class TDialogActions {
 public:
  TDialogActions(TIMEException& exception, IFlowEnvironment& environment, TExceptionHandlers& handlers,
                 TExceptionHistory& history);

  // The action handlers; true when one handled the action.
  bool Fire(TExceptAction action, HWND dialog);
  // Until reports can be sent, every way fails: the user learns so.
  void Send(HWND dialog);
  // Asks for the file and saves the complete report to it; true when saved.
  bool Save(HWND dialog);
  void Print(HWND dialog);
  // The copy for Control+C: the report when it is shown, else the message.
  void Copy(const std::string& text);
  // After a restart or close that no handler took: completes the automatic
  // actions (save, the sending in progress) and ends the process.
  void EndProcess(bool restart);

  // True when the save button goes after a successful save.
  static bool AbsoluteFileName(const std::string& name);
  // The automatic rules for the dialog's automatic button, now.
  bool RestartRuleHolds();
  bool CloseRuleHolds();

  TIMEException& Exception() { return FException; }

 private:
  bool ActionAllowed();
  TIMEException& FException;
  IFlowEnvironment& FEnvironment;
  TExceptionHandlers& FHandlers;
  TExceptionHistory& FHistory;
};
