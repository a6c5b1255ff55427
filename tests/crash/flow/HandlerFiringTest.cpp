#include <gtest/gtest.h>

#include "crash/flow/ExceptionHandlers.h"
#include "crash/flow/HandlerFiring.h"
#include "tests/crash/flow/FakeFlowEnvironment.h"

namespace {

std::vector<std::string>* gCalls = nullptr;

void PlainHandler(TIMEException&, bool&) { gCalls->push_back("plain"); }
void PlainAction(TExceptAction action, TIMEException&, bool&) {
  gCalls->push_back("plain action " + std::to_string(action));
}

class HandlerFiringTest : public ::testing::Test {
 protected:
  HandlerFiringTest() : environment(TSettingsResourceBuilder().End()) {
    gCalls = &calls;
    TExceptionParams params;
    exception = std::make_unique<TIMEException>(environment.settings, environment.SettingsOfAddress(0), params);
    exception->SetPhase(epMainPhase);
  }
  ~HandlerFiringTest() override { gCalls = nullptr; }

  // A method handler that records where it ran and may handle or throw.
  TExceptionHandlerEvent Method(const std::string& name, bool handles = false, bool throws = false) {
    return [this, name, handles, throws](TIMEException&, bool& handled) {
      calls.push_back(name + (environment.mainThread.inCall ? "@main" : ""));
      if (throws) throw std::runtime_error("handler failed");
      if (handles) handled = true;
    };
  }
  bool Run(THandlerKind kind, TExceptAction action = eaContinueApplication, std::uintptr_t parent = 0) {
    THandlerFiring firing(handlers, environment.mainThread, environment.Assistant());
    bool handled = false;
    firing.RunHandlers(parent, kind, action, handled, *exception);
    return handled;
  }

