#include "tests/crash/crashtest/CrashScenarios.h"

#include <windows.h>

#include <exception>
#include <map>
#include <memory>

#include "app/RavelinMain.h"
#include "crash/flow/ExceptionHandlers.h"
#include "crash/flow/TIMEException.h"
#include "framework/win32/Application.h"
#include "framework/win32/Form.h"
#include "framework/win32/InterceptionPoint.h"
#include "framework/win32/StdCtrls.h"
#include "framework/win32/Thread.h"
#include "framework/win32/Timer.h"

namespace {

std::string gScenario;
std::unique_ptr<TTimer> gTimer;
int gTicks = 0;

std::string LogPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path, length);
  return text.substr(0, text.find_last_of('\\') + 1) + "crashtest.log";
}

// The raising functions: kept whole so that reports name them.
RAVELIN_INTERCEPTION_POINT void RaiseInEventHandler() { throw EConvertError("crash test: event handler"); }

RAVELIN_INTERCEPTION_POINT int ReadForbiddenMemory() {
  static volatile int* page = static_cast<volatile int*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_NOACCESS));
  return *page;
}

RAVELIN_INTERCEPTION_POINT int DivideByZero(volatile int divisor) { return 100 / divisor; }

RAVELIN_INTERCEPTION_POINT int RecurseWithoutEnd(int depth) {
  volatile char frame[512];
  frame[0] = static_cast<char>(depth);
  if (depth < 0) return 0;  // never: the stack runs out long before
  return RecurseWithoutEnd(depth + 1) + frame[0];
}

RAVELIN_INTERCEPTION_POINT void TerminateAbnormally() { std::terminate(); }

class TFailingBodyThread : public TThread {
 public:
  TFailingBodyThread() : TThread(true) {}

 protected:
  RAVELIN_INTERCEPTION_POINT void Execute() override { throw EConvertError("crash test: worker body"); }
};

class THandOverThread : public TThread {
 public:
  THandOverThread() : TThread(true) {}

 protected:
  void Execute() override {
    Synchronize(&THandOverThread::RaiseOnMainThread);
    CrashLog("hand-over returned");
  }

 private:
  RAVELIN_INTERCEPTION_POINT void RaiseOnMainThread() { throw EConvertError("crash test: hand-over"); }
};

class TLastChanceThread : public TThread {
 public:
  TLastChanceThread() : TThread(true) {}

 protected:
  void Execute() override {}
  RAVELIN_INTERCEPTION_POINT void DoTerminate() override { throw EConvertError("crash test: last chance"); }
};

// A thread that only waits, named the standard way: every report lists it.
class TIdleThread : public TThread {
 public:
  TIdleThread() : TThread(false) {}

 protected:
  void Execute() override {
    struct {
      DWORD Type, Name, ThreadId, Flags;
    } naming{0x1000, 0, static_cast<DWORD>(-1), 0};
    static const char kName[] = "crash test idle";
    naming.Name = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(kName));
    RaiseException(0x406D1388, 0, sizeof naming / sizeof(ULONG_PTR), reinterpret_cast<const ULONG_PTR*>(&naming));
    while (!Terminated()) Sleep(50);
  }
};
std::unique_ptr<TIdleThread> gIdleThread;

DWORD WINAPI RawThreadProcedure(LPVOID) { throw EConvertError("crash test: raw thread"); }

// A form whose own window procedure raises on one message.
class TRaisingForm : public TForm {
 public:
  explicit TRaisingForm(TComponent* owner) : TForm(owner) {}
  static constexpr UINT kRaise = WM_APP + 77;

 protected:
  RAVELIN_INTERCEPTION_POINT void WndProc(TMessage& message) override {
    if (message.Msg == kRaise) throw EConvertError("crash test: window procedure");
    TForm::WndProc(message);
  }
};

std::unique_ptr<TThread> gThread;
HANDLE gRawThread = nullptr;
std::unique_ptr<TRaisingForm> gForm;

