#include "crash/ui/dialog/win32/DialogActions.h"

#include <commdlg.h>

#include "crash/flow/ExceptionHistory.h"
#include "crash/flow/FlowEnvironment.h"
#include "crash/flow/HandlerFiring.h"
#include "crash/flow/TIMEException.h"
#include "crash/report/ReportFile.h"
#include "crash/report/win32/Win32ReportFile.h"
#include "crash/ui/dialog/win32/ReportPrinter.h"
#include "crash/ui/dialog/win32/ReportWait.h"
#include "crash/win32/BlockedProcess.h"

TDialogActions::TDialogActions(TIMEException& exception, IFlowEnvironment& environment, TExceptionHandlers& handlers,
                               TExceptionHistory& history)
    : FException(exception), FEnvironment(environment), FHandlers(handlers), FHistory(history) {}

bool TDialogActions::Fire(TExceptAction action, HWND dialog) {
  bool handled = false;
  THandlerFiring firing(FHandlers, FEnvironment.MainThread(), FEnvironment.Assistant());
  firing.RunHandlers(reinterpret_cast<std::uintptr_t>(dialog), hkAction, action, handled, FException);
  return handled;
}

bool TDialogActions::ActionAllowed() {
  if (!ProcessIsBlocked()) return true;
  MessageBeep(MB_ICONHAND);  // no dialog of the system may run now
  return false;
}

void TDialogActions::Send(HWND dialog) {
  if (Fire(eaSendBugReport, dialog)) return;
  if (FException.AttachScreenshot() && !FException.Screenshot()) FEnvironment.TakeScreenshot(FException);
  WaitForCompleteReport(FException, dialog);
  MessageBoxA(dialog, FException.SendFailMsg().c_str(), FException.TitleBar().c_str(), MB_OK | MB_ICONERROR);
}

bool TDialogActions::Save(HWND dialog) {
  if (Fire(eaSaveBugReport, dialog) || !ActionAllowed()) return false;
  const std::string report = WaitForCompleteReport(FException, dialog);
  char file[MAX_PATH] = "";
  const std::string suggested = FException.BugRepFile();
  lstrcpynA(file, suggested.c_str(), sizeof file);
  OPENFILENAMEA dialogData{};
  dialogData.lStructSize = sizeof dialogData;
  dialogData.hwndOwner = dialog;
  dialogData.lpstrFilter = "Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
  dialogData.lpstrFile = file;
  dialogData.nMaxFile = sizeof file;
  dialogData.lpstrDefExt = "txt";
  dialogData.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!GetSaveFileNameA(&dialogData)) return false;
  if (!WriteReportToWin32Path(file, report, ReportFileOptionsOf(FException))) return false;
  FException.SetSaved(true);
  return true;
}

void TDialogActions::Print(HWND dialog) {
  if (Fire(eaPrintBugReport, dialog) || !ActionAllowed()) return;
  const std::string report = WaitForCompleteReport(FException, dialog);
  PrintReportWithDialog(dialog, report, FException.PrintBtnTxt());
}

void TDialogActions::Copy(const std::string& text) { FEnvironment.CopyToClipboard(text); }

bool TDialogActions::AbsoluteFileName(const std::string& name) {
  return (!name.empty() && name[0] == '\\') || (name.size() >= 2 && name[1] == ':');
}

bool TDialogActions::RestartRuleHolds() { return FHistory.RuleHolds(FException.AutoRestart(), FEnvironment.NowSeconds()); }

bool TDialogActions::CloseRuleHolds() { return FHistory.RuleHolds(FException.AutoClose(), FEnvironment.NowSeconds()); }

void TDialogActions::EndProcess(bool restart) {
  TIMEException& e = FException;
  if (e.CreateReport()) {
    // As the automatic close does: a report that someone waits for is
    // finished, an automatic save is made, a sending in progress ends.
    if (e.HasCriticalCallback() || (e.CallHandlers() && FHandlers.AnyExceptionHandler(epCompleteReport)))
      e.WaitForCompleteReport();
    if (e.AutoSave()) {
      if (e.AutoSaveIfNotSent()) e.WaitForSending();
      if (!(e.AutoSaveIfNotSent() && e.Sent()) && e.IncrementFirstSaveCount() == 0 && !Fire(eaSaveBugReport, nullptr))
        FEnvironment.SaveSilently(e);
    }
    e.WaitForSending();
  }
  if (restart)
    FEnvironment.RestartProcess(e);
  else
    FEnvironment.CloseProcess(e);
}
