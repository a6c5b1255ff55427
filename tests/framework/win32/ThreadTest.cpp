#include "framework/win32/Thread.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "framework/win32/Application.h"
#include "framework/win32/Timer.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

// What a probe thread saw; outlives a thread that frees itself.
struct TProbeRecord {
  bool executed = false;
  int endCalls = 0;
  DWORD endThread = 0;
  bool endSenderWasThread = false;
  std::string fatal = "none";
  DWORD workerId = 0;
  DWORD destroyedOn = 0;
  std::string caughtInWorker;
  DWORD handOverThread = 0;
};

class TProbeThread : public TThread {
 public:
  using TBody = std::function<void(TProbeThread&)>;
  TProbeThread(TProbeRecord& record, TBody body) : TThread(true), FRecord(record), FBody(std::move(body)) {
    FRecord.workerId = ThreadID();
    OnTerminate = [this](TObject* sender) {
      ++FRecord.endCalls;
      FRecord.endThread = GetCurrentThreadId();
      FRecord.endSenderWasThread = sender == this;
      FRecord.fatal = "none";
      if (std::exception_ptr fatal = FatalException()) {
        try {
          std::rethrow_exception(fatal);
        } catch (const Exception& e) {
          FRecord.fatal = "Exception: " + e.Message();
        } catch (...) {
          FRecord.fatal = "other";
        }
      }
    };
  }
  ~TProbeThread() override { FRecord.destroyedOn = GetCurrentThreadId(); }

  // Runs action on the main thread through the hand-over.
  void HandOver(std::function<void()> action) {
    FAction = std::move(action);
    Synchronize(&TProbeThread::RunAction);
  }

 protected:
  void Execute() override {
    FRecord.executed = true;
    if (FBody) FBody(*this);
  }

 private:
  void RunAction() { FAction(); }

  TProbeRecord& FRecord;
  TBody FBody;
  std::function<void()> FAction;
};

void RunFreeing(TProbeRecord& record, TProbeThread::TBody body, bool terminateFirst = false) {
  auto* thread = new TProbeThread(record, std::move(body));
  thread->SetFreeOnTerminate(true);
  if (terminateFirst) thread->Terminate();
  thread->Resume();
  ASSERT_TRUE(PumpUntil([&] { return record.destroyedOn != 0; }));
}

struct TEndCase {
  const char* name;
  TProbeThread::TBody body;
  std::string fatal;
};

TEST(ThreadTest, EndHandlerRunsOnceOnTheMainThreadAndTheThreadFreesItselfOnItsOwn) {
  const TEndCase cases[] = {
      {"returns", [](TProbeThread&) {}, "none"},
      {"raises Exception", [](TProbeThread&) { throw Exception("walk failed"); }, "Exception: walk failed"},
      {"raises other", [](TProbeThread&) { throw 42; }, "other"},
  };
  for (const TEndCase& c : cases) {
    SCOPED_TRACE(c.name);
    TProbeRecord record;
    RunFreeing(record, c.body);
    EXPECT_TRUE(record.executed);
    EXPECT_EQ(record.endCalls, 1);
    EXPECT_EQ(record.endThread, MainThreadID);
    EXPECT_TRUE(record.endSenderWasThread);
    EXPECT_EQ(record.fatal, c.fatal);
    EXPECT_EQ(record.destroyedOn, record.workerId);
    // Nothing runs the end handler a second time later.
    PumpFor(50);
    EXPECT_EQ(record.endCalls, 1);
  }
}

TEST(ThreadTest, TerminateBeforeTheFirstRunSkipsExecuteButStillEnds) {
  TProbeRecord record;
  RunFreeing(record, [](TProbeThread&) {}, /*terminateFirst=*/true);
  EXPECT_FALSE(record.executed);
  EXPECT_EQ(record.endCalls, 1);
}

TEST(ThreadTest, HandOverRunsOnTheMainThreadAndItsExceptionIsRaisedAgainInTheWorker) {
  TProbeRecord record;
  RunFreeing(record, [&record](TProbeThread& thread) {
    thread.HandOver([&record] { record.handOverThread = GetCurrentThreadId(); });
    try {
      thread.HandOver([] { throw EStringListError("List index out of bounds (3)"); });
    } catch (const EStringListError& e) {
      record.caughtInWorker = "EStringListError: " + e.Message();
    }
  });
  EXPECT_EQ(record.handOverThread, MainThreadID);
  EXPECT_EQ(record.caughtInWorker, "EStringListError: List index out of bounds (3)");
  EXPECT_EQ(record.fatal, "none");
}

