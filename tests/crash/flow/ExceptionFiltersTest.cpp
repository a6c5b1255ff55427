#include <gtest/gtest.h>

#include "crash/flow/ExceptionFilters.h"
#include "crash/TIMESettings.h"
#include "tests/support/FakeSettingsEnvironment.h"

namespace {

TEST(ClassListMatches, ExactNamesOfTheClassOrAnAncestor) {
  const std::vector<std::string> chain = {"EFOpenError", "EStreamError", "Exception"};
  struct Case {
    const char* list;
    bool matches;
  };
  const Case cases[] = {
      {"EFOpenError", true},         {"EStreamError", true},
      {" EReadError ,  EStreamError ", true}, {"EReadError,EConvertError", false},
      {"EStream", false},            {"efopenerror", false},
      {"", false},                   {" , ,", false},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassListMatches(c.list, chain), c.matches) << "'" << c.list << "'";
  EXPECT_FALSE(ClassListMatches("Exception", {})) << "no object matches no list";
}

TEST(EvaluateFilters, TheFirstMatchingFilterDecides) {
  TFakeSettingsEnvironment environment;
  environment.modules[TFakeSettingsEnvironment::kExecutable].resources["TOSTREL"] =
      TSettingsResourceBuilder()
          .Bool("PauseThreads", true)
          .Int("ScrShotDepth", 24)
          .Text("F1Classes", "EConvertError, EStreamError")
          .Bool("F1NoBugRep", true)
          .Bool("F1NoSuspend", true)
          .Int("F1ShowCfg", 4)
          .Text("F1Assis", "Quiet")
          .Text("F2Classes", "EFOpenError, Exception")
          .Bool("F2NoScrShot", true)
          .Bool("F2NoHandlers", true)
          .Int("F2ShowCfg", 2)
          .Text("GnAssis", "Contact")
          .End();
  TIMESettings settings(environment, TFakeSettingsEnvironment::kExecutable);

  const TFilterDecisions f1 = EvaluateFilters(settings, {"EFOpenError", "EStreamError", "Exception"});
  EXPECT_EQ(f1.Prefix, "F1") << "filter 1 wins although filter 2 names the class itself";
  EXPECT_FALSE(f1.CreateReport);
  EXPECT_TRUE(f1.TakeScreenshot);
  EXPECT_FALSE(f1.PauseThreads);
  EXPECT_TRUE(f1.CallHandlers);
  EXPECT_EQ(f1.Presentation, 4);
  EXPECT_EQ(f1.AssistantName, "Quiet");

  const TFilterDecisions f2 = EvaluateFilters(settings, {"EListError", "Exception"});
  EXPECT_EQ(f2.Prefix, "F2");
  EXPECT_TRUE(f2.CreateReport);
  EXPECT_FALSE(f2.TakeScreenshot);
  EXPECT_TRUE(f2.PauseThreads);
  EXPECT_FALSE(f2.CallHandlers);
  EXPECT_EQ(f2.Presentation, 2);

  const TFilterDecisions general = EvaluateFilters(settings, {"std::bad_alloc", "std::exception"});
  EXPECT_EQ(general.Prefix, "Gn");
  EXPECT_TRUE(general.CreateReport);
  EXPECT_TRUE(general.TakeScreenshot);
  EXPECT_TRUE(general.CallHandlers);
  EXPECT_EQ(general.AssistantName, "Contact");
}

TEST(EvaluateFilters, NoScreenshotWithoutDepth) {
  TFakeSettingsEnvironment environment;
  TIMESettings settings(environment, TFakeSettingsEnvironment::kExecutable);
  const TFilterDecisions decisions = EvaluateFilters(settings, {"Exception"});
  EXPECT_EQ(decisions.Prefix, "Gn");
  EXPECT_FALSE(decisions.TakeScreenshot) << "ScrShotDepth is 0 by default";
  EXPECT_FALSE(decisions.PauseThreads);
}

}  // namespace
