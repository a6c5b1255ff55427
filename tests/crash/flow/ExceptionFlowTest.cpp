#include <gtest/gtest.h>

#include <stdexcept>

#include "crash/flow/ExceptionFlow.h"
#include "tests/crash/flow/FakeFlowEnvironment.h"

namespace {

std::string Settings(const std::function<void(TSettingsResourceBuilder&)>& more = nullptr) {
  TSettingsResourceBuilder builder;
  builder.Bool("NoSettings", false);
  if (more) more(builder);
  return builder.End();
}

class ExceptionFlowTest : public ::testing::Test {
 protected:
  void Use(const std::string& settings) { environment = std::make_unique<TFakeFlowEnvironment>(settings); }
  TFakeFlowEnvironment& Env() { return *environment; }

  std::shared_ptr<TIMEException> Handle(bool canContinue = true, TEventKind kind = ekException) {
    TExceptionRequest request;
    request.CompletionEvent = 1;
    request.EventKind = kind;
    try {
      throw std::runtime_error("disk full!");
    } catch (...) {
      request.Exception = std::current_exception();
    }
    request.Address = 0x401000;
    request.CanContinue = canContinue;
    TExceptionFlow flow(handlers, history);
    return flow.HandleRequest(request, Env());
  }
  // Records each phase an exception handler ran in, and may handle in one.
  void RecordPhases(TExceptPhase handleIn = epNotHandledYet) {
    for (TExceptPhase phase : {epQuickFiltering, epMainPhase, epPostProcessing, epCompleteReport})
      handlers.RegisterExceptionHandler(
          &phases,
          [this, phase, handleIn](TIMEException&, bool& handled) {
            phases.push_back(phase);
            if (phase == handleIn) handled = true;
          },
          stDontSync, phase);
  }

  std::unique_ptr<TFakeFlowEnvironment> environment = std::make_unique<TFakeFlowEnvironment>(Settings());
  TExceptionHandlers handlers;
  TExceptionHistory history;
  std::vector<TExceptPhase> phases;
};

TEST_F(ExceptionFlowTest, AnUnhandledExceptionWithoutDialogRunsEveryPhaseAndTheAutomaticActions) {
  RecordPhases();
  std::vector<TExceptAction> actions;
  handlers.RegisterActionHandler(&actions, [&](TExceptAction a, TIMEException&, bool&) { actions.push_back(a); });
  auto e = Handle();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->ExceptionAddress(), 0x400fffu) << "the corrected address";
  EXPECT_EQ(e->ThreadId(), 77u);
  EXPECT_EQ(e->ExceptionClass(), "std::runtime_error");
  EXPECT_EQ(e->ExceptionMessage(), "disk full.");
  EXPECT_EQ(phases, (std::vector<TExceptPhase>{epQuickFiltering, epMainPhase, epCompleteReport}))
      << "the report completed before post-processing, so that phase is the complete one";
  EXPECT_EQ(Env().log, (std::vector<std::string>{"temp", "report", "clip:exception class", "present",
                                                 "save", "reset freeze"}))
      << "a report complete before presentation is copied at once";
  EXPECT_EQ(actions, (std::vector<TExceptAction>{eaContinueApplication, eaSaveBugReport}));
  EXPECT_EQ(history.Values()[0], Env().now);
}

TEST_F(ExceptionFlowTest, HandledInQuickFilteringSuppressesPresentationAndAutomaticActions) {
  RecordPhases(epQuickFiltering);
  Handle(true);
  EXPECT_EQ(phases, std::vector<TExceptPhase>{epQuickFiltering});
  EXPECT_EQ(Env().log, (std::vector<std::string>{"temp", "reset freeze"}));

  // Unable to continue, the close rule still applies; still nothing shown or saved.
  phases.clear();
  Env().log.clear();
  Handle(false);
  EXPECT_EQ(Env().log, (std::vector<std::string>{"temp", "close", "reset freeze"}));
}