TEST(ThreadTest, HandOverExceptionThatLeavesExecuteIsKeptAndTheThreadEndsNormally) {
  TProbeRecord record;
  RunFreeing(record, [](TProbeThread& thread) { thread.HandOver([] { throw Exception("shown nowhere"); }); });
  EXPECT_EQ(record.fatal, "Exception: shown nowhere");
  EXPECT_EQ(record.endCalls, 1);
}

TEST(ThreadTest, HandOverOnTheMainThreadRunsAtOnce) {
  TProbeRecord record;
  TProbeThread thread(record, nullptr);
  bool ran = false;
  thread.HandOver([&ran] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST(ThreadTest, HandOversAreServedWhenTheLoopGoesIdleWithoutTheNullMessage) {
  // Without the wake-up only the idle path can serve the request; a timer
  // keeps the idle wait short.
  auto* savedWake = WakeMainThread;
  WakeMainThread = nullptr;
  TTimer timer(nullptr);
  timer.SetInterval(10);
  timer.SetOnTimer([](TObject*) {});
  TProbeRecord record;
  auto* thread = new TProbeThread(record, [&record](TProbeThread& self) {
    self.HandOver([&record] { record.handOverThread = GetCurrentThreadId(); });
  });
  thread->SetFreeOnTerminate(true);
  thread->Resume();
  // Each round handles one message, at the latest the timer's next tick; the
  // bound only keeps a lost hand-over from hanging the run.
  for (int round = 0; record.destroyedOn == 0 && round < 100000; ++round) Application->HandleMessage();
  WakeMainThread = savedWake;
  EXPECT_NE(record.destroyedOn, 0u);
  EXPECT_EQ(record.handOverThread, MainThreadID);
  EXPECT_EQ(record.endCalls, 1);
}

TEST(TimerTest, RaisesOnTimerWhileEnabledOnly) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(10);
  timer.SetOnTimer([&ticks](TObject*) { ++ticks; });
  EXPECT_TRUE(PumpUntil([&ticks] { return ticks >= 3; }, 5000));
  timer.SetEnabled(false);
  const int stopped = ticks;
  // A second timer of the same interval is the clock: while it ticks five
  // times the disabled one must not tick once.
  TTimer reference(nullptr);
  int referenceTicks = 0;
  reference.SetInterval(10);
  reference.SetOnTimer([&referenceTicks](TObject*) { ++referenceTicks; });
  EXPECT_TRUE(PumpUntil([&referenceTicks] { return referenceTicks >= 5; }, 5000));
  EXPECT_EQ(ticks, stopped);
}

TEST(ThreadTest, WaitForAndDestructionServeHandOversInsteadOfBlocking) {
  TProbeRecord record;
  {
    TProbeThread thread(record, [](TProbeThread& self) {
      for (int i = 0; i < 5; ++i) self.HandOver([] {});
    });
    thread.Resume();
    thread.WaitFor();
    EXPECT_TRUE(thread.Finished());
    EXPECT_EQ(record.endCalls, 1);
  }
}

TEST(ThreadTest, ManyHandOversFromTwoWorkersAreEachServedOnceInOrder) {
  // Some hand-overs take longer than the workers watch for them, so both the
  // quick path and the blocking wait are taken.
  constexpr int kPerWorker = 3000;
  TProbeRecord records[2];
  std::vector<int> seen[2];
  int offMainThread = 0;
  for (int w = 0; w < 2; ++w) {
    auto* thread = new TProbeThread(records[w], [&, w](TProbeThread& self) {
      for (int i = 0; i < kPerWorker; ++i) {
        self.HandOver([&, w, i] {
          if (GetCurrentThreadId() != MainThreadID) ++offMainThread;
          seen[w].push_back(i);
          if (i % 500 == 0) Sleep(2);
        });
      }
    });
    thread->SetFreeOnTerminate(true);
    thread->Resume();
  }
  ASSERT_TRUE(PumpUntil([&] { return records[0].destroyedOn != 0 && records[1].destroyedOn != 0; }, 60000));
  EXPECT_EQ(offMainThread, 0);
  for (int w = 0; w < 2; ++w) {
    ASSERT_EQ(seen[w].size(), static_cast<size_t>(kPerWorker));
    for (int i = 0; i < kPerWorker; ++i) ASSERT_EQ(seen[w][i], i);
    EXPECT_EQ(records[w].endCalls, 1);
  }
}

}  // namespace
