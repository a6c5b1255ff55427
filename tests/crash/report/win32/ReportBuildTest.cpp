// A bug report of this test process built in its two steps: a worker thread
// faults for real and is held inside a vectored handler while the test thread
// plays the handling thread; further threads are named through the
// thread-information list, one of them with a known creator.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "crash/TIMESettings.h"
#include "crash/report/ReportText.h"
#include "crash/report/win32/HeaderCollector.h"
#include "crash/report/win32/ReportBuild.h"
#include "crash/report/win32/ReportCompletion.h"
#include "crash/stack/win32/Win32StackEnvironment.h"
#include "tests/support/FakeSettingsEnvironment.h"
#include "tests/support/LoaderLockHolder.h"

namespace {

const char kPending[] = "calculated soon";

// The built-in settings, with some of them replaced by the test.
// The environment comes first: the settings read it while they are made.
struct TTestSettingsProcess {
  TFakeSettingsEnvironment FFakeProcess;
};
class TTestSettings : private TTestSettingsProcess, public TIMESettings {
 public:
  TTestSettings() : TIMESettings(FFakeProcess, TFakeSettingsEnvironment::kExecutable) {}
  void SetBool(const std::string& name, bool value) {
    TSettingProperty p;
    p.Name = name;
    p.Kind = ptBoolean;
    p.BoolValue = value;
    FOverrides[name] = p;
  }
  void SetText(const std::string& name, const std::string& value) {
    TSettingProperty p;
    p.Name = name;
    p.TextValue = value;
    FOverrides[name] = p;
  }

 protected:
  std::optional<TSettingProperty> Lookup(const std::string& name) override {
    const auto found = FOverrides.find(name);
    if (found != FOverrides.end()) return found->second;
    return TIMESettings::Lookup(name);
  }

 private:
  std::map<std::string, TSettingProperty> FOverrides;
};

std::string IdText(DWORD id) {
  char text[16];
  std::snprintf(text, sizeof text, "$%lx", static_cast<unsigned long>(id));
  return text;
}

std::string Hex8(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
  return text;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// ---- the process scene: a faulting thread, a named worker, an unnamed one,
// one of the reporter's own -------------------------------------------------

TKernelHandle gFaulted, gRelease, gArrived;
DWORD gFaulterId = 0;
CONTEXT gContext{};
std::uintptr_t gFaultAddress = 0;
int volatile* volatile gNowhere = nullptr;
int gFaultLine = 0;

LONG CALLBACK HoldFaultingThread(EXCEPTION_POINTERS* pointers) {
  // Whatever the emulation calls the fault, it is the one of this thread.
  if (GetCurrentThreadId() != gFaulterId) return EXCEPTION_CONTINUE_SEARCH;
  gContext = *pointers->ContextRecord;
  gFaultAddress = reinterpret_cast<std::uintptr_t>(pointers->ExceptionRecord->ExceptionAddress);
  // As a reporting thread waits for its report; the faulting frames stay in
  // place. Faulted and waiting in one step: once the test sees it, it waits.
  SignalObjectAndWait(gFaulted.Get(), gRelease.Get(), INFINITE, FALSE);
  ExitThread(0);
}

__attribute__((noinline)) void FaultingFunction() {
  gFaultLine = __LINE__ + 1;
  *gNowhere = 1;
}

DWORD WINAPI FaulterBody(void*) {
  FaultingFunction();
  return 0;
}

__attribute__((noinline)) void WaitingWorker() {
  SignalObjectAndWait(gArrived.Get(), gRelease.Get(), INFINITE, FALSE);
}

DWORD WINAPI WorkerBody(void*) {
  WaitingWorker();
  return 0;
}

__attribute__((noinline)) HANDLE StartWorker(DWORD& id, std::uintptr_t& createdAt) {
  createdAt = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
  return CreateThread(nullptr, 0, WorkerBody, nullptr, 0, &id);
}

struct TScene {
  std::unique_ptr<TThreadInfoBuffer> Info;
  TKernelHandle Faulter, Scanner, Unnamed, Reporter;
  DWORD ScannerId = 0, UnnamedId = 0, ReporterId = 0;
  void* Handler = nullptr;
};
TScene* gScene = nullptr;

class ReportBuildTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gScene = new TScene;
    const std::string suffix = "$report" + std::to_string(GetCurrentProcessId());
    gScene->Info = TThreadInfoBuffer::OpenNamed("RavelinThreadInfoBuf" + suffix, "RavelinThreadInfoMtx" + suffix);
    gFaulted.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    gRelease.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    gArrived.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    TThreadInfoBuffer& info = *gScene->Info;

    std::uintptr_t createdAt = 0;
    gScene->Scanner.Reset(StartWorker(gScene->ScannerId, createdAt));
    info.RecordThreadInfo(gScene->ScannerId, gScene->Scanner.Get(), "scanner", GetCurrentThreadId(), createdAt, "");
    WaitForSingleObject(gArrived.Get(), INFINITE);
    gScene->Unnamed.Reset(CreateThread(nullptr, 0, WorkerBody, nullptr, 0, &gScene->UnnamedId));
    WaitForSingleObject(gArrived.Get(), INFINITE);
    gScene->Reporter.Reset(CreateThread(nullptr, 0, WorkerBody, nullptr, 0, &gScene->ReporterId));
    info.RecordThreadName(gScene->ReporterId, "-");
    WaitForSingleObject(gArrived.Get(), INFINITE);

    gScene->Handler = AddVectoredExceptionHandler(1, HoldFaultingThread);
    gScene->Faulter.Reset(CreateThread(nullptr, 0, FaulterBody, nullptr, CREATE_SUSPENDED, &gFaulterId));
    info.RecordThreadName(gFaulterId, "faulter");
    ResumeThread(gScene->Faulter.Get());
    // Every thread is in its wait now: each signalled and began to wait at once.
    WaitForSingleObject(gFaulted.Get(), INFINITE);
  }

