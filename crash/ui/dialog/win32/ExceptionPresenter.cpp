#include "crash/ui/dialog/win32/ExceptionPresenter.h"

#include "crash/flow/ExceptionHandlers.h"
#include "crash/flow/ExceptionHistory.h"
#include "crash/flow/TIMEException.h"
#include "crash/ui/assistant/win32/AssistantRunner.h"
#include "crash/ui/dialog/win32/DialogActions.h"
#include "crash/ui/dialog/win32/ExceptionBox.h"

namespace {

enum TPresentation { kFullDialog = 0, kAssistant = 1, kWithReport = 2, kSimpleBox = 3, kNothing = 4 };

constexpr int kNoSuchAssistant = -1;

// The assistant of presentation 1, with no window to own it; false when no
// assistant of that name exists, which leaves the full dialog.
bool RunPresentationAssistant(TIMEException& exception) {
  return RunAssistant(exception.AssistantName(), nullptr, exception) != kNoSuchAssistant;
}

}  // namespace

bool PresentException(TIMEException& exception, IFlowEnvironment& environment) {
  return PresentException(exception, environment, TExceptionHandlers::Process(), TExceptionHistory::Process());
}

bool PresentException(TIMEException& exception, IFlowEnvironment& environment, TExceptionHandlers& handlers,
                      TExceptionHistory& history) {
  const int presentation = exception.Presentation();
  if (presentation == kNothing) return false;
  TDialogActions actions(exception, environment, handlers, history);
  if (presentation == kAssistant && RunPresentationAssistant(exception)) return true;
  if (presentation == kWithReport) exception.SetAutoShowBugRep(true);
  bool simple = presentation == kSimpleBox;
  bool first = true;
  TDialogButton result = dbNone;
  for (;;) {
    const bool showingReport = !simple && exception.AutoShowBugRep();
    TExceptionBox box(actions, simple);
    result = box.Run(first);
    first = false;
    if (result != dbShow || showingReport) break;
    // Again, with the report and without an automatic button.
    simple = false;
    exception.SetAutoShowBugRep(true);
    exception.SetAutoContinue(false);
    exception.SetAutoRestart(0);
    exception.SetAutoClose(0);
  }
  if (result == dbRestart || result == dbClose) actions.EndProcess(result == dbRestart);
  return true;
}
