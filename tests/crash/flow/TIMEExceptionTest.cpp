#include <gtest/gtest.h>

#include <thread>

#include "crash/flow/TIMEException.h"
#include "crash/report/ReportText.h"
#include "tests/support/FakeSettingsEnvironment.h"

namespace {

constexpr TModuleHandle kExe = TFakeSettingsEnvironment::kExecutable;

class TIMEExceptionTest : public ::testing::Test {
 protected:
  TIMEExceptionTest() {
    environment.modules[kExe].resources["TOSTREL"] =
        TSettingsResourceBuilder().Bool("PlWaitBox", true).Text("MailAddr", "a@b.c").End();
    moduleSettings = std::make_shared<TIMESettings>(environment, kExe);
  }
  std::unique_ptr<TIMEException> Make(bool canContinue = true) {
    TExceptionParams params;
    params.CanContinue = canContinue;
    params.Context = {1, 2, 3, 4};
    return std::make_unique<TIMEException>(environment, moduleSettings, params);
  }
  TFakeSettingsEnvironment environment;
  std::shared_ptr<TIMESettings> moduleSettings;
};

TEST_F(TIMEExceptionTest, ItsOwnSettingsLieInFrontOfTheModules) {
  auto e = Make();
  EXPECT_EQ(e->MailAddr(), "a@b.c") << "read through to the module";
  EXPECT_TRUE(e->SetPlWaitBox(false));
  EXPECT_FALSE(e->PlWaitBox());
  EXPECT_TRUE(moduleSettings->PlWaitBox()) << "the module's settings are untouched";
  EXPECT_TRUE(Make()->PlWaitBox()) << "and so is the next exception";
  EXPECT_FALSE(e->WriteInt("PlWaitBox", 3)) << "a setting keeps its kind";
  EXPECT_FALSE(e->WriteBool("MailAddr", true)) << "also one of the module's";
  EXPECT_EQ(e->MailAddr(), "a@b.c");
  EXPECT_TRUE(e->WriteText("Custom", "x"));
  EXPECT_EQ(e->ReadText("Custom"), "x");
}

TEST_F(TIMEExceptionTest, CanContinueReturnsOnlyWhenItWasGivenAtCreation) {
  auto able = Make(true);
  able->SetCanContinue(false);
  EXPECT_FALSE(able->CanContinue());
  able->SetCanContinue(true);
  EXPECT_TRUE(able->CanContinue());
  auto unable = Make(false);
  unable->SetCanContinue(true);
  EXPECT_FALSE(unable->CanContinue());
}

TEST_F(TIMEExceptionTest, ReportedValues) {
  auto e = Make();
  e->SetCallstackChecksum(2, 0xabcd);
  EXPECT_EQ(e->CallstackChecksum(2), 0xabcdu);
  EXPECT_EQ(e->CallstackChecksum(3), 0u);
  EXPECT_EQ(e->CallstackChecksum(-1), 0u);
  ASSERT_NE(e->Context(), nullptr);
  EXPECT_EQ(e->ContextSize(), 4u);
  EXPECT_EQ(static_cast<const std::uint8_t*>(e->Context())[3], 4);
  EXPECT_EQ(e->ExceptionClass(), "");
  EXPECT_EQ(e->ExceptionMessage(), "Unknown.");
  EXPECT_EQ(e->IncrementFirstSaveCount(), 0) << "the first increment yields 0";
  EXPECT_EQ(e->IncrementFirstSaveCount(), 1);
  EXPECT_EQ(e->IncrementFirstCompletedCount(), 0);
}

TEST_F(TIMEExceptionTest, ChangesRunTheCallbacksOncePerUpdateBracket) {
  auto e = Make();
  int calls = 0;
  const int id = e->AddReportChangeCallback([&](TIMEException&) { ++calls; }, false);
  EXPECT_FALSE(e->HasCriticalCallback());
  e->Header().Add("a", "1");
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(e->Modified());
  e->BeginUpdate();
  e->Header().Add("b", "2");
  e->Sections().Add("s", "x");
  EXPECT_EQ(calls, 1);
  e->EndUpdate();
  EXPECT_EQ(calls, 2);
  e->BeginUpdate();
  e->EndUpdate();
  EXPECT_EQ(calls, 2) << "nothing changed";
  // A failing callback neither stops the change nor the next callback.
  e->AddReportChangeCallback([](TIMEException&) { throw 1; }, true);
  int after = 0;
  e->AddReportChangeCallback([&](TIMEException&) { ++after; }, false);
  EXPECT_TRUE(e->HasCriticalCallback());
  e->RemoveReportChangeCallback(id);
  e->SetReport("edited");
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(after, 1);
}

TEST_F(TIMEExceptionTest, TheTextIsCachedUntilTheNextChange) {
  auto e = Make();
  e->Header().Add("exception class", "EFoo");
  e->Sections().Add("main thread", "line");
  const std::string assembled = AssembleReportText(e->Header(), e->Sections());
  EXPECT_EQ(e->ReportText(false), assembled);
  e->SetReport("edited by the user");
  EXPECT_EQ(e->ReportText(false), "edited by the user");
  e->Header().Add("contact", "someone");
  EXPECT_EQ(e->ReportText(false), AssembleReportText(e->Header(), e->Sections()))
      << "a change after the edit assembles again";
}

TEST_F(TIMEExceptionTest, ACompleteTextWaitsForTheCompletion) {
  auto e = Make();
  e->Sections().Add("main thread", ">> stack will be calculated soon");
  EXPECT_NE(e->ReportText(false).find("soon"), std::string::npos);  // cached, incomplete
  int waits = 0;
  e->SetCompletionWaiter([&] {
    ++waits;
    e->Sections().Add("main thread", "the stack");
    e->MarkReportComplete();
  });
  const std::string complete = e->ReportText(true);
  EXPECT_EQ(waits, 1);
  EXPECT_NE(complete.find("the stack"), std::string::npos) << "the incomplete cached text is not given out";
  EXPECT_EQ(e->ReportText(true), complete);
  EXPECT_EQ(waits, 1) << "complete: no more waiting";
}

TEST_F(TIMEExceptionTest, ATextAssembledDuringAChangeIsNotKept) {
  auto e = Make();
  for (int i = 0; i < 50; ++i) e->Sections().Add("s" + std::to_string(i), "x");
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) e->Sections().Add("s" + std::to_string(i % 50), "v" + std::to_string(i));
  });
  for (int i = 0; i < 200; ++i) e->ReportText(false);
  writer.join();
  EXPECT_EQ(e->ReportText(false), AssembleReportText(e->Header(), e->Sections()));
}

