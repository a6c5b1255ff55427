#pragma once
// Builds one bug report of this process in two steps. Start writes the header
// and every section with its placeholder; everything that the failing thread
// or the other threads may change once they run again (their stacks, the
// stack dump) is taken now. Complete then replaces each placeholder with its
// real content in the report's order of completion and finally writes the
// call-stack checksums and the map fingerprints into the header.
// Start runs on the thread that handles the exception, while the failing
// thread is stopped; Complete on one thread at a time (normally the report's
// completion thread, see TReportCompletion). Neither lets an exception escape.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "crash/IMESettings.h"
#include "crash/common/ExceptionKinds.h"
#include "crash/report/HeaderBuilder.h"
#include "crash/report/SectionPlan.h"
#include "crash/report/win32/ProcessStackMemory.h"
#include "crash/report/win32/ThreadCollector.h"
#include "crash/stack/win32/StackTracer.h"

// What one report is about.
struct TReportSubject {
  TEventKind Kind = ekException;
  DWORD FailingThreadId = 0;
  std::uintptr_t ExceptionAddress = 0;
  bool HasContext = false;
  CONTEXT Context{};
  // The failing thread's stack and frame pointers at the report; they describe
  // its stack when there is neither a context nor a stack taken at the throw.
  std::uintptr_t StackPointer = 0;
  std::uintptr_t FramePointer = 0;
  // The stack prepared when the exception was thrown, empty when none.
  TPreparedStack ThrownStack;
  bool HasExceptionObject = false;
  std::string ExceptionClass;
  std::string ExceptionMessage;
  // While an external trace request is served the reporter's threads are listed.
  bool IncludeReporterThreads = false;
};

// What every report of the process shares, made once at start-up: the
// tracer with its caches, the thread sampler, the thread-information list,
// the exception counter and the reporter's start. Any thread.
class TReportServices {
 public:
  // threadInfo may be null: threads are then unnamed.
  TReportServices(TStackTracer& tracer, TThreadInfoBuffer* threadInfo, LONGLONG startCounter);

  TStackTracer& Tracer() { return FTracer; }
  TThreadInfoBuffer* ThreadInfo() { return FThreadInfo; }
  TExceptionCounter& ExceptionCounter() { return FExceptionCounter; }
  LONGLONG StartCounter() const { return FStartCounter; }
  IStackMemory& Memory() { return FMemory; }

  // Every thread of the process, sampled now; one sampling at a time.
  TCollectedThreads CollectThreads(DWORD failingThreadId);

 private:
  TStackTracer& FTracer;
  TThreadInfoBuffer* FThreadInfo;
  LONGLONG FStartCounter;
  TExceptionCounter FExceptionCounter;
  TProcessStackMemory FMemory;
  std::mutex FSamplerLock;
  TThreadSampler FSampler;
};

// The settings a report reads, taken once when it starts.
struct TReportOptions {
  bool ListThreads = true;
  bool CpuRegs = true;
  bool StackDump = true;
  bool ShowDisAsm = true;
  bool FormatDisAsm = false;
  int LimitDisAsm = 5;
  bool HideUglyItems = false;
  bool ShowRelAddrs = true;
  bool ShowRelLines = true;
  std::vector<std::string> Plugins;
  std::string FrozenMsg;
  std::string VersionText;
};
TReportOptions ReadReportOptions(IMESettings& settings);

class TReportBuild {
 public:
  TReportBuild(TReportServices& services, IMESettings& settings, const TReportSubject& subject, IMEFields& header,
               IMEFields& sections);
  virtual ~TReportBuild() = default;
  TReportBuild(const TReportBuild&) = delete;
  TReportBuild& operator=(const TReportBuild&) = delete;

  // The header now, every section with its placeholder; threads sampled now.
  void Start();
  // Each section replacing its placeholder, then the checksums and the
  // fingerprints. Looks at stop between steps (and inside traces); true when
  // the report is complete, false when it was stopped first.
  bool Complete(const std::atomic<bool>& stop);
  bool Completed() const { return FCompleted; }

  // The three call-stack checksums (index 0 to 2; 0 outside and until known).
  std::uint32_t Checksum(int index) const;
  // The sum of the traced threads' stack sizes, known after Start: the range
  // of the progress that Complete reports through OnProgress.
  std::uint64_t ProgressRange() const { return FProgressRange; }
  // Called on the completing thread as the traces advance (position, range).
  // Set it before Complete.
  std::function<void(std::uint64_t, std::uint64_t)> OnProgress;

 protected:
  // The threads the report describes, in the system's order.
  virtual TCollectedThreads SampleThreads();

 private:
  struct TThreadPlan {
    std::size_t Index = 0;  // into FThreads.Threads
    std::string SectionName;
    bool Final = false;  // its section already holds its final text
  };
  void StartHeader();
  void StartThreads();
  void PlanFailingThread();
  void StartSections();
  std::string AddressLine(std::uintptr_t address);
  bool TraceThread(const TThreadPlan& plan, const std::atomic<bool>& stop, TTraceStackResult& result);
  void WriteSection(const std::string& name, const std::string& content);
  template <typename Producer>
  void RunStep(TReportStep step, const std::string& name, Producer produce);
  bool Planned(const std::string& name) const;
  void CompletePlugin(const std::string& name);
  TStackTraceOptions TraceOptions(const std::atomic<bool>& stop, std::uint64_t weight);

  TReportServices& FServices;
  IMESettings& FSettings;
  TReportSubject FSubject;
  IMEFields& FHeader;
  IMEFields& FSections;
  TReportOptions FOptions;
  TCollectedThreads FThreads;
  std::vector<TThreadPlan> FThreadPlans;  // in section order
  std::vector<std::string> FLaterSections;
  std::string FStackDump;  // the dump's final text, taken at the start
  std::uint32_t FChecksums[3] = {0, 0, 0};
  std::uint64_t FProgressRange = 0;
  std::uint64_t FProgressDone = 0;
  std::atomic<bool> FCompleted{false};
};
