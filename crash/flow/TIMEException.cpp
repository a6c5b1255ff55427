#include "crash/flow/TIMEException.h"

#include "crash/report/ReportText.h"

TIMEException::TIMEException(ISettingsEnvironment& environment,
                             const std::shared_ptr<TIMESettings>& moduleSettings, TExceptionParams params)
    : TIMESettings(environment, moduleSettings ? moduleSettings->ModuleHandle() : environment.ReporterModule()),
      FParams(std::move(params)),
      FCanContinueAtCreation(FParams.CanContinue),
      FModuleSettings(moduleSettings),
      FCanContinue(FParams.CanContinue),
      FHeader(std::make_shared<TIMEFields>()),
      FSections(std::make_shared<TIMEFields>()) {
  FHeader->OnChange = [this] { ReportChanged(); };
  FSections->OnChange = [this] { ReportChanged(); };
}

TIMEException::~TIMEException() {
  RequestAbort();
  std::function<void()> wait;
  {
    std::lock_guard<std::mutex> guard(FLock);
    wait = std::move(FCompletionWaiter);
  }
  try {
    if (wait) wait();
  } catch (...) {
  }
}

TExceptPhase TIMEException::Phase() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FPhase;
}

void TIMEException::SetPhase(TExceptPhase phase) {
  std::lock_guard<std::mutex> guard(FLock);
  FPhase = phase == epPostProcessing && FComplete ? epCompleteReport : phase;
}

bool TIMEException::CanContinue() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FCanContinue;
}

void TIMEException::SetCanContinue(bool value) {
  std::lock_guard<std::mutex> guard(FLock);
  FCanContinue = value && FCanContinueAtCreation;
}

const TExceptionDescription& TIMEException::Description() const {
  std::call_once(FDescribed, [this] { FDescription = std::make_unique<TExceptionDescription>(FParams.Exception); });
  return *FDescription;
}

std::uint32_t TIMEException::CallstackChecksum(int index) const {
  if (index < 0 || index > 2) return 0;
  std::lock_guard<std::mutex> guard(FLock);
  return FChecksums[static_cast<size_t>(index)];
}

void TIMEException::SetCallstackChecksum(int index, std::uint32_t value) {
  if (index < 0 || index > 2) return;
  std::lock_guard<std::mutex> guard(FLock);
  FChecksums[static_cast<size_t>(index)] = value;
}

void TIMEException::ApplyFilters(const TFilterDecisions& decisions) {
  FCreateReport = decisions.CreateReport;
  FTakeScreenshot = decisions.TakeScreenshot;
  FAttachScreenshot = decisions.TakeScreenshot;
  FPauseThreads = decisions.PauseThreads;
  FCallHandlers = decisions.CallHandlers;
  FPresentation = decisions.Presentation;
  SetAssistantName(decisions.AssistantName);
}

std::string TIMEException::AssistantName() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FAssistantName;
}

void TIMEException::SetAssistantName(const std::string& name) {
  std::lock_guard<std::mutex> guard(FLock);
  FAssistantName = name;
}

void TIMEException::BeginUpdate() {
  std::lock_guard<std::mutex> guard(FLock);
  ++FUpdateCount;
}

void TIMEException::EndUpdate() {
  bool due = false;
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0 && FChangedInUpdate) {
      FChangedInUpdate = false;
      due = true;
    }
  }
  if (due) RunChangeCallbacks();
}

int TIMEException::AddReportChangeCallback(TReportChangeCallback callback, bool critical) {
  std::lock_guard<std::mutex> guard(FLock);
  const int id = FNextCallbackId++;
  FCallbacks.push_back(TCallback{id, critical, std::move(callback)});
  return id;
}

void TIMEException::RemoveReportChangeCallback(int id) {
  std::lock_guard<std::mutex> guard(FLock);
  for (auto it = FCallbacks.begin(); it != FCallbacks.end(); ++it)
    if (it->Id == id) {
      FCallbacks.erase(it);
      return;
    }
}

bool TIMEException::HasCriticalCallback() const {
  std::lock_guard<std::mutex> guard(FLock);
  for (const TCallback& callback : FCallbacks)
    if (callback.Critical) return true;
  return false;
}

bool TIMEException::Modified() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FModified;
}