TEST_F(ExceptionFlowTest, AutoCloseOneClosesUnlessADialogAppliedTheChoice) {
  Use(Settings([](TSettingsResourceBuilder& b) { b.Int("AutoClose", 1).Bool("AutoSave", false).Bool("AutoClip", false); }));
  Handle();
  EXPECT_TRUE(Env().Logged("close"));
  Use(Settings([](TSettingsResourceBuilder& b) { b.Int("AutoClose", 1); }));
  Env().dialogApplies = true;
  Handle();
  EXPECT_FALSE(Env().Logged("close"));
}

TEST_F(ExceptionFlowTest, AutoRestartSixtyRestartsAtTheTenthExceptionWithinAMinute) {
  Use(Settings([](TSettingsResourceBuilder& b) { b.Int("AutoRestart", 60).Bool("AutoSave", false); }));
  for (int i = 1; i <= 9; ++i) {
    Env().now += 5;
    Handle();
    EXPECT_FALSE(Env().Logged("restart")) << i;
    EXPECT_FALSE(Env().Logged("close")) << i;
  }
  Env().now += 5;
  Handle();
  EXPECT_EQ(Env().Count("restart"), 1);
  // The dialog arms its restart button instead: no restart from the flow.
  Env().dialogApplies = true;
  Env().now += 1;
  Handle();
  EXPECT_EQ(Env().Count("restart"), 1);
  // Without a dialog and unable to continue it restarts rather than closes.
  Env().dialogApplies = false;
  Handle(false);
  EXPECT_EQ(Env().Count("restart"), 2);
  EXPECT_FALSE(Env().Logged("close"));
}

TEST_F(ExceptionFlowTest, ACannotContinueExceptionIsClosedAfterSavingAndWaitingForTheSending) {
  Use(Settings([](TSettingsResourceBuilder& b) { b.Bool("AutoSend", true).Bool("AutoSaveIfNotSent", false); }));
  Handle(false);
  EXPECT_EQ(Env().log, (std::vector<std::string>{"temp", "report", "send", "clip:exception class", "present",
                                                 "save", "send ended", "close", "reset freeze"}));
}

TEST_F(ExceptionFlowTest, AutoSaveIfNotSentWritesNothingAfterASuccessfulSend) {
  Use(Settings([](TSettingsResourceBuilder& b) { b.Bool("AutoSend", true).Bool("AutoSaveIfNotSent", true); }));
  Handle();
  EXPECT_TRUE(Env().Logged("send"));
  EXPECT_TRUE(Env().Logged("send ended"));
  EXPECT_FALSE(Env().Logged("save"));

  Use(Settings([](TSettingsResourceBuilder& b) { b.Bool("AutoSend", true).Bool("AutoSaveIfNotSent", true); }));
  Env().sendSucceeds = false;
  Handle();
  EXPECT_EQ(Env().Count("save"), 1) << "a failed send leaves the save to do";
}

TEST_F(ExceptionFlowTest, AnActionHandlerTakesOverSendingAndSaving) {
  Use(Settings([](TSettingsResourceBuilder& b) { b.Bool("AutoSend", true); }));
  handlers.RegisterActionHandler(&phases, [](TExceptAction a, TIMEException&, bool& handled) {
    handled = a == eaSendBugReport || a == eaSaveBugReport;
  });
  Handle(false);
  EXPECT_FALSE(Env().Logged("send"));
  EXPECT_FALSE(Env().Logged("save"));
  EXPECT_TRUE(Env().Logged("close"));
}

TEST_F(ExceptionFlowTest, AHiddenExceptionReachesOnlyTheHiddenHandlers) {
  RecordPhases();
  int hidden = 0;
  handlers.RegisterHiddenHandler(&hidden, [&](TIMEException& e, bool&) {
    ++hidden;
    EXPECT_EQ(e.Phase(), epQuickFiltering);
  });
  Handle(true, ekHiddenException);
  EXPECT_EQ(hidden, 1);
  EXPECT_TRUE(phases.empty());
  EXPECT_EQ(history.Values()[0], 0u) << "not counted for the restart and close rules";
  EXPECT_EQ(Env().log, (std::vector<std::string>{"temp", "reset freeze"}));
}

