#include "crash/adapter/win32/CrashReporter.h"

#include <windows.h>

#include <memory>

#include "crash/adapter/win32/FrameworkInterceptions.h"
#include "crash/adapter/win32/FrameworkThreads.h"
#include "crash/adapter/win32/LastResortFilters.h"
#include "crash/adapter/win32/SystemExceptions.h"
#include "crash/flow/ExceptionFlow.h"
#include "crash/flow/ExceptionHandlers.h"
#include "crash/flow/ExceptionHistory.h"
#include "crash/flow/HandlerFiring.h"
#include "crash/flow/TIMEException.h"
#include "crash/flow/win32/EmergencyReserve.h"
#include "crash/flow/win32/FreezeWatch.h"
#include "crash/flow/win32/HandleExceptionThread.h"
#include "crash/flow/win32/HiddenExceptions.h"
#include "crash/flow/win32/MainThreadWait.h"
#include "crash/flow/win32/MainThreadWindow.h"
#include "crash/flow/win32/ReportException.h"
#include "crash/flow/win32/RequestEvents.h"
#include "crash/flow/win32/RequestIntake.h"
#include "crash/flow/win32/Win32FlowEnvironment.h"
#include "crash/hooks/win32/ThreadCreationHooks.h"
#include "crash/hooks/win32/ThreadPause.h"
#include "crash/map/win32/ModuleCalibration.h"
#include "crash/report/win32/HeaderCollector.h"
#include "crash/report/win32/ReportBuild.h"
#include "crash/stack/win32/StackTracer.h"
#include "crash/stack/win32/Win32StackEnvironment.h"
#include "crash/win32/BlockedProcess.h"
#include "crash/win32/FileChecksumCheck.h"
#include "crash/win32/RestartHandOver.h"
#include "crash/win32/ThreadInfoBuffer.h"
#include "crash/win32/Win32SettingsEnvironment.h"
#include "framework/win32/Application.h"
#include "framework/win32/Thread.h"
#include "platform/win32/ModuleFileName.h"

namespace {

class TCrashReporter;
TCrashReporter* gReporter = nullptr;
TExceptionPresenter gPresenter;
IActionAssistant* gAssistant = nullptr;

void ReportThreadFailure(const TThreadFailure& failure) {
  ReportException(ekException, &failure.Exception, 0, nullptr, 0, nullptr, failure.CatchPoint, nullptr, 0, 0,
                  failure.CanContinue);
}

void ReportFreeze() {
  ReportException(ekFrozenMainThread, nullptr, 0, nullptr, 0, nullptr, cpFreezeWatch, nullptr, 0, 0, true);
}

bool IsQuietAbort(const std::exception_ptr& exception) {
  try {
    std::rethrow_exception(exception);
  } catch (const EAbort&) {
    return true;
  } catch (...) {
  }
  return false;
}

class TCrashReporter : public IReportingSide {
 public:
  bool Start();
  void Stop();
  void SetAssistant(IActionAssistant* assistant) {
    if (FEnvironment) FEnvironment->SetAssistant(assistant);
  }
  void SetPresenter(TExceptionPresenter presenter) {
    if (!FEnvironment) return;
    TWin32FlowEnvironment& environment = *FEnvironment;
    if (!presenter) return environment.SetPresenter(nullptr);
    environment.SetPresenter(
        [presenter, &environment](TIMEException& exception) { return presenter(exception, environment); });
  }

