#include "crash/flow/win32/Win32FlowEnvironment.h"

#include <windows.h>

#include <cstring>

#include "crash/flow/TIMEException.h"
#include "crash/flow/win32/FreezeWatch.h"
#include "crash/flow/win32/MainThreadWindow.h"
#include "crash/flow/win32/ProcessActions.h"
#include "crash/hooks/win32/ThreadPause.h"
#include "crash/image/win32/Screenshot.h"
#include "crash/report/win32/ReportBuild.h"
#include "crash/report/win32/ReportCompletion.h"
#include "crash/win32/BlockedProcess.h"
#include "crash/win32/Win32SettingsEnvironment.h"

struct TWin32FlowEnvironment::TReportJob {
  TIMEException* Target = nullptr;
  // Declared first, so it goes last: the build and its thread point at it.
  std::shared_ptr<TIMEException> Kept;
  std::unique_ptr<TReportBuild> Build;
  std::unique_ptr<TReportCompletion> Completion;
};

namespace {

TReportSubject SubjectOf(TIMEException& exception) {
  TReportSubject subject;
  subject.Kind = exception.EventKind();
  subject.FailingThreadId = exception.ThreadId();
  subject.ExceptionAddress = exception.ExceptionAddress();
  if (exception.Context() != nullptr && exception.ContextSize() == sizeof(CONTEXT)) {
    subject.HasContext = true;
    std::memcpy(&subject.Context, exception.Context(), sizeof(CONTEXT));
  }
  subject.StackPointer = exception.StackPointer();
  subject.FramePointer = exception.FramePointer();
  if (exception.PreparedStack() != nullptr)
    subject.ThrownStack = *static_cast<const TPreparedStack*>(exception.PreparedStack());
  const TExceptionDescription& description = exception.Description();
  subject.HasExceptionObject = description.HasObject();
  subject.ExceptionClass = description.HasObject() ? description.ClassName() : "Unknown";
  subject.ExceptionMessage = description.Message();
  return subject;
}

// The last report's checksums go to the exception object before it counts as complete.
void FinishReport(TIMEException& exception, const TReportBuild& build) {
  for (int i = 0; i < 3; ++i) exception.SetCallstackChecksum(i, build.Checksum(i));
  exception.MarkReportComplete();
}

bool ConsoleSubsystem() {
  const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

}  // namespace

TWin32FlowEnvironment::TWin32FlowEnvironment(TReportServices& services, TExceptionHistory& history,
                                             TThreadInfoBuffer* threadInfo, TMainThreadWindow* mainWindow,
                                             TThreadPause* pause, TFreezeWatch* freezeWatch)
    : FServices(services),
      FHistory(history),
      FThreadInfo(threadInfo),
      FMainWindow(mainWindow),
      FPause(pause),
      FFreezeWatch(freezeWatch) {}

TWin32FlowEnvironment::~TWin32FlowEnvironment() { StopReports(); }

void TWin32FlowEnvironment::DeleteTempDirectory() {
  // The reporter writes no temporary files yet (attachments come with sending).
}

std::uintptr_t TWin32FlowEnvironment::CorrectAddress(std::uintptr_t address) {
  return FServices.Tracer().CorrectExceptAddress(false, static_cast<TStackAddress>(address));
}

std::shared_ptr<TIMESettings> TWin32FlowEnvironment::SettingsOfAddress(std::uintptr_t address) {
  std::shared_ptr<TIMESettings> settings = ::SettingsOfAddress(SystemSettingsEnvironment(), address);
  if (!settings)
    settings = SettingsOfModule(SystemSettingsEnvironment(), SystemSettingsEnvironment().ReporterModule());
  return settings;
}

ISettingsEnvironment& TWin32FlowEnvironment::Settings() { return SystemSettingsEnvironment(); }

bool TWin32FlowEnvironment::ConsoleProcess() { return ConsoleSubsystem(); }

bool TWin32FlowEnvironment::ReporterInExecutable() {
  return SystemSettingsEnvironment().ReporterModule() == SystemSettingsEnvironment().ExecutableModule() ||
         SystemSettingsEnvironment().ReporterInPackage();
}

std::uint64_t TWin32FlowEnvironment::NowSeconds() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return ((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000000u;
}

std::uint32_t TWin32FlowEnvironment::CurrentThreadId() { return GetCurrentThreadId(); }

void TWin32FlowEnvironment::PauseThreads(TIMEException& /*exception*/) {
  // The report's completion thread starts after this, so it is never among them.
  if (FPause != nullptr) FPause->Pause(0);
}

void TWin32FlowEnvironment::ResumeThreads() {
  if (FPause != nullptr) FPause->Resume();
}

void TWin32FlowEnvironment::TakeScreenshot(TIMEException& exception) {
  exception.SetScreenshot(Screenshot(exception.ScrShotAppOnly()));
}

TWin32FlowEnvironment::TReportJob& TWin32FlowEnvironment::NewJob(TIMEException& exception) {
  DropFinishedJobs();
  auto job = std::make_unique<TReportJob>();
  job->Target = &exception;
  job->Build = std::make_unique<TReportBuild>(FServices, exception, SubjectOf(exception), exception.Header(),
                                              exception.Sections());
  TReportBuild& build = *job->Build;
  job->Completion = std::make_unique<TReportCompletion>(
      build, [&exception, &build] { FinishReport(exception, build); }, FThreadInfo);
  std::lock_guard<std::mutex> guard(FJobsLock);
  FJobs.push_back(std::move(job));
  return *FJobs.back();
}

void TWin32FlowEnvironment::StartReport(TIMEException& exception) {
  TReportJob& job = NewJob(exception);
  job.Build->Start();
  TReportCompletion& completion = *job.Completion;
  exception.SetCompletionWaiter([&completion] {
    completion.RaisePriority();
    completion.Wait();
  });
  // On the handling thread the report grows while the flow goes on; when the
  // process is blocked it is completed here and now.
  completion.Start(!ProcessIsBlocked());
}

void TWin32FlowEnvironment::BuildReportNow(TIMEException& exception) {
  TReportJob& job = NewJob(exception);
  job.Build->Start();
  job.Completion->Start(false);
}

bool TWin32FlowEnvironment::Present(TIMEException& exception) { return FPresenter && FPresenter(exception); }

void TWin32FlowEnvironment::ConsoleOutput(const std::string& text) {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void TWin32FlowEnvironment::CloseProcess(TIMEException& /*exception*/) { ::CloseProcess(); }

void TWin32FlowEnvironment::RestartProcess(TIMEException& /*exception*/) { ::RestartProcess(FHistory.Values()); }

std::function<void()> TWin32FlowEnvironment::StartAutomaticSending(TIMEException& /*exception*/) {
  // No way of sending is built into this program yet: nothing was started.
  return {};
}

void TWin32FlowEnvironment::CopyToClipboard(const std::string& text) { CopyTextToClipboard(text); }

bool TWin32FlowEnvironment::SaveSilently(TIMEException& exception) {
  const bool saved = SaveReportSilently(exception, exception.ReportText(true));
  if (saved) exception.SetSaved(true);
  return saved;
}

void TWin32FlowEnvironment::ResetFreezeCounter() {
  if (FFreezeWatch != nullptr) FFreezeWatch->ResetCounter();
}

std::optional<std::intptr_t> TWin32FlowEnvironment::Probe(std::chrono::milliseconds /*timeout*/) {
  if (FMainWindow == nullptr) return std::nullopt;
  bool answered = false;
  const auto probe = [&] { answered = FMainWindow->Probe(); };
  if (FPause != nullptr)
    FPause->WithMainThreadLetGo(probe);
  else
    probe();
  if (!answered) return std::nullopt;
  return static_cast<std::intptr_t>(kMainThreadAnswer);
}

void TWin32FlowEnvironment::Call(const std::function<void()>& call) {
  if (FMainWindow == nullptr) return;
  const auto send = [&] { FMainWindow->Call(call); };
  if (FPause != nullptr)
    FPause->WithMainThreadLetGo(send);
  else
    send();
}

void TWin32FlowEnvironment::KeepUntilComplete(std::shared_ptr<TIMEException> exception) {
  if (!exception) return;
  {
    std::lock_guard<std::mutex> guard(FJobsLock);
    for (auto& job : FJobs)
      if (job->Target == exception.get()) job->Kept = exception;
  }
  DropFinishedJobs();
}

void TWin32FlowEnvironment::DropFinishedJobs() {
  std::list<std::unique_ptr<TReportJob>> finished;
  {
    std::lock_guard<std::mutex> guard(FJobsLock);
    for (auto it = FJobs.begin(); it != FJobs.end();) {
      // Only a job whose exception object is ours to drop: the flow still
      // holds the others.
      if ((*it)->Kept && !(*it)->Completion->Running()) {
        (*it)->Target->SetCompletionWaiter({});
        finished.push_back(std::move(*it));
        it = FJobs.erase(it);
      } else {
        ++it;
      }
    }
  }
}

void TWin32FlowEnvironment::StopReports() {
  std::list<std::unique_ptr<TReportJob>> jobs;
  {
    std::lock_guard<std::mutex> guard(FJobsLock);
    jobs.swap(FJobs);
  }
  for (auto& job : jobs) {
    job->Completion->Stop();
    if (job->Target != nullptr) job->Target->SetCompletionWaiter({});
  }
}