TEST_F(ExceptionFlowTest, PausingScreenshotsAndFilters) {
  Use(Settings([](TSettingsResourceBuilder& b) {
    b.Bool("PauseThreads", true).Int("ScrShotDepth", 24).Int("GnShowCfg", 4).Bool("AutoSave", false).Bool(
        "AutoClip", false);
  }));
  auto e = Handle();
  EXPECT_EQ(Env().log, (std::vector<std::string>{"temp", "pause", "screenshot", "report", "reset freeze", "resume"}))
      << "presentation 4 shows nothing";
  EXPECT_TRUE(e->AttachScreenshot());
  EXPECT_NE(e->Screenshot(), nullptr);

  Env().log.clear();
  Handle(true, ekFrozenMainThread);
  EXPECT_FALSE(Env().Logged("pause")) << "a frozen main thread is not paused again";
  Env().log.clear();
  Env().reporterInExecutable = false;
  Handle();
  EXPECT_FALSE(Env().Logged("pause"));
}

TEST_F(ExceptionFlowTest, AConsoleProcessPrintsTheMessagesAndTheReport) {
  Use(Settings([](TSettingsResourceBuilder& b) {
    b.Text("ExceptMsg", "Failed: %exceptMsg%").Bool("AutoSave", false).Bool("AutoClip", false);
  }));
  Env().console = true;
  auto e = Handle(false);
  EXPECT_EQ(Env().consoleText,
            "Failed: disk full.\r\ndisk full.\r\n\r\n" + e->ReportText(true) + "\r\n");
  EXPECT_FALSE(Env().Logged("present"));
  EXPECT_TRUE(Env().Logged("close")) << "no dialog: the rule applies";
  EXPECT_FALSE(e->PlWaitBox());
}

TEST_F(ExceptionFlowTest, AWebServerGetsTheReportThroughTheRequest) {
  Env().webServer = true;
  TExceptionRequest request;
  request.CompletionEvent = 1;
  std::string text;
  request.ReportTextOut = &text;
  TExceptionFlow flow(handlers, history);
  auto e = flow.HandleRequest(request, Env());
  EXPECT_EQ(text, e->ReportText(true));
  EXPECT_NE(text.find("main thread"), std::string::npos);
  EXPECT_FALSE(Env().Logged("console"));
  EXPECT_FALSE(e->PlWaitBox()) << "no wait box in a web server";
}

TEST_F(ExceptionFlowTest, AFailureInsideTheHandlingEndsTheRequestSilentlyAndReleasesTheThreads) {
  Use(Settings([](TSettingsResourceBuilder& b) { b.Bool("PauseThreads", true); }));
  Env().onStartReport = [](TIMEException&) { throw std::runtime_error("no memory"); };
  EXPECT_NO_THROW(Handle());
  EXPECT_FALSE(Env().Logged("present"));
  EXPECT_TRUE(Env().Logged("resume"));
  EXPECT_TRUE(Env().Logged("reset freeze"));
}

TEST_F(ExceptionFlowTest, TheCompletePhaseRunsWhenTheReportCompletesLater) {
  RecordPhases();
  TIMEException* pending = nullptr;
  Env().onStartReport = [&](TIMEException& e) {
    e.Header().Add("exception class", "x");
    pending = &e;
  };
  auto e = Handle();
  EXPECT_EQ(phases, (std::vector<TExceptPhase>{epQuickFiltering, epMainPhase, epPostProcessing}));
  ASSERT_EQ(pending, e.get());
  e->MarkReportComplete();  // the completion thread's last step
  EXPECT_EQ(phases.back(), epCompleteReport);
  EXPECT_TRUE(Env().Logged("clip:exception class")) << "the automatic actions run on the complete report";
}

}  // namespace
