#pragma once
// The handling flow's contact with the running process: settings, the
// report's two-step build, pausing threads, the main thread, the screenshot,
// the clipboard, the bug report file, closing and restarting. Used on the
// handling thread (or the reporting thread while the process is blocked).
#include <functional>
#include <list>
#include <memory>
#include <mutex>

#include "crash/flow/ExceptionHistory.h"
#include "crash/flow/FlowEnvironment.h"
#include "crash/flow/HandlerFiring.h"

class TFreezeWatch;
class TMainThreadWindow;
class TReportBuild;
class TReportCompletion;
class TReportServices;
class TThreadInfoBuffer;
class TThreadPause;

class TWin32FlowEnvironment : public IFlowEnvironment, private IMainThreadCalls {
 public:
  // The exception dialog's seam: shows the exception and applies the user's
  // choice; answers false when no dialog was shown.
  using TPresenter = std::function<bool(TIMEException& exception)>;

  // Any of the parts but services may be null (not started).
  TWin32FlowEnvironment(TReportServices& services, TExceptionHistory& history, TThreadInfoBuffer* threadInfo,
                        TMainThreadWindow* mainWindow, TThreadPause* pause, TFreezeWatch* freezeWatch);
  ~TWin32FlowEnvironment() override;

  void SetPresenter(TPresenter presenter) { FPresenter = std::move(presenter); }
  // Keeps the exception object (the flow keeps none) until its report's
  // completion has ended; reports that ended go on the next call.
  void KeepUntilComplete(std::shared_ptr<TIMEException> exception);
  // Ends every report completion still running (shutdown).
  void StopReports();

  void DeleteTempDirectory() override;
  std::uintptr_t CorrectAddress(std::uintptr_t address) override;
  std::shared_ptr<TIMESettings> SettingsOfAddress(std::uintptr_t address) override;
  ISettingsEnvironment& Settings() override;
  bool ConsoleProcess() override;
  bool WebServerProcess() override { return false; }
  bool ReporterInExecutable() override;
  std::uint64_t NowSeconds() override;
  std::uint32_t CurrentThreadId() override;
  void PauseThreads(TIMEException& exception) override;
  void ResumeThreads() override;
  void TakeScreenshot(TIMEException& exception) override;
  void StartReport(TIMEException& exception) override;
  void BuildReportNow(TIMEException& exception) override;
  bool Present(TIMEException& exception) override;
  void ConsoleOutput(const std::string& text) override;
  void CloseProcess(TIMEException& exception) override;
  void RestartProcess(TIMEException& exception) override;
  std::function<void()> StartAutomaticSending(TIMEException& exception) override;
  void CopyToClipboard(const std::string& text) override;
  bool SaveSilently(TIMEException& exception) override;
  void ResetFreezeCounter() override;
  IMainThreadCalls& MainThread() override { return *this; }
  IActionAssistant* Assistant() override { return FAssistant; }
  // The assistant shown before an action (none: the step is skipped).
  void SetAssistant(IActionAssistant* assistant) { FAssistant = assistant; }

 private:
  // One report under construction: its build and the thread completing it.
  struct TReportJob;

  std::optional<std::intptr_t> Probe(std::chrono::milliseconds timeout) override;
  void Call(const std::function<void()>& call) override;
  TReportJob& NewJob(TIMEException& exception);
  void DropFinishedJobs();

  TReportServices& FServices;
  TExceptionHistory& FHistory;
  TThreadInfoBuffer* FThreadInfo;
  TMainThreadWindow* FMainWindow;
  TThreadPause* FPause;
  TFreezeWatch* FFreezeWatch;
  TPresenter FPresenter;
  IActionAssistant* FAssistant = nullptr;
  std::mutex FJobsLock;
  std::list<std::unique_ptr<TReportJob>> FJobs;
};
