// The reporting side's delivery against a made-up reporter: the request's
// event goes back to its pool and the freeze watch is resumed however the
// handling ends, a wait that fails does not leave while the handling thread
// still needs the request, and with no event free the request is handled
// on the reporting thread.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>

#include "crash/flow/win32/ReportException.h"
#include "crash/flow/win32/RequestRecord.h"
#include "tests/crash/flow/win32/FlowTestSupport.h"

namespace {

enum class TFailure { None, SubmitRefused, HandleHereThrows, WaitThrows, NoEventFree };

class TFakeSide : public IReportingSide {
 public:
  explicit TFakeSide(TFailure failure) : FFailure(failure) {}

  DWORD HandlerThreadId() override { return 0; }
  DWORD MainThreadId() override { return 0; }
  bool MainThreadBusyForHandlers() override { return false; }
  void ReleaseReserve() override {}
  void RestoreReserve() override {}
  void PauseFreezeWatch() override { ++Pauses; }
  void ResumeFreezeWatch() override { ++Resumes; }
  HANDLE AcquireEvent() override {
    if (FFailure == TFailure::NoEventFree) return nullptr;
    ++Acquired;
    return FEvent.Get();
  }
  void ReleaseEvent(HANDLE event) override {
    if (event == FEvent.Get()) ++Released;
  }
  bool Submit(const TExceptionRequestRecord& record) override {
    ++Delivered;
    Event = record.Event;
    if (FFailure == TFailure::SubmitRefused || FFailure == TFailure::HandleHereThrows) return false;
    // The handling thread: it ends the request when the test lets it.
    FHandler = std::make_unique<TTestThread>([this] {
      WaitForSingleObject(LetHandlerEnd.Get(), INFINITE);
      ReturnedBeforeHandled = Returned.load();
      SetEvent(Event);
    });
    return true;
  }
  void HandleHere(const TExceptionRequestRecord&) override {
    ++Delivered;
    ++HandledHere;
    if (FFailure == TFailure::HandleHereThrows) throw std::runtime_error("handling failed");
  }
  void WaitHandled(HANDLE event) override {
    if (FFailure == TFailure::WaitThrows) {
      SetEvent(LetHandlerEnd.Get());
      throw std::runtime_error("the wait failed");
    }
    SetEvent(LetHandlerEnd.Get());
    WaitForSingleObject(event, INFINITE);
  }
  void JoinHandler() { FHandler.reset(); }

  int Delivered = 0, HandledHere = 0, Pauses = 0, Resumes = 0, Acquired = 0, Released = 0;
  HANDLE Event = nullptr;
  TKernelHandle LetHandlerEnd{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<bool> Returned{false};
  std::atomic<bool> ReturnedBeforeHandled{false};

 private:
  TFailure FFailure;
  TKernelHandle FEvent{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::unique_ptr<TTestThread> FHandler;
};

void Report(TFakeSide& side) {
  SetReportingSide(&side);
  const std::exception_ptr exception = std::make_exception_ptr(std::runtime_error("reported"));
  ReportException(ekException, &exception, 0, nullptr, 0, nullptr, cpThreadProcedure, nullptr, 0, 0, true);
  side.Returned = true;
  SetReportingSide(nullptr);
}

TEST(ReportException, TheEventGoesBackAndTheWatchResumesOnEveryPath) {
  const struct {
    const char* what;
    TFailure failure;
  } cases[] = {
      {"handled", TFailure::None},
      {"refused by the handling thread, handled here", TFailure::SubmitRefused},
      {"refused, and handling here fails", TFailure::HandleHereThrows},
      {"the wait fails", TFailure::WaitThrows},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TFakeSide side(c.failure);
    Report(side);
    side.JoinHandler();
    EXPECT_GE(side.Delivered, 1);
    ASSERT_NE(side.Event, nullptr);
    EXPECT_EQ(side.Acquired, 1);
    EXPECT_EQ(side.Released, 1);
    EXPECT_EQ(side.Pauses, 1);
    EXPECT_EQ(side.Resumes, 1);
    EXPECT_FALSE(side.ReturnedBeforeHandled) << "the request left while it was still being handled";
  }
}

TEST(ReportException, WithNoEventFreeTheRequestIsHandledOnTheReportingThread) {
  TFakeSide side(TFailure::NoEventFree);
  Report(side);
  EXPECT_EQ(side.HandledHere, 1);
  EXPECT_EQ(side.Delivered, 1);
  EXPECT_EQ(side.Released, 0);
}

}  // namespace
