#include "crash/ui/dialog/win32/DialogAssistant.h"

#include <windows.h>

#include "crash/ui/assistant/win32/AssistantRunner.h"

namespace {

constexpr int kCancelled = 3;

// Takes a top-most window down for the life of the scope, so the
// assistant's forms can come above it, and puts it back.
class TBelowTopMost {
 public:
  explicit TBelowTopMost(HWND window)
      : FWindow(window), FWasTopMost(window != nullptr && (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
    if (FWasTopMost) SetWindowPos(FWindow, HWND_NOTOPMOST, 0, 0, 0, 0, kKeep);
  }
  ~TBelowTopMost() {
    if (FWasTopMost) SetWindowPos(FWindow, HWND_TOPMOST, 0, 0, 0, 0, kKeep);
  }
  TBelowTopMost(const TBelowTopMost&) = delete;
  TBelowTopMost& operator=(const TBelowTopMost&) = delete;

 private:
  static constexpr UINT kKeep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  HWND FWindow;
  bool FWasTopMost;
};

}  // namespace

bool TDialogAssistant::Run(TIMEException& exception, const std::string& assistantName, std::uintptr_t parentWindow) {
  HWND parent = reinterpret_cast<HWND>(parentWindow);
  TBelowTopMost below(parent);
  return RunAssistant(assistantName, parent, exception) != kCancelled;
}

TDialogAssistant& ProcessDialogAssistant() {
  static TDialogAssistant assistant;
  return assistant;
}
