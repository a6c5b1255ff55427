// Threads started by this program through CreateThread, _beginthreadex, a
// framework thread object and a work item: entered in the list with their
// creator and the creating function, escaping exceptions reported with catch
// point 16, entries gone after the end, names from the naming exception.
#include <gtest/gtest.h>
#include <process.h>
#include <windows.h>

#include <stdexcept>

#include "crash/adapter/win32/FrameworkThreads.h"
#include "crash/map/MapFile.h"
#include "crash/map/win32/ModuleList.h"
#include "framework/win32/Thread.h"
#include "tests/crash/hooks/win32/HookTestSupport.h"

// Tells a probe thread when to go on and whether to throw then.
struct TProbe {
  HANDLE Go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool Throw = false;
  ~TProbe() { CloseHandle(Go); }
  DWORD Run() {
    WaitForSingleObject(Go, INFINITE);
    if (Throw) throw std::runtime_error("escaped the thread");
    return 7;
  }
};

DWORD WINAPI ProbeProc(void* probe) { return static_cast<TProbe*>(probe)->Run(); }
unsigned __stdcall ProbeProcRuntime(void* probe) { return static_cast<TProbe*>(probe)->Run(); }

class TProbeThread : public TThread {
 public:
  // Inlined, so that the thread object is created right in the starting
  // function, as when a program creates a plain thread object.
  __attribute__((always_inline)) explicit TProbeThread(TProbe& probe) : TThread(true), FProbe(probe) {}
  std::string ClassName() const override { return "TProbeThread"; }

 protected:
  void Execute() override { FProbe.Run(); }

 private:
  TProbe& FProbe;
};

// The functions the creation addresses must lie in.
__attribute__((noinline)) HANDLE StartWithCreateThread(TProbe& probe, DWORD& id) {
  return CreateThread(nullptr, 0, ProbeProc, &probe, 0, &id);
}

__attribute__((noinline)) HANDLE StartWithRuntime(TProbe& probe, DWORD& id) {
  unsigned runtimeId = 0;
  const uintptr_t handle = _beginthreadex(nullptr, 0, ProbeProcRuntime, &probe, 0, &runtimeId);
  id = runtimeId;
  return reinterpret_cast<HANDLE>(handle);
}

__attribute__((noinline)) TProbeThread* StartFrameworkThread(TProbe& probe) {
  auto* thread = new TProbeThread(probe);
  thread->Resume();
  return thread;
}

namespace {

// The start of the function the map names for an address; 0 when unknown.
TAddress FunctionHolding(std::uintptr_t address) {
  const auto map = TModuleList::Instance().MapOfAddress(static_cast<TAddress>(address));
  const TMfPublic* function = map ? map->PublicAt(static_cast<TAddress>(address)) : nullptr;
  return function != nullptr ? function->Address : 0;
}

template <typename Function>
TAddress StartOf(Function* function) {
  return static_cast<TAddress>(reinterpret_cast<std::uintptr_t>(function));
}

class ThreadCreationHooksTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gBuffer = OpenHookTestBuffer().release();
    gHooks = new TThreadCreationHooks(gBuffer, &TReportedFailures::Report, FrameworkThreadStart());
    ASSERT_TRUE(gHooks->Install());
  }
  static void TearDownTestSuite() {
    delete gHooks;
    delete gBuffer;
  }
  void SetUp() override { TReportedFailures::Instance().Take(); }

  // Checks the entry of a thread that has not ended yet.
  void ExpectRecorded(DWORD id, TAddress creatingFunction, const char* className = "") {
    TThreadInfo info;
    ASSERT_TRUE(gBuffer->Find(id, info)) << "thread " << id;
    EXPECT_EQ(info.CreatorThreadId, GetCurrentThreadId());
    EXPECT_EQ(FunctionHolding(info.CreationAddress), creatingFunction) << std::hex << info.CreationAddress;
    EXPECT_EQ(info.ClassName, className);
  }
  // Lets the thread end and checks what came of it.
  void ExpectEnd(TProbe& probe, DWORD id, HANDLE thread, bool threw) {
    SetEvent(probe.Go);
    ASSERT_EQ(WaitForSingleObject(thread, kHangLimitMs), WAIT_OBJECT_0);
    TThreadInfo info;
    EXPECT_FALSE(gBuffer->Find(id, info));
    const std::vector<TThreadFailure> failures = TReportedFailures::Instance().Take();
    if (!threw) {
      EXPECT_TRUE(failures.empty());
      return;
    }
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].ThreadId, id);
    EXPECT_EQ(failures[0].CatchPoint, cpThreadProcedure);
    EXPECT_TRUE(failures[0].CanContinue);
    EXPECT_THROW(std::rethrow_exception(failures[0].Exception), std::runtime_error);
  }

  static TThreadInfoBuffer* gBuffer;
  static TThreadCreationHooks* gHooks;
};

