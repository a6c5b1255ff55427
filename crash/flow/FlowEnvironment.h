#pragma once
// Everything the handling of one exception asks of the system. The Windows
// build answers from the process; tests answer from a fake. Called on the
// handling thread (or on the reporting thread when the process is blocked),
// and by the exception objects it handled (their completion and automatic
// actions): it must outlive them all.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class ISettingsEnvironment;
class TIMESettings;
class TIMEException;
class IMainThreadCalls;
class IActionAssistant;

class IFlowEnvironment {
 public:
  virtual ~IFlowEnvironment() = default;

  // Empties the reporter's temporary directory.
  virtual void DeleteTempDirectory() = 0;
  // The exception address as call stacks show it (the call, not its return).
  virtual std::uintptr_t CorrectAddress(std::uintptr_t address) = 0;
  // The settings of the module that contains address, and the environment
  // settings objects are made in.
  virtual std::shared_ptr<TIMESettings> SettingsOfAddress(std::uintptr_t address) = 0;
  virtual ISettingsEnvironment& Settings() = 0;

  virtual bool ConsoleProcess() = 0;
  virtual bool WebServerProcess() = 0;
  // The reporter lives in the executable (or runs as a package), so it may
  // pause the process's framework threads.
  virtual bool ReporterInExecutable() = 0;
  // Whole seconds, UTC, counted from 1601.
  virtual std::uint64_t NowSeconds() = 0;
  virtual std::uint32_t CurrentThreadId() = 0;

  // Pauses the other framework threads except the report's completion thread.
  virtual void PauseThreads(TIMEException& exception) = 0;
  // Lets every paused thread go again.
  virtual void ResumeThreads() = 0;
  virtual void TakeScreenshot(TIMEException& exception) = 0;
  // Header now, sections as placeholders, the completion started (on its own
  // thread, or at once when the process is blocked).
  virtual void StartReport(TIMEException& exception) = 0;
  // Header and sections built at once (BuildNow).
  virtual void BuildReportNow(TIMEException& exception) = 0;
  // Shows the exception dialog; true when a dialog was shown and applied the
  // user's choice itself.
  virtual bool Present(TIMEException& exception) = 0;
  // Writes text to standard output.
  virtual void ConsoleOutput(const std::string& text) = 0;
  // Ends the process (exit code 1) / restarts it (exit code 2). A fake returns.
  virtual void CloseProcess(TIMEException& exception) = 0;
  virtual void RestartProcess(TIMEException& exception) = 0;
  // Sends the complete report on a thread of its own without user interface,
  // with the screenshot when AttachScreenshot is set; answers how to wait for
  // that thread (empty when none was started).
  virtual std::function<void()> StartAutomaticSending(TIMEException& exception) = 0;
  virtual void CopyToClipboard(const std::string& text) = 0;
  // Writes the complete report to the bug report file without asking; true
  // when written.
  virtual bool SaveSilently(TIMEException& exception) = 0;
  virtual void ResetFreezeCounter() = 0;
  virtual IMainThreadCalls& MainThread() = 0;
  // Null while there is no dialog to ask.
  virtual IActionAssistant* Assistant() = 0;
};
