#pragma once
// The assistant shown before a send, save or print action, for the flow's
// handler firing: the assistant of that name over the dialog, with the
// dialog out of the top-most layer meanwhile. Handling thread.
#include "crash/flow/HandlerFiring.h"

class TDialogAssistant : public IActionAssistant {
 public:
  // False only when the user cancelled; an assistant that does not exist
  // lets the action go on.
  bool Run(TIMEException& exception, const std::string& assistantName, std::uintptr_t parentWindow) override;
};

// The one the process gives the crash reporter.
TDialogAssistant& ProcessDialogAssistant();