  static void TearDownTestSuite() {
    SetEvent(gRelease.Get());
    for (HANDLE h : {gScene->Faulter.Get(), gScene->Scanner.Get(), gScene->Unnamed.Get(), gScene->Reporter.Get()})
      WaitForSingleObject(h, INFINITE);
    RemoveVectoredExceptionHandler(gScene->Handler);
    delete gScene;
    gScene = nullptr;
  }

  static TReportSubject FaultSubject() {
    TReportSubject subject;
    subject.Kind = ekException;
    subject.FailingThreadId = gFaulterId;
    subject.ExceptionAddress = gFaultAddress;
    subject.HasContext = true;
    subject.Context = gContext;
    subject.HasExceptionObject = true;
    subject.ExceptionClass = "EAccessViolation";
    subject.ExceptionMessage = "Access violation at address $" + Hex8(gFaultAddress) + ". Write of address $00000000";
    return subject;
  }

  TStackTracer FTracer{SystemStackEnvironment()};
  TReportServices FServices{FTracer, gScene->Info.get(), ReporterStartCounter()};
  TTestSettings FSettings;
  TIMEFields FHeader, FSections;
};

std::vector<std::string> Names(const IMEFields& fields) {
  std::vector<std::string> names;
  for (const auto& item : fields.Items()) names.push_back(item.first);
  return names;
}