TThreadInfoBuffer* ThreadCreationHooksTest::gBuffer = nullptr;
TThreadCreationHooks* ThreadCreationHooksTest::gHooks = nullptr;

TEST_F(ThreadCreationHooksTest, PlainAndRuntimeThreadsAreRecordedAndReported) {
  struct TCase {
    const char* Name;
    HANDLE (*Start)(TProbe&, DWORD&);
    bool Throw;
  };
  const TCase cases[] = {
      {"CreateThread", StartWithCreateThread, false},
      {"CreateThread, throwing", StartWithCreateThread, true},
      {"_beginthreadex", StartWithRuntime, false},
      {"_beginthreadex, throwing", StartWithRuntime, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TProbe probe;
    probe.Throw = c.Throw;
    DWORD id = 0;
    const HANDLE thread = c.Start(probe, id);
    ASSERT_NE(thread, nullptr);
    ExpectRecorded(id, StartOf(c.Start));
    ExpectEnd(probe, id, thread, c.Throw);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, c.Throw ? 1u : 7u);  // the procedure's own result when it returned
    CloseHandle(thread);
  }
}

TEST_F(ThreadCreationHooksTest, FrameworkThreadsAreRecordedWithTheirClass) {
  TProbe probe;
  TProbeThread* thread = StartFrameworkThread(probe);
  // The class is entered when the thread starts running.
  TThreadInfo info;
  EXPECT_TRUE(WaitUntil([&] { return gBuffer->Find(thread->ThreadID(), info) && !info.ClassName.empty(); }));
  ExpectRecorded(thread->ThreadID(), StartOf(&StartFrameworkThread), "TProbeThread");
  const DWORD id = thread->ThreadID();
  ExpectEnd(probe, id, thread->Handle(), false);
  delete thread;
}

TEST_F(ThreadCreationHooksTest, WorkItemsGetTheSameFrame) {
  TProbe probe;
  probe.Throw = true;
  SetEvent(probe.Go);
  ASSERT_TRUE(QueueUserWorkItem(ProbeProc, &probe, WT_EXECUTEDEFAULT));
  std::vector<TThreadFailure> failures;
  EXPECT_TRUE(WaitUntil([&] {
    failures = TReportedFailures::Instance().Take();
    return !failures.empty();
  }));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].ThreadId, GetCurrentThreadId());
  EXPECT_EQ(failures[0].CatchPoint, cpThreadProcedure);
  EXPECT_THROW(std::rethrow_exception(failures[0].Exception), std::runtime_error);
}

void NameThread(DWORD threadId, const char* name) {
  const ULONG_PTR info[4] = {0x1000, reinterpret_cast<ULONG_PTR>(name), threadId, 0};
  RaiseException(kThreadNamingException, 0, 4, info);
}

DWORD WINAPI NamesItself(void* done) {
  NameThread(static_cast<DWORD>(-1), "self-named worker");
  // Execution goes on after the naming request.
  SetEvent(static_cast<HANDLE>(done));
  Sleep(INFINITE);
  return 0;
}

TEST_F(ThreadCreationHooksTest, TheNamingExceptionNamesTheThread) {
  const HANDLE named = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  const HANDLE thread = CreateThread(nullptr, 0, NamesItself, named, 0, &id);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(named, kHangLimitMs), WAIT_OBJECT_0);
  TThreadInfo info;
  ASSERT_TRUE(gBuffer->Find(id, info));
  EXPECT_EQ(info.Name, "self-named worker");
  // Another thread named by its id, from here.
  NameThread(id, "renamed from outside");
  ASSERT_TRUE(gBuffer->Find(id, info));
  EXPECT_EQ(info.Name, "renamed from outside");
  TerminateThread(thread, 0);
  CloseHandle(thread);
  CloseHandle(named);
}

DWORD WINAPI EndAtOnce(void*) { return 0; }

TEST(ThreadCreationHooksInstall, OneInstallationAtATimeAndNothingLeftAfterwards) {
  auto buffer = OpenHookTestBuffer();
  ASSERT_TRUE(buffer);
  TThreadCreationHooks hooks(buffer.get(), &TReportedFailures::Report);
  ASSERT_TRUE(hooks.Install());
  TThreadCreationHooks second(buffer.get(), &TReportedFailures::Report);
  EXPECT_FALSE(second.Install());
  hooks.Uninstall();
  EXPECT_FALSE(hooks.Installed());
  DWORD id = 0;
  const HANDLE thread = CreateThread(nullptr, 0, EndAtOnce, nullptr, CREATE_SUSPENDED, &id);
  ASSERT_NE(thread, nullptr);
  TThreadInfo info;
  EXPECT_FALSE(buffer->Find(id, info));
  ResumeThread(thread);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  // Another one may install now.
  EXPECT_TRUE(second.Install());
}

}  // namespace