void TIMEException::ClearModified() {
  std::lock_guard<std::mutex> guard(FLock);
  FModified = false;
}

void TIMEException::ReportChanged() {
  {
    std::lock_guard<std::mutex> guard(FLock);
    FModified = true;
    ++FChangeCount;
    FCachedText.reset();
    if (FUpdateCount > 0) {
      FChangedInUpdate = true;
      return;
    }
  }
  RunChangeCallbacks();
}

void TIMEException::RunChangeCallbacks() {
  std::vector<TCallback> callbacks;
  {
    std::lock_guard<std::mutex> guard(FLock);
    callbacks = FCallbacks;
  }
  // A failing callback must not break the change that ran it, nor the others.
  for (TCallback& callback : callbacks) {
    try {
      callback.Callback(*this);
    } catch (...) {
    }
  }
}

std::string TIMEException::ReportText(bool complete) {
  if (complete) WaitForCompleteReport();
  std::uint64_t changeCount = 0;
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (FCachedText && (!complete || FComplete)) return *FCachedText;
    changeCount = FChangeCount;
  }
  std::string text = AssembleReportText(*FHeader, *FSections);
  std::lock_guard<std::mutex> guard(FLock);
  // A change while assembling may be half in the text: keep it uncached.
  if (changeCount == FChangeCount) FCachedText = text;
  return text;
}

void TIMEException::SetReport(const std::string& text) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    FModified = true;
    ++FChangeCount;
    FCachedText = text;
    if (FUpdateCount > 0) {
      FChangedInUpdate = true;
      return;
    }
  }
  RunChangeCallbacks();
}

bool TIMEException::ReportComplete() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FComplete;
}

void TIMEException::MarkReportComplete() {
  std::function<void(TIMEException&)> onCompletePhase;
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (FComplete) return;
    FComplete = true;
    if (FPhase == epPostProcessing) {
      FPhase = epCompleteReport;
      onCompletePhase = FOnCompletePhase;
    }
  }
  RunChangeCallbacks();
  if (onCompletePhase) {
    try {
      onCompletePhase(*this);
    } catch (...) {
    }
  }
}

void TIMEException::WaitForCompleteReport() {
  std::function<void()> wait;
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (FComplete) return;
    wait = FCompletionWaiter;
  }
  if (wait) wait();
}

void TIMEException::SetCompletionWaiter(std::function<void()> wait) {
  std::lock_guard<std::mutex> guard(FLock);
  FCompletionWaiter = std::move(wait);
}

void TIMEException::SetOnCompletePhase(std::function<void(TIMEException&)> handler) {
  std::lock_guard<std::mutex> guard(FLock);
  FOnCompletePhase = std::move(handler);
}

void TIMEException::SetSendingWaiter(std::function<void()> wait) {
  std::lock_guard<std::mutex> guard(FLock);
  FSendingWaiter = std::move(wait);
}

void TIMEException::WaitForSending() {
  std::function<void()> wait;
  {
    std::lock_guard<std::mutex> guard(FLock);
    wait = std::move(FSendingWaiter);
    FSendingWaiter = nullptr;
  }
  if (wait) wait();
}

std::shared_ptr<void> TIMEException::Screenshot() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FScreenshot;
}

void TIMEException::SetScreenshot(std::shared_ptr<void> screenshot) {
  std::lock_guard<std::mutex> guard(FLock);
  FScreenshot = std::move(screenshot);
}

std::optional<TSettingProperty> TIMEException::Lookup(const std::string& name) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (const TSettingProperty* own = FOwnSettings.Find(name)) return *own;
  }
  return TIMESettings::Lookup(name);
}

bool TIMEException::Write(const TSettingProperty& value) {
  // A setting keeps the kind it has anywhere behind this object's own list.
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (TSettingProperty* own = FOwnSettings.Find(value.Name)) {
      if (own->Kind != value.Kind) return false;
      *own = value;
      return true;
    }
  }
  const std::optional<TSettingProperty> behind = TIMESettings::Lookup(value.Name);
  if (behind && behind->Kind != value.Kind) return false;
  std::lock_guard<std::mutex> guard(FLock);
  if (TSettingProperty* own = FOwnSettings.Find(value.Name)) {
    *own = value;  // written meanwhile by another thread: the same kind
    return true;
  }
  FOwnSettings.Append(value);
  return true;
}
