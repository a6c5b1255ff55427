#include "crash/flow/ExceptionFlow.h"

#include <atomic>
#include <cctype>

#include "crash/flow/ExceptionFilters.h"
#include "crash/flow/HandlerFiring.h"
#include "crash/flow/TIMEException.h"

namespace {

const char kLineBreak[] = "\r\n";
constexpr std::int32_t kShowNothing = 4;

std::string ReplaceNoCase(const std::string& text, const std::string& pattern, const std::string& value) {
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string lowerText = lower(text), lowerPattern = lower(pattern);
  std::string result;
  size_t start = 0;
  for (size_t found; (found = lowerText.find(lowerPattern, start)) != std::string::npos;
       start = found + pattern.size())
    result += text.substr(start, found - start) + value;
  return result + text.substr(start);
}

TExceptionParams ParamsOf(const TExceptionRequest& request, std::uintptr_t address, IFlowEnvironment& environment) {
  TExceptionParams params;
  params.EventKind = request.EventKind;
  params.Exception = request.Exception;
  params.Address = address;
  params.ThreadId = request.ThreadId != 0 ? request.ThreadId : environment.CurrentThreadId();
  params.CanContinue = request.CanContinue;
  params.StackPointer = request.StackPointer;
  params.FramePointer = request.FramePointer;
  if (request.Context != nullptr && request.ContextSize > 0) {
    const auto* bytes = static_cast<const std::uint8_t*>(request.Context);
    params.Context.assign(bytes, bytes + request.ContextSize);
  }
  params.CatchPoint = request.CatchPoint;
  params.RelatedObject = request.RelatedObject;
  params.Package = request.Package;
  params.PreparedStack = request.PreparedStack;
  return params;
}

// The steps of one request, with what they share.
class TRequestHandling {
 public:
  TRequestHandling(TExceptionHandlers& handlers, TExceptionHistory& history, IFlowEnvironment& environment)
      : FHandlers(handlers),
        FHistory(history),
        FEnvironment(environment),
        FFiring(handlers, environment.MainThread(), environment.Assistant()) {}

  std::shared_ptr<TIMEException> Run(const TExceptionRequest& request) {
    try {
      Handle(request);
    } catch (...) {
      // Handling failed: the request ends here, and the threads go on.
      Release();
    }
    return FException;
  }

 private:
  void Handle(const TExceptionRequest& request) {
    FEnvironment.DeleteTempDirectory();
    const std::uintptr_t address = FEnvironment.CorrectAddress(request.Address);
    std::shared_ptr<TIMESettings> settings = FEnvironment.SettingsOfAddress(address);
    Create(request, address, settings);
    TIMEException& e = *FException;

    bool handled = QuickFiltering();
    if (e.EventKind() == ekHiddenException) return Release();
    MainPhase(handled);
    e.SetPhase(epPostProcessing);
    if (!handled) Fire(hkException, eaContinueApplication, handled);
    if (!(handled && e.CanContinue())) Conclude(handled, request);
    Release();
  }

  void Create(const TExceptionRequest& request, std::uintptr_t address, const std::shared_ptr<TIMESettings>& settings) {
    FException = std::make_shared<TIMEException>(FEnvironment.Settings(), settings,
                                                 ParamsOf(request, address, FEnvironment));
    TIMEException& e = *FException;
    e.VersionText();
    if (FEnvironment.WebServerProcess()) e.SetPlWaitBox(false);
    e.ApplyFilters(EvaluateFilters(e, e.Description().ClassChain()));
    // The environment outlives every exception object it handles.
    TExceptionHandlers& handlers = FHandlers;
    IFlowEnvironment& environment = FEnvironment;
    e.SetOnCompletePhase([&handlers, &environment](TIMEException& exception) {
      THandlerFiring firing(handlers, environment.MainThread(), environment.Assistant());
      bool handled = false;
      firing.RunHandlers(0, hkException, eaContinueApplication, handled, exception);
    });
    if (e.BuildNow()) FEnvironment.BuildReportNow(e);
  }

  bool QuickFiltering() {
    TIMEException& e = *FException;
    e.SetPhase(epQuickFiltering);
    bool handled = false;
    if (e.EventKind() == ekHiddenException) {
      Fire(hkHidden, eaContinueApplication, handled);
      return true;
    }
    FHistory.Record(FEnvironment.NowSeconds());
    Fire(hkException, eaContinueApplication, handled);
    return handled;
  }

  void MainPhase(bool& handled) {
    TIMEException& e = *FException;
    e.SetPhase(epMainPhase);
    if (handled) return;
    if (e.EventKind() != ekFrozenMainThread && e.PauseThreads() && FEnvironment.ReporterInExecutable()) {
      FPaused = true;
      FEnvironment.PauseThreads(e);
    }
    if (e.TakeScreenshot()) FEnvironment.TakeScreenshot(e);
    if (e.CreateReport()) FEnvironment.StartReport(e);
    Fire(hkException, eaContinueApplication, handled);
  }