int IndexOfName(const std::vector<std::string>& names, const std::string& name) {
  const auto found = std::find(names.begin(), names.end(), name);
  return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

TEST_F(ReportBuildTest, StartsWithPlaceholdersAndCompletesEverySection) {
  TReportBuild build(FServices, FSettings, FaultSubject(), FHeader, FSections);
  build.Start();

  const std::string failingName = "faulter (" + IdText(gFaulterId) + "):";
  const std::string mainName = "main thread (" + IdText(GetCurrentThreadId()) + "):";
  const std::string scannerName = "scanner (" + IdText(gScene->ScannerId) + "):";
  const std::string unnamedName = "thread " + IdText(gScene->UnnamedId) + ":";
  std::vector<std::string> sections = Names(FSections);
  // The failing thread, the main thread, the others in the system's order,
  // then the plug-ins and the context's sections.
  ASSERT_GE(sections.size(), 10u) << AssembleReportText(FHeader, FSections);
  EXPECT_EQ(sections[0], failingName);
  EXPECT_EQ(sections[1], mainName);
  EXPECT_GT(IndexOfName(sections, scannerName), 1);
  EXPECT_GT(IndexOfName(sections, unnamedName), 1);
  EXPECT_EQ(IndexOfName(sections, "thread " + IdText(gScene->ReporterId) + ":"), -1);
  EXPECT_EQ(IndexOfName(sections, "- (" + IdText(gScene->ReporterId) + "):"), -1);
  const std::vector<std::string> later = {"modules",       "processes",  "hardware",
                                          "cpu registers", "stack dump", "disassembling"};
  EXPECT_EQ(std::vector<std::string>(sections.end() - 6, sections.end()), later);

  // Placeholders: the failing thread's says where the exception happened.
  const std::string failingPlaceholder = FSections.Get(failingName);
  EXPECT_TRUE(Contains(TextLines(failingPlaceholder).at(0), "FaultingFunction")) << failingPlaceholder;
  EXPECT_EQ(TextLines(failingPlaceholder).at(1), ">> stack will be calculated soon");
  for (const std::string& name : later) EXPECT_EQ(FSections.Get(name), ">> will be calculated soon") << name;
  EXPECT_EQ(FHeader.Get("callstack crc"), "will be calculated soon");

  // The header in its order.
  const std::vector<std::string> header = Names(FHeader);
  int previous = -1;
  for (const char* name : {"date/time", "computer name", "operating system", "program up time", "process id",
                           "executable", "compiled with", "Ostrel version", "callstack crc", "exception number",
                           "exception class", "exception message"}) {
    const int at = IndexOfName(header, name);
    EXPECT_GT(at, previous) << name;
    previous = std::max(previous, at);
  }
  EXPECT_EQ(FHeader.Get("exception class"), "EAccessViolation");

  // Progress runs over the traced threads' stack sizes and ends at the range.
  std::uint64_t lastPosition = 0, lastRange = 0;
  bool backwards = false;
  build.OnProgress = [&](std::uint64_t position, std::uint64_t range) {
    backwards = backwards || position < lastPosition;
    lastPosition = position;
    lastRange = range;
  };
  const std::atomic<bool> stop{false};
  ASSERT_TRUE(build.Complete(stop));
  EXPECT_TRUE(build.Completed());
  EXPECT_GT(build.ProgressRange(), 4096u);
  EXPECT_EQ(lastRange, build.ProgressRange());
  EXPECT_EQ(lastPosition, lastRange);
  EXPECT_FALSE(backwards);
  const std::string text = AssembleReportText(FHeader, FSections);
  EXPECT_FALSE(Contains(text, kPending)) << text;
  EXPECT_EQ(Names(FSections), sections) << "every section replaced its placeholder in place";

  // The failing thread's stack from the exception: the faulting line first.
  const std::vector<std::string> failing = TextLines(FSections.Get(failingName));
  ASSERT_GE(failing.size(), 2u);
  EXPECT_EQ(failing[0].substr(0, 8), Hex8(gFaultAddress)) << failing[0];
  EXPECT_TRUE(Contains(failing[0], "FaultingFunction")) << failing[0];
  EXPECT_TRUE(Contains(failing[0], " " + std::to_string(gFaultLine) + " ")) << failing[0];
  EXPECT_TRUE(Contains(failing[1], "FaulterBody")) << FSections.Get(failingName);

  const std::string scanner = FSections.Get(scannerName);
  EXPECT_TRUE(Contains(scanner, "WaitingWorker")) << scanner;
  EXPECT_TRUE(Contains(scanner, ">> created by main thread (" + IdText(GetCurrentThreadId()) + ") at:\r\n")) << scanner;
  EXPECT_TRUE(Contains(TextLines(scanner).back(), "SetUpTestSuite")) << scanner;
  EXPECT_TRUE(Contains(FSections.Get(unnamedName), "WaitingWorker"));
  EXPECT_TRUE(Contains(FSections.Get(mainName), "StartsWithPlaceholdersAndCompletesEverySection"));

  EXPECT_TRUE(Contains(FSections.Get("cpu registers"), "eip = " + Hex8(gContext.Eip)));
  EXPECT_EQ(FSections.Get("stack dump").substr(0, 8), Hex8(gContext.Esp));
  char exeName[MAX_PATH];
  GetModuleFileNameA(nullptr, exeName, MAX_PATH);
  std::string exe = exeName;
  exe = exe.substr(exe.find_last_of('\\') + 1);
  EXPECT_TRUE(Contains(FSections.Get("modules"), exe)) << FSections.Get("modules");
  EXPECT_TRUE(Contains(FSections.Get("processes"), exe)) << FSections.Get("processes");

  // The listing of the faulting function, its faulting instruction marked.
  const std::vector<std::string> listing = TextLines(FSections.Get("disassembling"));
  ASSERT_FALSE(listing.empty());
  EXPECT_TRUE(Contains(listing[0], "FaultingFunction")) << listing[0];
  const auto marked = std::find_if(listing.begin(), listing.end(),
                                   [](const std::string& line) { return line.size() > 9 && line[9] == '>'; });
  ASSERT_NE(marked, listing.end()) << FSections.Get("disassembling");
  EXPECT_EQ(_strnicmp(marked->c_str(), Hex8(gFaultAddress).c_str(), 8), 0) << *marked;

  // The checksums, and the fingerprint of this program's embedded map.
  const std::string crc = FHeader.Get("callstack crc");
  ASSERT_EQ(crc.size(), 31u) << crc;
  EXPECT_EQ(crc, "$" + Hex8(build.Checksum(0)) + ", $" + Hex8(build.Checksum(1)) + ", $" + Hex8(build.Checksum(2)));
  EXPECT_NE(build.Checksum(0), 0u);
  const std::vector<std::string> completedHeader = Names(FHeader);
  const int ost = IndexOfName(completedHeader, exe + ".ost");
  ASSERT_GE(ost, 0) << AssembleReportText(FHeader, FSections);
  EXPECT_EQ(FHeader.Get(exe + ".ost").size(), 31u);
  EXPECT_LT(ost, IndexOfName(completedHeader, "callstack crc"));
  EXPECT_GT(ost, IndexOfName(completedHeader, "Ostrel version"));
}

TEST_F(ReportBuildTest, SameExceptionGivesSameChecksumsAndNextNumber) {
  TReportBuild first(FServices, FSettings, FaultSubject(), FHeader, FSections);
  first.Start();
  const std::atomic<bool> stop{false};
  ASSERT_TRUE(first.Complete(stop));
  TIMEFields header2, sections2;
  TReportBuild second(FServices, FSettings, FaultSubject(), header2, sections2);
  second.Start();
  ASSERT_TRUE(second.Complete(stop));
  // The failing stack is the same; the other threads may differ only in the third.
  EXPECT_EQ(first.Checksum(0), second.Checksum(0));
  EXPECT_EQ(first.Checksum(1), second.Checksum(1));
  EXPECT_EQ(FHeader.Get("exception number"), "1");
  EXPECT_EQ(header2.Get("exception number"), "2");
}

// Marks one listed thread as one whose context could not be read.
class TUnreadableThreadBuild : public TReportBuild {
 public:
  TUnreadableThreadBuild(TReportServices& services, IMESettings& settings, const TReportSubject& subject,
                         IMEFields& header, IMEFields& sections, DWORD unreadable)
      : TReportBuild(services, settings, subject, header, sections), FServices(services), FUnreadable(unreadable) {}

 protected:
  TCollectedThreads SampleThreads() override {
    TCollectedThreads threads = FServices.CollectThreads(0);
    for (TCollectedThread& thread : threads.Threads)
      if (thread.Snapshot.Id == FUnreadable) thread.Sample = TThreadSample();
    return threads;
  }

 private:
  TReportServices& FServices;
  DWORD FUnreadable;
};

DWORD WINAPI EndAtOnce(void*) { return 0; }

TEST_F(ReportBuildTest, ThreadsWhoseStackCannotBeReadSaySo) {
  // The failing thread has ended and nothing tells where its stack was.
  DWORD ended = 0;
  TKernelHandle gone(CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, &ended));
  WaitForSingleObject(gone.Get(), INFINITE);
  TReportSubject subject;
  subject.FailingThreadId = ended;
  subject.ExceptionAddress = reinterpret_cast<std::uintptr_t>(&FaultingFunction);
  subject.HasExceptionObject = true;
  subject.ExceptionClass = "EExternal";
  FSettings.SetText("Plugins", "modules");
  TUnreadableThreadBuild build(FServices, FSettings, subject, FHeader, FSections, gScene->ScannerId);
  build.Start();

  const std::string failingName = "thread " + IdText(ended) + ":";
  const std::string scannerName = "scanner (" + IdText(gScene->ScannerId) + "):";
  ASSERT_EQ(Names(FSections).at(0), failingName);
  const std::string failing = FSections.Get(failingName);
  EXPECT_TRUE(failing.rfind(">> stack not accessible, exception location: \r\n", 0) == 0) << failing;
  EXPECT_TRUE(Contains(failing, "FaultingFunction")) << failing;
  EXPECT_EQ(FSections.Get(scannerName), ">> stack not accessible");
  // Without a context there are no registers and no dump.
  EXPECT_EQ(FSections.IndexOf("cpu registers"), -1);
  EXPECT_EQ(FSections.IndexOf("stack dump"), -1);
  EXPECT_EQ(FSections.IndexOf("hardware"), -1);

  const std::atomic<bool> stop{false};
  ASSERT_TRUE(build.Complete(stop));
  EXPECT_EQ(FSections.Get(failingName), failing);
  EXPECT_EQ(FSections.Get(scannerName), ">> stack not accessible");
  EXPECT_TRUE(Contains(FSections.Get("thread " + IdText(gScene->UnnamedId) + ":"), "WaitingWorker"));
  EXPECT_EQ(FHeader.Get("callstack crc").size(), 31u);
}