  TFakeFlowEnvironment environment;
  TExceptionHandlers handlers;
  std::unique_ptr<TIMEException> exception;
  std::vector<std::string> calls;
  int owner = 0;
};

TEST_F(HandlerFiringTest, MethodsRunBeforeFunctionsEachInRegistrationOrderForTheirPhase) {
  handlers.RegisterExceptionHandler(PlainHandler, stDontSync, epMainPhase);
  handlers.RegisterExceptionHandler(&owner, Method("m1"), stDontSync, epMainPhase);
  handlers.RegisterExceptionHandler(&owner, Method("other phase"), stDontSync, epQuickFiltering);
  handlers.RegisterExceptionHandler(&owner, Method("m2"), stDontSync, epMainPhase);
  EXPECT_FALSE(Run(hkException));
  EXPECT_EQ(calls, (std::vector<std::string>{"m1", "m2", "plain"}));
}

TEST_F(HandlerFiringTest, TheFirstThatHandlesStopsAndAFailingHandlerIsSwallowed) {
  handlers.RegisterExceptionHandler(&owner, Method("throws", false, true), stDontSync, epMainPhase);
  handlers.RegisterExceptionHandler(&owner, Method("handles", true), stDontSync, epMainPhase);
  handlers.RegisterExceptionHandler(&owner, Method("never"), stDontSync, epMainPhase);
  handlers.RegisterExceptionHandler(&owner, Method("never synced"), stTrySyncCallAlways, epMainPhase);
  EXPECT_TRUE(Run(hkException));
  EXPECT_EQ(calls, (std::vector<std::string>{"throws", "handles"}));
  EXPECT_EQ(environment.mainThread.probes, 0) << "handled before the main thread was needed";
}

TEST_F(HandlerFiringTest, RemovedHandlersAndCallHandlersOff) {
  const int id = handlers.RegisterExceptionHandler(PlainHandler, stDontSync, epMainPhase);
  handlers.RegisterExceptionHandler(&owner, Method("m"), stDontSync, epMainPhase);
  exception->SetCallHandlers(false);
  Run(hkException);
  EXPECT_TRUE(calls.empty());
  exception->SetCallHandlers(true);
  handlers.Unregister(id);
  handlers.UnregisterObject(&owner);
  Run(hkException);
  EXPECT_TRUE(calls.empty());
  EXPECT_FALSE(handlers.Any(hkException));
}

TEST_F(HandlerFiringTest, SyncTypesWithAMainThreadThatAnswersOrNot) {
  handlers.RegisterExceptionHandler(&owner, Method("always"), stTrySyncCallAlways, epMainPhase);
  handlers.RegisterExceptionHandler(&owner, Method("free"), stDontSync, epMainPhase);
  handlers.RegisterExceptionHandler(&owner, Method("on success"), stTrySyncCallOnSuccess, epMainPhase);
  struct Case {
    const char* what;
    TFakeMainThread::TMode mode;
    TEventKind kind;
    std::vector<std::string> calls;
    int probes;
  };
  const Case cases[] = {
      {"answers 777", TFakeMainThread::TMode::Answers, ekException, {"free", "always@main", "on success@main"}, 1},
      {"silent", TFakeMainThread::TMode::Silent, ekException, {"free", "always"}, 1},
      {"answers something else", TFakeMainThread::TMode::WrongAnswer, ekException, {"free", "always"}, 1},
      {"frozen: never asked", TFakeMainThread::TMode::Answers, ekFrozenMainThread, {"free", "always"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    calls.clear();
    environment.mainThread.mode = c.mode;
    environment.mainThread.probes = 0;
    TExceptionParams params;
    params.EventKind = c.kind;
    exception = std::make_unique<TIMEException>(environment.settings, environment.SettingsOfAddress(0), params);
    exception->SetPhase(epMainPhase);
    Run(hkException);
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(environment.mainThread.probes, c.probes);
    EXPECT_EQ(exception->SyncFailed(), c.calls.size() == 2);
  }
  EXPECT_EQ(environment.mainThread.lastTimeout, std::chrono::milliseconds(1500));
}

TEST_F(HandlerFiringTest, TheMainThreadFlagIsSetOnlyDuringTheCall) {
  bool during = false;
  handlers.RegisterExceptionHandler(
      &owner, [&](TIMEException&, bool&) { during = THandlerFiring::MainThreadHandlersRunning(); },
      stTrySyncCallOnSuccess, epMainPhase);
  Run(hkException);
  EXPECT_TRUE(during);
  EXPECT_FALSE(THandlerFiring::MainThreadHandlersRunning());
}

TEST_F(HandlerFiringTest, ActionHandlersAndTheAssistant) {
  exception->WriteText("SendAssis", "SendAssistant");
  handlers.RegisterActionHandler(PlainAction);
  environment.withAssistant = true;

  Run(hkAction, eaSendBugReport, 0);
  EXPECT_EQ(calls, std::vector<std::string>{"plain action 0"})
      << "without a parent window neither the assistant nor the second action";
  EXPECT_TRUE(environment.assistant.shown.empty());

  calls.clear();
  Run(hkAction, eaSendBugReport, 0x1234);
  EXPECT_EQ(environment.assistant.shown, std::vector<std::string>{"SendAssistant"});
  EXPECT_EQ(calls, (std::vector<std::string>{"plain action 0", "plain action 3"}));

  calls.clear();
  environment.assistant.proceed = false;
  EXPECT_TRUE(Run(hkAction, eaSendBugReport, 0x1234)) << "a cancelled assistant handles the action";
  EXPECT_EQ(calls, std::vector<std::string>{"plain action 0"});

  calls.clear();
  Run(hkAction, eaContinueApplication, 0x1234);
  EXPECT_EQ(calls, std::vector<std::string>{"plain action 8"});
}

TEST_F(HandlerFiringTest, CloseWaitsForTheCompleteReportWhenACriticalCallbackNeedsIt) {
  int waits = 0;
  exception->SetCompletionWaiter([&] {
    ++waits;
    exception->MarkReportComplete();
  });
  handlers.RegisterActionHandler(PlainAction);
  Run(hkAction, eaContinueApplication);
  Run(hkAction, eaCloseApplication);
  EXPECT_EQ(waits, 0) << "no critical callback, no complete-report handler";
  exception->AddReportChangeCallback([](TIMEException&) {}, true);
  Run(hkAction, eaContinueApplication);
  EXPECT_EQ(waits, 0);
  Run(hkAction, eaRestartApplication);
  EXPECT_EQ(waits, 1);
}

}  // namespace