  // Presentation and the automatic rule, for an exception not handled or
  // unable to continue.
  void Conclude(bool handled, const TExceptionRequest& request) {
    TIMEException& e = *FException;
    const bool console = FEnvironment.ConsoleProcess() || FEnvironment.WebServerProcess();
    bool dialogApplied = false;
    if (!handled) {
      if (e.CreateReport() && (e.AutoSave() || e.AutoSend() || e.AutoClip())) RegisterAutomaticActions();
      if (e.Presentation() != kShowNothing) {
        if (console)
          PresentOnConsole(request);
        else
          dialogApplied = FEnvironment.Present(e);
      }
    }
    if (!(e.CanContinue() && e.Presentation() != kShowNothing && !console && dialogApplied))
      ApplyAutomaticRule(handled);
    if (!handled) CompleteAutomaticActions(false);
  }

  void PresentOnConsole(const TExceptionRequest& request) {
    if (request.ReportTextOut != nullptr)
      *request.ReportTextOut = FException->ReportText(true);
    else
      FEnvironment.ConsoleOutput(TExceptionFlow::ConsoleText(*FException));
  }

  void ApplyAutomaticRule(bool handled) {
    TIMEException& e = *FException;
    const std::uint64_t now = FEnvironment.NowSeconds();
    const bool restart = FHistory.RuleHolds(e.AutoRestart(), now);
    if (FHistory.RuleHolds(e.AutoClose(), now) || (!e.CanContinue() && !restart)) {
      FireAction(eaCloseApplication);
      if (!handled) CompleteAutomaticActions(true);
      FEnvironment.CloseProcess(e);
    } else if (restart) {
      FireAction(eaRestartApplication);
      if (!handled) CompleteAutomaticActions(true);
      FEnvironment.RestartProcess(e);
    } else {
      FireAction(eaContinueApplication);
    }
  }

  void RegisterAutomaticActions() {
    TIMEException& e = *FException;
    auto done = std::make_shared<std::atomic<bool>>(false);
    TExceptionHandlers& handlers = FHandlers;
    IFlowEnvironment& environment = FEnvironment;
    auto callback = [done, &handlers, &environment](TIMEException& exception) {
      if (!exception.ReportComplete() || done->exchange(true)) return;
      if (exception.AutoSend()) {
        THandlerFiring firing(handlers, environment.MainThread(), environment.Assistant());
        bool sendHandled = false;
        firing.RunHandlers(0, hkAction, eaSendBugReport, sendHandled, exception);
        if (!sendHandled) exception.SetSendingWaiter(environment.StartAutomaticSending(exception));
      }
      if (exception.AutoClip()) environment.CopyToClipboard(exception.ReportText(true));
    };
    e.AddReportChangeCallback(callback, true);
    // A report completed already (built at once) changes no more.
    if (e.ReportComplete()) callback(e);
  }

  void CompleteAutomaticActions(bool waitForSending) {
    TIMEException& e = *FException;
    if (!e.CreateReport()) return;  // no report to save
    if (e.HasCriticalCallback() || (e.CallHandlers() && FHandlers.AnyExceptionHandler(epCompleteReport)))
      e.WaitForCompleteReport();
    if (e.AutoSave()) {
      // Whether the report was sent is known only once the sending ended.
      if (e.AutoSaveIfNotSent()) e.WaitForSending();
      if (!(e.AutoSaveIfNotSent() && e.Sent()) && e.IncrementFirstSaveCount() == 0) {
        bool saveHandled = false;
        FFiring.RunHandlers(0, hkAction, eaSaveBugReport, saveHandled, e);
        if (!saveHandled) FEnvironment.SaveSilently(e);
      }
    }
    if (waitForSending) e.WaitForSending();
  }

  void Fire(THandlerKind kind, TExceptAction action, bool& handled) {
    FFiring.RunHandlers(0, kind, action, handled, *FException);
  }

  void FireAction(TExceptAction action) {
    bool handled = false;
    Fire(hkAction, action, handled);
  }

  void Release() {
    try {
      FEnvironment.ResetFreezeCounter();
      if (FPaused) FEnvironment.ResumeThreads();
      FPaused = false;
    } catch (...) {
    }
  }

  TExceptionHandlers& FHandlers;
  TExceptionHistory& FHistory;
  IFlowEnvironment& FEnvironment;
  THandlerFiring FFiring;
  std::shared_ptr<TIMEException> FException;
  bool FPaused = false;
};

}  // namespace

TExceptionFlow::TExceptionFlow(TExceptionHandlers& handlers, TExceptionHistory& history)
    : FHandlers(handlers), FHistory(history) {}

std::shared_ptr<TIMEException> TExceptionFlow::HandleRequest(const TExceptionRequest& request,
                                                             IFlowEnvironment& environment) {
  try {
    TRequestHandling handling(FHandlers, FHistory, environment);
    return handling.Run(request);
  } catch (...) {
    return nullptr;
  }
}

std::string TExceptionFlow::ConsoleText(TIMEException& exception) {
  std::string text;
  if (exception.EventKind() == ekFrozenMainThread) {
    text = exception.FrozenMsg();
  } else {
    const std::string message = exception.ExceptionMessage();
    text = ReplaceNoCase(exception.ExceptMsg(), "%exceptMsg%", message) + kLineBreak + message;
  }
  if (exception.AutoShowBugRep() || exception.ShowBtnVis()) {
    exception.SetPlWaitBox(false);
    text += std::string(kLineBreak) + kLineBreak + exception.ReportText(true);
  }
  return text + kLineBreak;
}
