// From the raise of an exception to the exception dialog visible, and to
// the complete report shown in its details view, in a process of ten
// threads waiting 20 frames deep: cold (first exception: maps not read) and
// warm (the second). The peer is the sampling of all threads alone, which
// any report pays. Target: visible within 300 ms of the raise, warm.
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>
#include <vector>

#include "crash/adapter/win32/CrashReporter.h"
#include "crash/flow/TIMEException.h"
#include "crash/flow/win32/ReportException.h"
#include "crash/report/win32/HeaderCollector.h"
#include "crash/report/win32/ReportBuild.h"
#include "crash/stack/win32/Win32StackEnvironment.h"
#include "crash/ui/dialog/DetailTabs.h"
#include "crash/ui/dialog/win32/ExceptionBox.h"
#include "crash/ui/dialog/win32/ExceptionPresenter.h"
#include "bench/support/ParkedThreads.h"
#include "platform/win32/HandleOwners.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr int kThreads = 10;
using parked::kDepth;

std::atomic<TIMEException*> gException{nullptr};

double Milliseconds(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

HWND VisibleDialog() {
  HWND window = FindWindowExA(nullptr, nullptr, kExceptionBoxClass, nullptr);
  return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

struct TRound {
  double Visible = 0, Complete = 0;
};

// Watches the dialog from outside: visible, then every tab of the complete
// report in its view; then continues.
void Watch(TClock::time_point raised, TRound& round) {
  HWND dialog = nullptr;
  while ((dialog = VisibleDialog()) == nullptr) Sleep(1);
  round.Visible = Milliseconds(TClock::now() - raised);
  HWND tabs = FindWindowExA(dialog, nullptr, WC_TABCONTROLA, nullptr);
  for (;;) {
    TIMEException* e = gException.load();
    if (e != nullptr && e->ReportComplete() && tabs != nullptr &&
        TabCtrl_GetItemCount(tabs) == static_cast<int>(DetailTabs(e->Sections().Items()).size()))
      break;
    Sleep(1);
  }
  // The view takes the last change on its next message round.
  SendMessageA(dialog, WM_NULL, 0, 0);
  round.Complete = Milliseconds(TClock::now() - raised);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kButtonIdBase + dbContinue, BN_CLICKED), 0);
  while (IsWindow(dialog)) Sleep(1);
}

TRound Raise() {
  std::exception_ptr exception;
  try {
    throw std::runtime_error("benchmark exception");
  } catch (...) {
    exception = std::current_exception();
  }
  TRound round;
  const TClock::time_point raised = TClock::now();
  std::thread watcher(Watch, raised, std::ref(round));
  ReportException(ekException, &exception, 0, nullptr, 0, nullptr, cpNone, nullptr, 0, 0, true);
  watcher.join();
  gException = nullptr;
  return round;
}

}  // namespace

// A windowed program: a console program's exceptions go to its console, not
// to the dialog. Its figures still go to the standard output it was given.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SetExceptionPresenter([](TIMEException& exception, IFlowEnvironment& environment) {
    exception.SetAutoShowBugRep(true);
    exception.SetAutoContinue(false);
    gException = &exception;
    return PresentException(exception, environment);
  });
  if (!StartCrashReporter()) {
    std::printf("the crash reporter did not start\n");
    return 1;
  }
  TParkedThreads threads(kThreads);
  threads.WaitUntilParked();

  const TRound cold = Raise();
  const TRound warm = Raise();

  TStackTracer tracer(SystemStackEnvironment());
  TReportServices services(tracer, nullptr, ReporterStartCounter());
  const auto sampleStart = TClock::now();
  const TCollectedThreads sampled = services.CollectThreads(GetCurrentThreadId());
  const double sampling = Milliseconds(TClock::now() - sampleStart);

  std::printf("threads sampled: %zu (%d workers %d frames deep, the main thread, the reporter's)\n",
              sampled.Threads.size(), kThreads, kDepth);
  std::printf("cold: dialog visible %8.1f ms, complete report shown %8.1f ms\n", cold.Visible, cold.Complete);
  std::printf("warm: dialog visible %8.1f ms, complete report shown %8.1f ms\n", warm.Visible, warm.Complete);
  std::printf("sampling alone: %5.1f ms\n", sampling);
  std::printf("warm visible / sampling: %.1f, target warm visible < 300 ms: %s, visible before complete: %s\n",
              warm.Visible / sampling, warm.Visible < 300 ? "met" : "missed",
              warm.Visible < warm.Complete ? "yes" : "no");
  StopCrashReporter();
  std::fflush(stdout);
  return 0;
}
