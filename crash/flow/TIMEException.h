#pragma once
// One reported exception (or freeze) while it is handled: what was reported,
// the decisions of the filters, the report's header and section lists and its
// text, and the flags the dialog, the completion and the sending share.
// It is a settings object: its own private settings lie in front of the
// settings of the module where the exception happened, so that a change made
// for this exception (a wait box switched off) touches no other.
// Any thread: the handling thread creates it, the completion thread fills the
// sections, the dialog reads the text; every piece of state is guarded.
#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "crash/MEFields.h"
#include "crash/SettingProperty.h"
#include "crash/TIMESettings.h"
#include "crash/common/ExceptionKinds.h"
#include "crash/flow/ExceptionDescription.h"
#include "crash/flow/ExceptionFilters.h"

// What was reported, copied into the exception object at its creation.
struct TExceptionParams {
  TEventKind EventKind = ekException;
  std::exception_ptr Exception;  // null: no exception object
  std::uintptr_t Address = 0;
  std::uint32_t ThreadId = 0;
  bool CanContinue = true;
  std::uintptr_t StackPointer = 0;
  std::uintptr_t FramePointer = 0;
  std::vector<std::uint8_t> Context;  // the processor context's bytes; empty: none
  TCatchPoint CatchPoint = cpNone;
  void* RelatedObject = nullptr;
  std::uintptr_t Package = 0;
  const void* PreparedStack = nullptr;  // the stack captured at the raise, or null
};

class TIMEException : public TIMESettings {
 public:
  // moduleSettings: the settings of the module where the exception happened.
  TIMEException(ISettingsEnvironment& environment, const std::shared_ptr<TIMESettings>& moduleSettings,
                TExceptionParams params);
  // Stops a running completion (see SetCompletionWaiter) before it goes.
  ~TIMEException() override;

  // --- what was reported ---
  TExceptPhase Phase() const;
  // epPostProcessing becomes epCompleteReport when the report is already complete.
  void SetPhase(TExceptPhase phase);
  bool CanContinue() const;
  // Back to true only when it was true at creation.
  void SetCanContinue(bool value);
  TEventKind EventKind() const { return FParams.EventKind; }
  const std::exception_ptr& ExceptionObject() const { return FParams.Exception; }
  // Class chain and message, computed on first request.
  const TExceptionDescription& Description() const;
  std::string ExceptionClass() const { return Description().ClassName(); }
  // The formatted message ("." at the end).
  std::string ExceptionMessage() const { return Description().FormattedMessage(); }
  std::uintptr_t ExceptionAddress() const { return FParams.Address; }
  std::uint32_t ThreadId() const { return FParams.ThreadId; }
  // Index 0 to 2; 0 outside.
  std::uint32_t CallstackChecksum(int index) const;
  void SetCallstackChecksum(int index, std::uint32_t value);
  std::uintptr_t StackPointer() const { return FParams.StackPointer; }
  std::uintptr_t FramePointer() const { return FParams.FramePointer; }
  // The copied processor context; null when none was given.
  const void* Context() const { return FParams.Context.empty() ? nullptr : FParams.Context.data(); }
  std::size_t ContextSize() const { return FParams.Context.size(); }
  TCatchPoint CatchPoint() const { return FParams.CatchPoint; }
  void* RelatedObject() const { return FParams.RelatedObject; }
  std::uintptr_t Package() const { return FParams.Package; }
  const void* PreparedStack() const { return FParams.PreparedStack; }

  // --- the filters' decisions ---
  void ApplyFilters(const TFilterDecisions& decisions);
  bool CreateReport() const { return FCreateReport; }
  void SetCreateReport(bool value) { FCreateReport = value; }
  bool TakeScreenshot() const { return FTakeScreenshot; }
  void SetTakeScreenshot(bool value) { FTakeScreenshot = value; }
  bool AttachScreenshot() const { return FAttachScreenshot; }
  void SetAttachScreenshot(bool value) { FAttachScreenshot = value; }
  bool PauseThreads() const { return FPauseThreads; }
  void SetPauseThreads(bool value) { FPauseThreads = value; }
  bool CallHandlers() const { return FCallHandlers; }
  void SetCallHandlers(bool value) { FCallHandlers = value; }
  std::int32_t Presentation() const { return FPresentation; }
  void SetPresentation(std::int32_t value) { FPresentation = value; }
  std::string AssistantName() const;
  void SetAssistantName(const std::string& name);
  // Build header and sections at once instead of on a completion thread.
  bool BuildNow() const { return FBuildNow; }
  void SetBuildNow(bool value) { FBuildNow = value; }