TEST_F(ReportBuildTest, SettingsChooseTheSections) {
  FSettings.SetBool("ListThreads", false);
  FSettings.SetBool("CpuRegs", false);
  FSettings.SetBool("ShowDisAsm", false);
  FSettings.SetText("Plugins", "processes|unknown|Modules");
  TReportBuild build(FServices, FSettings, FaultSubject(), FHeader, FSections);
  build.Start();
  const std::vector<std::string> expected = {
      "faulter (" + IdText(gFaulterId) + "):", "main thread (" + IdText(GetCurrentThreadId()) + "):", "processes",
      "Modules", "stack dump"};
  EXPECT_EQ(Names(FSections), expected);
  const std::atomic<bool> stop{false};
  ASSERT_TRUE(build.Complete(stop));
  EXPECT_EQ(Names(FSections), expected);
  EXPECT_FALSE(Contains(AssembleReportText(FHeader, FSections), kPending));
}

TEST_F(ReportBuildTest, StopFlagEndsTheCompletionBetweenSteps) {
  TReportBuild build(FServices, FSettings, FaultSubject(), FHeader, FSections);
  build.Start();
  const std::string failingName = "faulter (" + IdText(gFaulterId) + "):";
  std::atomic<bool> stop{false};
  // The first finished section raises the flag, as a dying exception object would.
  FSections.OnChange = [&] { stop = true; };
  EXPECT_FALSE(build.Complete(stop));
  EXPECT_FALSE(build.Completed());
  EXPECT_FALSE(Contains(FSections.Get(failingName), kPending));
  EXPECT_EQ(FSections.Get("cpu registers"), ">> will be calculated soon");
  EXPECT_TRUE(Contains(FSections.Get("main thread (" + IdText(GetCurrentThreadId()) + "):"), kPending));
  EXPECT_EQ(FHeader.Get("callstack crc"), "will be calculated soon");
}