  DWORD HandlerThreadId() override { return FHandlerThread.ThreadId(); }
  DWORD MainThreadId() override { return MainThreadID; }
  bool MainThreadBusyForHandlers() override {
    return THandlerFiring::MainThreadHandlersRunning() || (FMainWindow && FMainWindow->InCall());
  }
  void ReleaseReserve() override { FReserve.Release(); }
  void RestoreReserve() override { FReserve.Reserve(); }
  void PauseFreezeWatch() override {
    if (FFreezeWatch) FFreezeWatch->Pause();
  }
  void ResumeFreezeWatch() override {
    if (FFreezeWatch) FFreezeWatch->Resume();
  }
  HANDLE AcquireEvent() override { return FEvents.Acquire(); }
  void ReleaseEvent(HANDLE event) override { FEvents.Release(event); }
  bool Submit(const TExceptionRequestRecord& record) override { return FHandlerThread.Submit(record); }
  void HandleHere(const TExceptionRequestRecord& record) override { Handle(record); }
  void WaitHandled(HANDLE event) override {
    // A quit message ends the message loop, not the handling: the request
    // still points into this thread's stack, so the wait goes on unpumped.
    if (WaitForEvent(event, MainThreadID) != TEventWaitEnd::EventSet) WaitForSingleObject(event, INFINITE);
  }

 private:
  bool CheckExecutable(TIMESettings& settings);
  void StartInterceptions(TIMESettings& settings);
  void Handle(const TExceptionRequestRecord& record);