  // --- the report ---
  TIMEFields& Header() { return *FHeader; }
  TIMEFields& Sections() { return *FSections; }
  // Bracket changes so that the change callbacks run once, at the end.
  void BeginUpdate();
  void EndUpdate();
  using TReportChangeCallback = std::function<void(TIMEException& exception)>;
  // Runs after every change of the report, on the changing thread. A critical
  // callback makes the report be completed before the process is closed or
  // restarted. Returns the id for the removal.
  int AddReportChangeCallback(TReportChangeCallback callback, bool critical);
  void RemoveReportChangeCallback(int id);
  bool HasCriticalCallback() const;
  // True after any change since the last ClearModified.
  bool Modified() const;
  void ClearModified();

  // The text of header and sections; cached until the next change. complete:
  // wait for the completion first (through the waiter, when one is set).
  std::string ReportText(bool complete);
  // Replaces the text as a whole (a report edited by the user).
  void SetReport(const std::string& text);
  bool ReportComplete() const;
  // Called once by whoever completes the report, after the last section:
  // marks it complete, runs the change callbacks, and moves epPostProcessing
  // on to epCompleteReport, running OnCompletePhase.
  void MarkReportComplete();
  // Waits until the report is complete (no-op when no waiter is set).
  void WaitForCompleteReport();
  // Whoever starts the completion on a thread of its own sets how to wait for
  // that thread's end; cleared by setting an empty function.
  void SetCompletionWaiter(std::function<void()> wait);
  // Runs when the phase moves on to epCompleteReport (fires that phase's handlers).
  void SetOnCompletePhase(std::function<void(TIMEException&)> handler);
  // Asked for between the completion's steps; set when the object goes.
  void RequestAbort() { FAbort = true; }
  bool AbortRequested() const { return FAbort; }

  // --- shared flags ---
  // Each starts at -1; the increment that yields 0 is the first.
  int IncrementFirstCompletedCount() { return ++FFirstCompletedCount; }
  int IncrementFirstSaveCount() { return ++FFirstSaveCount; }
  bool Sent() const { return FSent; }
  void SetSent(bool value) { FSent = value; }
  bool Saved() const { return FSaved; }
  void SetSaved(bool value) { FSaved = value; }
  // Set when the main thread did not answer for synchronised handlers.
  bool SyncFailed() const { return FSyncFailed; }
  void SetSyncFailed(bool value) { FSyncFailed = value; }
  // How to wait for the automatic sending thread (empty: none runs); the
  // wait runs once, then it is dropped.
  void SetSendingWaiter(std::function<void()> wait);
  void WaitForSending();
  // The screenshot, opaque here; null when none was taken.
  std::shared_ptr<void> Screenshot() const;
  void SetScreenshot(std::shared_ptr<void> screenshot);

 protected:
  std::optional<TSettingProperty> Lookup(const std::string& name) override;
  bool Write(const TSettingProperty& value) override;
  bool TakesScreenshot() override { return AttachScreenshot(); }

 private:
  struct TCallback {
    int Id;
    bool Critical;
    TReportChangeCallback Callback;
  };
  void ReportChanged();
  void RunChangeCallbacks();

  TExceptionParams FParams;
  const bool FCanContinueAtCreation;
  std::shared_ptr<TIMESettings> FModuleSettings;

  mutable std::mutex FLock;  // guards what follows up to the atomics
  TExceptPhase FPhase = epNotHandledYet;
  bool FCanContinue;
  std::array<std::uint32_t, 3> FChecksums{};
  TSettingPropertyList FOwnSettings;
  std::string FAssistantName;
  std::vector<TCallback> FCallbacks;
  int FNextCallbackId = 1;
  int FUpdateCount = 0;
  bool FChangedInUpdate = false;
  bool FModified = false;
  std::uint64_t FChangeCount = 0;
  std::optional<std::string> FCachedText;
  bool FComplete = false;
  std::function<void()> FCompletionWaiter;
  std::function<void(TIMEException&)> FOnCompletePhase;
  std::function<void()> FSendingWaiter;
  std::shared_ptr<void> FScreenshot;
  mutable std::once_flag FDescribed;
  mutable std::unique_ptr<TExceptionDescription> FDescription;

  std::shared_ptr<TIMEFields> FHeader, FSections;
  std::atomic<bool> FCreateReport{true}, FTakeScreenshot{false}, FAttachScreenshot{false};
  std::atomic<bool> FPauseThreads{false}, FCallHandlers{true}, FBuildNow{false};
  std::atomic<std::int32_t> FPresentation{0};
  std::atomic<bool> FAbort{false}, FSent{false}, FSaved{false}, FSyncFailed{false};
  std::atomic<int> FFirstCompletedCount{-1}, FFirstSaveCount{-1};
};