void ClickRaisingButton() {
  if (!gForm) gForm = std::make_unique<TRaisingForm>(nullptr);
  auto* button = new TButton(gForm.get());
  button->SetParent(gForm.get());
  button->OnClick = [](TObject*) { RaiseInEventHandler(); };
  // The notification a click sends to the parent, as a user's click would.
  SendMessageW(gForm->Handle(), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(button->Handle()));
}

void StartThread(TThread* thread) {
  gThread.reset(thread);
  thread->Resume();
}

// One step per timer tick; true when the scenario is over.
bool RunStep(int tick) {
  // The repeated click comes from the same place at the same depth, so
  // that both reports have the same call stack.
  if (tick == 1 && (gScenario == "event-handler" || gScenario == "repeat")) {
    for (int click = gScenario == "repeat" ? 2 : 1; click > 0; --click) ClickRaisingButton();
    return false;
  }
  if (tick == 1) {
    if (gScenario == "window-procedure") {
      gForm = std::make_unique<TRaisingForm>(nullptr);
      SendMessageW(gForm->Handle(), TRaisingForm::kRaise, 0, 0);
    } else if (gScenario == "access-violation") CrashLog("read " + std::to_string(ReadForbiddenMemory()));
    else if (gScenario == "divide-by-zero") CrashLog("result " + std::to_string(DivideByZero(0)));
    else if (gScenario == "stack-overflow") CrashLog("depth " + std::to_string(RecurseWithoutEnd(0)));
    else if (gScenario == "terminate") TerminateAbnormally();
    else if (gScenario == "worker-body") StartThread(new TFailingBodyThread);
    else if (gScenario == "hand-over") StartThread(new THandOverThread);
    else if (gScenario == "last-chance") StartThread(new TLastChanceThread);
    else if (gScenario == "raw-thread") gRawThread = CreateThread(nullptr, 0, RawThreadProcedure, nullptr, 0, nullptr);
    else if (gScenario == "freeze") Sleep(8000);
    return false;
  }
  if (gThread && !gThread->Finished()) return false;
  if (gRawThread != nullptr) {
    if (WaitForSingleObject(gRawThread, 0) == WAIT_TIMEOUT) return false;
    CloseHandle(gRawThread);
    gRawThread = nullptr;
  }
  return true;
}

// Logs each handled report with its catch point, without handling it.
void LogReport(TIMEException& exception, bool& /*handled*/) {
  CrashLog("report kind=" + std::to_string(exception.EventKind()) + " catchpoint=" +
           std::to_string(exception.CatchPoint()) + " continue=" + (exception.CanContinue() ? "1" : "0") +
           " class=" + exception.ExceptionClass());
}

void Tick(TObject*) {
  gTimer->SetEnabled(false);
  ++gTicks;
  const bool over = RunStep(gTicks);
  if (over) {
    CrashLog("survived");
    gThread.reset();
    gIdleThread.reset();
    gForm.reset();
    Application->Terminate();
    return;
  }
  gTimer->SetEnabled(true);
}

}  // namespace

void CrashLog(const std::string& line) {
  HANDLE file = CreateFileA(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

bool ArmCrashScenario(const std::string& commandLine) {
  const std::string key = "/crashtest:";
  const std::size_t at = commandLine.find(key);
  if (at == std::string::npos) return false;
  const std::size_t start = at + key.size();
  gScenario = commandLine.substr(start, commandLine.find(' ', start) - start);
  if (gScenario.empty()) return false;
  TExceptionHandlers::Process().RegisterExceptionHandler(LogReport, stDontSync, epMainPhase);
  return true;
}

void StartCrashScenario() {
  if (gScenario.empty()) return;
  gIdleThread = std::make_unique<TIdleThread>();
  gTimer = std::make_unique<TTimer>(nullptr);
  gTimer->SetInterval(500);
  gTimer->SetOnTimer(Tick);
  gTimer->SetEnabled(true);
}
