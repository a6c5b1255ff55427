#include "crash/ui/dialog/win32/ReportWait.h"

#include <memory>

#include "crash/flow/TIMEException.h"
#include "crash/ui/dialog/DetailTabs.h"
#include "crash/ui/dialog/win32/ProgressBox.h"

namespace {

constexpr DWORD kPollMs = 20;

bool StillPlaceholder(const std::string& content) { return content.find("will be calculated soon") != std::string::npos; }

// The thread sections' steps, and how many of them are finished.
int FinishedThreads(const TReportItems& sections, int& threads) {
  int finished = 0;
  threads = 0;
  for (const auto& [name, content] : sections) {
    if (!IsThreadSection(name)) continue;
    ++threads;
    if (!StillPlaceholder(content)) ++finished;
  }
  return finished;
}

}  // namespace

std::string WaitForCompleteReport(TIMEException& exception, HWND owner) {
  if (exception.ReportComplete() || !exception.PlWaitBox()) return exception.ReportText(true);
  TProgressBox box(exception.PlWaitTitle(), "MEIPLWAIT", owner);
  int threads = 0;
  FinishedThreads(exception.Sections().Items(), threads);
  for (int i = 0; i < threads; ++i) box.Steps().AddStep(exception.PlWaitText(), 1);
  if (threads == 0) box.Steps().AddStep(exception.PlWaitText(), 1);
  while (!exception.ReportComplete()) {
    int now = 0;
    const int finished = FinishedThreads(exception.Sections().Items(), now);
    box.Steps().SetCurrent(finished);
    box.Steps().SetFraction(finished >= box.Steps().Count() ? 1.0 : 0.0);
    box.Update();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
  }
  return exception.ReportText(true);
}
