// The settings as the reporter's threads use them: several threads making the
// first read of a lazily built member at once, and lists kept after their
// settings object is gone. Run under the host build's sanitizers, a race or a
// write into freed memory ends the test.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "crash/SettingsResource.h"
#include "crash/TIMESettings.h"
#include "tests/support/FakeSettingsEnvironment.h"

namespace {

using Environment = TFakeSettingsEnvironment;
constexpr TModuleHandle kExe = Environment::kExecutable;
constexpr std::int32_t kVersionVariable = 0x2000;

// Runs body(i) on count threads that all start at the same moment.
void RunTogether(int count, const std::function<void(int)>& body) {
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < count; ++i) {
    threads.emplace_back([&, i] {
      ready.fetch_add(1);
      while (ready.load() < count) std::this_thread::yield();
      body(i);
    });
  }
  for (std::thread& thread : threads) thread.join();
}

class SettingsThreadsTest : public ::testing::Test {
 protected:
  Environment environment;
  void SetUp() override {
    environment.modules[kExe].versionVariables[kVersionVariable] = "4.2 threads";
    environment.modules[kExe].resources[kSettingsResourceName] =
        TSettingsResourceBuilder()
            .Text("AddFields", "Build=nightly|Branch=main")
            .Text("AddAttachs", "C:\\a.log>a.txt|C:\\b.ini")
            .Int("VersionVar", kVersionVariable)
            .Text("TitleBar", "%appname% %modversion%")
            .End();
  }
};

TEST_F(SettingsThreadsTest, ConcurrentFirstReadsAllGetTheOneMemberBuiltForTheObject) {
  constexpr int kThreads = 4;
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    auto settings = std::make_shared<TIMESettings>(environment, kExe);
    std::vector<std::shared_ptr<IMEFields>> fields(kThreads);
    std::vector<std::shared_ptr<IMEAttachments>> attachments(kThreads);
    std::vector<std::string> versions(kThreads), titles(kThreads);
    RunTogether(kThreads, [&](int i) {
      // Each thread makes its first reads in another order.
      const std::function<void()> reads[] = {
          [&] { fields[i] = settings->ExtraFields(); },
          [&] { attachments[i] = settings->ExtraAttachments(); },
          [&] { versions[i] = settings->VersionText(); },
          [&] { titles[i] = settings->TitleBar(); },
      };
      for (int k = 0; k < 4; ++k) reads[(i + k) % 4]();
    });
    for (int i = 0; i < kThreads; ++i) {
      EXPECT_EQ(fields[i], fields[0]);
      EXPECT_EQ(attachments[i], attachments[0]);
      EXPECT_EQ(versions[i], "4.2 threads");
      EXPECT_EQ(titles[i], "Ravelin.exe 4.2 threads");
    }
    ASSERT_EQ(fields[0]->Count(), 2);
    EXPECT_EQ(fields[0]->Get("Branch"), "main");
    ASSERT_EQ(attachments[0]->Count(), 2);
    EXPECT_EQ(attachments[0]->Item(1).file, "C:\\b.ini");
    // The list everyone got is the one that writes back.
    fields[2]->Add("Round", std::to_string(round));
    EXPECT_EQ(settings->AddFields(), "Build=nightly|Branch=main|Round=" + std::to_string(round));
    settings->Refresh();
  }
}

TEST_F(SettingsThreadsTest, RefreshWhileOtherThreadsReadHandsOutWholeLists) {
  auto settings = std::make_shared<TIMESettings>(environment, kExe);
  RunTogether(3, [&](int i) {
    for (int n = 0; n < 300; ++n) {
      if (i == 0) {
        settings->Refresh();
      } else {
        auto fields = settings->ExtraFields();
        EXPECT_EQ(fields->Get("Build"), "nightly");
        EXPECT_EQ(settings->VersionText(), "4.2 threads");
      }
    }
  });
}

TEST_F(SettingsThreadsTest, AListKeptAfterItsSettingsAreGoneStaysUsableAndWritesNothingBack) {
  auto keeper = std::make_shared<TIMESettings>(environment, kExe);  // another user of the module
  auto settings = std::make_shared<TIMESettings>(environment, kExe);
  std::shared_ptr<IMEFields> fields = settings->ExtraFields();
  fields->Add("Before", "1");
  EXPECT_EQ(keeper->AddFields(), "Build=nightly|Branch=main|Before=1");

  settings.reset();
  fields->Add("After", "2");
  fields->Delete(fields->IndexOf("Build"));
  EXPECT_EQ(FieldsText(*fields), "Branch=main|Before=1|After=2");
  EXPECT_EQ(keeper->AddFields(), "Build=nightly|Branch=main|Before=1");
  EXPECT_EQ(keeper->ExtraFields()->Count(), 3);  // its own list, read from the settings
}

TEST_F(SettingsThreadsTest, ASettingsObjectDroppedWhileAnotherThreadChangesItsListIsNeverWrittenAfterwards) {
  auto keeper = std::make_shared<TIMESettings>(environment, kExe);
  for (int round = 0; round < 50; ++round) {
    SCOPED_TRACE(round);
    auto settings = std::make_shared<TIMESettings>(environment, kExe);
    std::shared_ptr<IMEFields> fields = settings->ExtraFields();
    RunTogether(2, [&](int i) {
      if (i == 0) {
        settings.reset();
      } else {
        for (int n = 0; n < 50; ++n) fields->Add("Field" + std::to_string(n), "x");
      }
    });
    EXPECT_EQ(fields->Count(), 52);
    keeper->SetAddFields("Build=nightly|Branch=main");
  }
  EXPECT_EQ(environment.LiveEntries(), 1);
}

}  // namespace