TEST_F(ReportBuildTest, CompletionRunsOnItsOwnThreadAboveNormalPriority) {
  TReportBuild build(FServices, FSettings, FaultSubject(), FHeader, FSections);
  build.Start();
  DWORD completedOn = 0;
  int priority = 0;
  std::string recordedName;
  TReportCompletion completion(
      build,
      [&] {
        completedOn = GetCurrentThreadId();
        priority = GetThreadPriority(GetCurrentThread());
        TThreadInfo info;
        if (gScene->Info->Find(completedOn, info)) recordedName = info.Name;
      },
      gScene->Info.get());
  completion.Start(true);
  const DWORD thread = completion.ThreadId();
  ASSERT_TRUE(completion.Wait(60000));
  EXPECT_FALSE(completion.Running());
  EXPECT_TRUE(build.Completed());
  EXPECT_NE(thread, 0u);
  EXPECT_EQ(completedOn, thread);
  EXPECT_EQ(priority, THREAD_PRIORITY_ABOVE_NORMAL);
  EXPECT_EQ(recordedName, "-");
}

TEST_F(ReportBuildTest, CompletionWithoutOwnThreadFinishesBeforeStartReturns) {
  TReportBuild build(FServices, FSettings, FaultSubject(), FHeader, FSections);
  build.Start();
  DWORD completedOn = 0;
  TReportCompletion completion(build, [&] { completedOn = GetCurrentThreadId(); });
  completion.Start(false);
  EXPECT_TRUE(build.Completed());
  EXPECT_EQ(completedOn, GetCurrentThreadId());
  EXPECT_EQ(completion.ThreadId(), 0u);
  EXPECT_TRUE(completion.Wait(0));
}