TEST_F(TIMEExceptionTest, CompletionMovesPostProcessingOnAndRunsThatPhase) {
  auto e = Make();
  std::vector<TExceptPhase> phases;
  e->SetOnCompletePhase([&](TIMEException& x) { phases.push_back(x.Phase()); });
  int callbacks = 0;
  e->AddReportChangeCallback([&](TIMEException& x) { callbacks += x.ReportComplete(); }, false);
  e->SetPhase(epMainPhase);
  e->SetPhase(epPostProcessing);
  e->MarkReportComplete();
  EXPECT_EQ(e->Phase(), epCompleteReport);
  EXPECT_EQ(phases, std::vector<TExceptPhase>{epCompleteReport});
  EXPECT_EQ(callbacks, 1) << "marking complete is a change the callbacks see";
  e->MarkReportComplete();
  EXPECT_EQ(phases.size(), 1u) << "complete exactly once";

  auto early = Make();
  early->SetPhase(epMainPhase);
  early->MarkReportComplete();
  EXPECT_EQ(early->Phase(), epMainPhase);
  early->SetPhase(epPostProcessing);
  EXPECT_EQ(early->Phase(), epCompleteReport);
}

TEST_F(TIMEExceptionTest, GoingStopsTheCompletion) {
  bool aborted = false;
  {
    auto e = Make();
    TIMEException* raw = e.get();
    e->SetCompletionWaiter([&aborted, raw] { aborted = raw->AbortRequested(); });
  }
  EXPECT_TRUE(aborted);
}

}  // namespace