  std::shared_ptr<TIMESettings> FSettings;
  std::unique_ptr<TThreadInfoBuffer> FThreadInfo;
  std::unique_ptr<TStackTracer> FTracer;
  std::unique_ptr<TReportServices> FServices;
  std::unique_ptr<TMainThreadWindow> FMainWindow;
  std::unique_ptr<TThreadPause> FPause;
  std::unique_ptr<TFreezeWatch> FFreezeWatch;
  std::unique_ptr<TWin32FlowEnvironment> FEnvironment;
  std::unique_ptr<TExceptionFlow> FFlow;
  TRequestEvents FEvents;
  THandleExceptionThread FHandlerThread;
  TFrameworkInterceptions FInterceptions;
  TLastResortFilters FFilters;
  std::unique_ptr<TThreadCreationHooks> FThreadHooks;
  TEmergencyReserve FReserve;
};

void TCrashReporter::Handle(const TExceptionRequestRecord& record) {
  if (!FFlow || !FEnvironment) return;
  TIntakeRules rules;
  rules.IsQuietAbort = IsQuietAbort;
  rules.SystemObject = SystemExceptionObject;
  rules.Memory = &FServices->Memory();
  TExceptionRequest request;
  TPreparedStack thrownStack;
  if (!TakeRequest(record, rules, request, thrownStack)) {
    // Raised to end an operation quietly: never reported.
    if ((record.CanContinue & 0xFF) == 0) TerminateProcess(GetCurrentProcess(), 1);
    return;
  }
  std::shared_ptr<TIMEException> exception = FFlow->HandleRequest(request, *FEnvironment);
  FEnvironment->KeepUntilComplete(std::move(exception));
}

bool TCrashReporter::CheckExecutable(TIMESettings& settings) {
  if (!settings.Enabled() || !settings.CheckFileCrc()) return true;
  if (CheckFileChecksum(ModuleFileName(nullptr)) != TFileChecksum::Differs) return true;
  MessageBoxA(nullptr, settings.BitFaultMsg().c_str(), nullptr, MB_OK | MB_ICONERROR | MB_TASKMODAL);
  return false;
}

void TCrashReporter::StartInterceptions(TIMESettings& settings) {
  FInterceptions.Install();
  FMainWindow = TMainThreadWindow::Create();
  if (FMainWindow) FMainWindow->MakeCurrent();
  FPause = std::make_unique<TThreadPause>(MainThreadID);
  FPause->Prepare();
  if (settings.CheckFreeze() && FMainWindow) {
    FFreezeWatch = std::make_unique<TFreezeWatch>(*FMainWindow, static_cast<DWORD>(settings.FreezeTimeout()),
                                                  ReportFreeze);
  }
  FEnvironment = std::make_unique<TWin32FlowEnvironment>(*FServices, TExceptionHistory::Process(), FThreadInfo.get(),
                                                         FMainWindow.get(), FPause.get(), FFreezeWatch.get());
  SetPresenter(gPresenter);
  FEnvironment->SetAssistant(gAssistant);
  FFlow = std::make_unique<TExceptionFlow>(TExceptionHandlers::Process(), TExceptionHistory::Process());
  if (FHandlerThread.Start([this](const TExceptionRequestRecord& record) { Handle(record); }) && FThreadInfo)
    FThreadInfo->RecordThreadName(FHandlerThread.ThreadId(), "-");
  FThreadHooks = std::make_unique<TThreadCreationHooks>(FThreadInfo.get(), ReportThreadFailure, FrameworkThreadStart());
  FThreadHooks->Install();
  FFilters.Install();
  if (FFreezeWatch && FThreadInfo) FFreezeWatch->Start(FThreadInfo->FreezeWatchMutex(), FThreadInfo.get());
  FReserve.Reserve();
  SetReportingSide(this);
  SetHiddenExceptionWatch([] { return TExceptionHandlers::Process().Any(hkHidden); });
}

bool TCrashReporter::Start() {
  // A predecessor that restarted itself hands over its exception history.
  TRestartHistory handedOver{};
  if (TakeOverRestartRecord(handedOver)) {
    TExceptionHistory::TValues values;
    std::copy(handedOver.begin(), handedOver.end(), values.begin());
    TExceptionHistory::Process().Assign(values);
  }
  const LONGLONG startCounter = ReporterStartCounter();
  TWin32SettingsEnvironment& environment = SystemSettingsEnvironment();
  FSettings = SettingsOfModule(environment, environment.ReporterModule());
  const bool valid = FSettings && FSettings->Valid();
  if (valid && !CheckExecutable(*FSettings)) TerminateProcess(GetCurrentProcess(), 0);
  CalibrateLoadedModules();
  if (!valid) return false;
  FThreadInfo = TThreadInfoBuffer::Open();
  if (!FThreadInfo) {
    MessageBoxA(nullptr, "internal error (opening global buffer)", "Ostrel", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    TerminateProcess(GetCurrentProcess(), 1);
  }
  if (!FSettings->Enabled()) return false;
  FTracer = std::make_unique<TStackTracer>(SystemStackEnvironment());
  FServices = std::make_unique<TReportServices>(*FTracer, FThreadInfo.get(), startCounter);
  StartInterceptions(*FSettings);
  return true;
}

void TCrashReporter::Stop() {
  SetHiddenExceptionWatch(nullptr);
  SetReportingSide(nullptr);
  FFilters.Uninstall();
  FInterceptions.Uninstall();
  if (FFreezeWatch) FFreezeWatch->Stop();
  if (FThreadHooks) FThreadHooks->Uninstall();
  const bool blocked = ProcessIsBlocked();
  FHandlerThread.Stop(blocked);
  if (FEnvironment) FEnvironment->StopReports();
  FFlow.reset();
  FEnvironment.reset();
  FFreezeWatch.reset();
  FPause.reset();
  FMainWindow.reset();
  FThreadHooks.reset();
  FReserve.Release();
  FServices.reset();
  FTracer.reset();
  FThreadInfo.reset();
  FSettings.reset();
}

}  // namespace

bool StartCrashReporter() {
  if (gReporter != nullptr) return true;
  try {
    auto reporter = std::make_unique<TCrashReporter>();
    if (!reporter->Start()) {
      reporter->Stop();
      return false;
    }
    gReporter = reporter.release();
    return true;
  } catch (...) {
    return false;
  }
}

void StopCrashReporter() {
  if (gReporter == nullptr) return;
  try {
    gReporter->Stop();
    delete gReporter;
  } catch (...) {
  }
  gReporter = nullptr;
}

bool CrashReporterRunning() { return gReporter != nullptr; }

void SetExceptionPresenter(TExceptionPresenter presenter) {
  gPresenter = presenter;
  if (gReporter != nullptr) gReporter->SetPresenter(std::move(presenter));
}

void SetActionAssistant(IActionAssistant* assistant) {
  gAssistant = assistant;
  if (gReporter != nullptr) gReporter->SetAssistant(assistant);
}
