// Hidden exceptions: while a handler wants them, every caught raise (a
// rethrow too) is reported with event kind 2 and catch point 15 and may
// continue; a catch inside the report's own handling is not reported again,
// and without a handler that wants them catches report nothing.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "crash/flow/win32/HiddenExceptions.h"
#include "crash/flow/win32/RaisedException.h"
#include "crash/flow/win32/ReportException.h"
#include "crash/flow/win32/RequestRecord.h"
#include "platform/win32/HandleOwners.h"

namespace {

struct TSeenRequest {
  DWORD EventKind, CatchPoint, CanContinue;
  std::string Message;
};

std::string MessageOf(const std::exception_ptr& e) {
  try {
    std::rethrow_exception(e);
  } catch (const std::exception& x) {
    return x.what();
  }
}

// Takes each request on the reporting thread itself and lets it go at once;
// it throws and catches inside, as a handling step may.
class TRecordingSide : public IReportingSide {
 public:
  DWORD HandlerThreadId() override { return 0; }
  DWORD MainThreadId() override { return 0; }
  bool MainThreadBusyForHandlers() override { return false; }
  void ReleaseReserve() override {}
  void RestoreReserve() override {}
  void PauseFreezeWatch() override {}
  void ResumeFreezeWatch() override {}
  HANDLE AcquireEvent() override { return FEvent.Get(); }
  void ReleaseEvent(HANDLE) override {}
  bool Submit(const TExceptionRequestRecord& record) override {
    const auto& raised = *reinterpret_cast<const TRaisedException*>(record.ExceptionObject);
    Seen.push_back({record.EventKind, record.CatchPoint, record.CanContinue, MessageOf(raised.Object)});
    SetEvent(record.Event);
    return true;
  }
  void HandleHere(const TExceptionRequestRecord&) override {}
  void WaitHandled(HANDLE event) override { WaitForSingleObject(event, INFINITE); }

  std::vector<TSeenRequest> Seen;

 private:
  TKernelHandle FEvent{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

bool gWanted = false;
bool Wanted() { return gWanted; }

void ThrowAndCatch(const char* message) {
  try {
    throw std::runtime_error(message);
  } catch (const std::exception&) {
  }
}

TEST(HiddenExceptions, EveryCatchIsReportedWhileAHandlerWantsThem) {
  TRecordingSide side;
  SetReportingSide(&side);
  SetHiddenExceptionWatch(Wanted);
  gWanted = false;
  ThrowAndCatch("nobody wants it");
  gWanted = true;
  ThrowAndCatch("first");
  try {
    try {
      throw std::logic_error("raised again");
    } catch (...) {
      throw;
    }
  } catch (...) {
  }
  gWanted = false;
  ThrowAndCatch("nobody wants it either");
  SetHiddenExceptionWatch(nullptr);
  SetReportingSide(nullptr);

  ASSERT_EQ(side.Seen.size(), 3u);
  const char* messages[] = {"first", "raised again", "raised again"};
  for (std::size_t i = 0; i < side.Seen.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(side.Seen[i].EventKind, static_cast<DWORD>(ekHiddenException));
    EXPECT_EQ(side.Seen[i].CatchPoint, static_cast<DWORD>(cpHiddenException));
    EXPECT_EQ(side.Seen[i].CanContinue, 1u);
    EXPECT_EQ(side.Seen[i].Message, messages[i]);
  }
}

}  // namespace