TEST_F(ReportBuildTest, StoppedCompletionSkipsTheRestAndTheCallback) {
  TReportBuild build(FServices, FSettings, FaultSubject(), FHeader, FSections);
  build.Start();
  TKernelHandle reached(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  TKernelHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  FSections.OnChange = [&] {
    SetEvent(reached.Get());
    WaitForSingleObject(go.Get(), INFINITE);
  };
  bool called = false;
  TReportCompletion completion(build, [&] { called = true; });
  completion.Start(true);
  ASSERT_EQ(WaitForSingleObject(reached.Get(), 60000), WAIT_OBJECT_0);
  completion.RequestStop();
  SetEvent(go.Get());
  completion.Stop();
  EXPECT_FALSE(completion.Running());
  EXPECT_FALSE(called);
  EXPECT_FALSE(build.Completed());
  EXPECT_EQ(FSections.Get("cpu registers"), ">> will be calculated soon");
}

TEST_F(ReportBuildTest, StopInABlockedProcessEndsAStuckCompletionAfterAQuarterSecond) {
  TReportBuild build(FServices, FSettings, FaultSubject(), FHeader, FSections);
  build.Start();
  TKernelHandle reached(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  TKernelHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  // The completion waits for something that a blocked process never gives.
  FSections.OnChange = [&] {
    SetEvent(reached.Get());
    WaitForSingleObject(never.Get(), INFINITE);
  };
  // The quarter second, on the test's clock: it passes at once, and the stuck
  // thread has not ended by then.
  std::vector<DWORD> waits;
  TReportCompletion completion(build, nullptr, nullptr, [&](HANDLE thread, DWORD timeoutMs) {
    waits.push_back(timeoutMs);
    return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
  });
  completion.Start(true);
  ASSERT_EQ(WaitForSingleObject(reached.Get(), 60000), WAIT_OBJECT_0);
  TKernelHandle thread(OpenThread(SYNCHRONIZE, FALSE, completion.ThreadId()));
  ASSERT_TRUE(thread);

  TLoaderLockHolder holder;
  ASSERT_TRUE(holder.Hold());
  completion.Stop();
  holder.Release();
  EXPECT_EQ(waits, std::vector<DWORD>{250});
  EXPECT_EQ(WaitForSingleObject(thread.Get(), 0), WAIT_OBJECT_0) << "the stuck thread was ended";
  EXPECT_FALSE(completion.Running());
  EXPECT_FALSE(build.Completed());
}

}  // namespace
