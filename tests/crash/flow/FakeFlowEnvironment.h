#pragma once
// A process around the handling flow: settings from a resource the test
// builds, a main thread that answers, keeps silent or answers wrongly, and a
// log of every contact with the system instead of the contact itself.
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "crash/flow/FlowEnvironment.h"
#include "crash/flow/HandlerFiring.h"
#include "crash/flow/TIMEException.h"
#include "tests/support/FakeSettingsEnvironment.h"

class TFakeMainThread : public IMainThreadCalls {
 public:
  enum class TMode { Answers, Silent, WrongAnswer };
  TMode mode = TMode::Answers;
  int probes = 0;
  bool inCall = false;  // true while a call runs "on the main thread"

  std::optional<std::intptr_t> Probe(std::chrono::milliseconds timeout) override {
    ++probes;
    lastTimeout = timeout;
    if (mode == TMode::Silent) return std::nullopt;
    return mode == TMode::Answers ? kProbeAnswer : 1;
  }
  void Call(const std::function<void()>& call) override {
    inCall = true;
    call();
    inCall = false;
  }
  std::chrono::milliseconds lastTimeout{0};
};

class TFakeAssistant : public IActionAssistant {
 public:
  bool proceed = true;
  std::vector<std::string> shown;
  bool Run(TIMEException&, const std::string& assistantName, std::uintptr_t) override {
    shown.push_back(assistantName);
    return proceed;
  }
};

class TFakeFlowEnvironment : public IFlowEnvironment {
 public:
  TFakeSettingsEnvironment settings;
  TFakeMainThread mainThread;
  TFakeAssistant assistant;
  bool withAssistant = false;
  bool console = false;
  bool webServer = false;
  bool dialogApplies = false;   // what Present answers
  bool sendSucceeds = true;
  bool reporterInExecutable = true;
  std::uint64_t now = 13'000'000'000;
  std::vector<std::string> log;
  std::string consoleText;
  std::function<void(TIMEException&)> onStartReport;  // replaces the synchronous report

  explicit TFakeFlowEnvironment(const std::string& settingsResource) {
    settings.modules[TFakeSettingsEnvironment::kExecutable].resources["TOSTREL"] = settingsResource;
  }

  bool Logged(const std::string& entry) const {
    return std::find(log.begin(), log.end(), entry) != log.end();
  }
  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(log.begin(), log.end(), entry));
  }

  void DeleteTempDirectory() override { log.push_back("temp"); }
  std::uintptr_t CorrectAddress(std::uintptr_t address) override { return address - 1; }
  std::shared_ptr<TIMESettings> SettingsOfAddress(std::uintptr_t address) override {
    return ::SettingsOfAddress(settings, address);
  }
  ISettingsEnvironment& Settings() override { return settings; }
  bool ConsoleProcess() override { return console; }
  bool WebServerProcess() override { return webServer; }
  bool ReporterInExecutable() override { return reporterInExecutable; }
  std::uint64_t NowSeconds() override { return now; }
  std::uint32_t CurrentThreadId() override { return 77; }
  void PauseThreads(TIMEException&) override { log.push_back("pause"); }
  void ResumeThreads() override { log.push_back("resume"); }
  void TakeScreenshot(TIMEException& e) override {
    log.push_back("screenshot");
    e.SetScreenshot(std::make_shared<int>(1));
  }
  // Completes at once, as a blocked process does.
  void StartReport(TIMEException& e) override {
    log.push_back("report");
    if (onStartReport) return onStartReport(e);
    e.Header().Add("exception class", e.ExceptionClass());
    e.Sections().Add("main thread", "line 1");
    e.MarkReportComplete();
  }
  void BuildReportNow(TIMEException&) override { log.push_back("build now"); }
  bool Present(TIMEException&) override {
    log.push_back("present");
    return dialogApplies;
  }
  void ConsoleOutput(const std::string& text) override {
    log.push_back("console");
    consoleText += text;
  }
  void CloseProcess(TIMEException&) override { log.push_back("close"); }
  void RestartProcess(TIMEException&) override { log.push_back("restart"); }
  // The sending ends (and sets Sent) when it is waited for.
  std::function<void()> StartAutomaticSending(TIMEException& e) override {
    log.push_back("send");
    return [this, &e] {
      log.push_back("send ended");
      e.SetSent(sendSucceeds);
    };
  }
  void CopyToClipboard(const std::string& text) override { log.push_back("clip:" + text.substr(0, 15)); }
  bool SaveSilently(TIMEException& e) override {
    log.push_back("save");
    e.SetSaved(true);
    return true;
  }
  void ResetFreezeCounter() override { log.push_back("reset freeze"); }
  IMainThreadCalls& MainThread() override { return mainThread; }
  IActionAssistant* Assistant() override { return withAssistant ? &assistant : nullptr; }
};
