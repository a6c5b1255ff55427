#include "crash/flow/win32/HandleExceptionThread.h"

THandleExceptionThread::THandleExceptionThread() { InitializeCriticalSection(&FWriteLock); }

THandleExceptionThread::~THandleExceptionThread() {
  if (Running()) Stop(false);
  DeleteCriticalSection(&FWriteLock);
}

bool THandleExceptionThread::Start(THandler handler) {
  if (Running()) return true;
  FHandler = std::move(handler);
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, nullptr, 64 * sizeof(TExceptionRequestRecord))) return false;
  FRead.Reset(read);
  FWrite.Reset(write);
  FThread.Reset(CreateThread(nullptr, 0, ThreadMain, this, CREATE_SUSPENDED, &FThreadId));
  if (!FThread) {
    FRead.Reset();
    FWrite.Reset();
    return false;
  }
  SetThreadPriority(FThread.Get(), THREAD_PRIORITY_HIGHEST);
  ResumeThread(FThread.Get());
  return true;
}

bool THandleExceptionThread::Submit(const TExceptionRequestRecord& record) {
  EnterCriticalSection(&FWriteLock);
  DWORD written = 0;
  const bool ok = FWrite && WriteFile(FWrite.Get(), &record, sizeof record, &written, nullptr) &&
                  written == sizeof record;
  LeaveCriticalSection(&FWriteLock);
  return ok;
}

void THandleExceptionThread::Stop(bool processBlocked) {
  if (!Running()) return;
  if (!processBlocked) {
    const TExceptionRequestRecord stop{};
    Submit(stop);
    if (WaitForSingleObject(FThread.Get(), 500) != WAIT_OBJECT_0) TerminateThread(FThread.Get(), 0);
  }
  EnterCriticalSection(&FWriteLock);
  FWrite.Reset();
  LeaveCriticalSection(&FWriteLock);
  // A blocked process's thread may still read: its end of the pipe stays
  // until this object goes, and the write end closed makes its read fail.
  if (!processBlocked) FRead.Reset();
  FThread.Reset();
  FThreadId = 0;
}

DWORD WINAPI THandleExceptionThread::ThreadMain(LPVOID self) {
  static_cast<THandleExceptionThread*>(self)->Run();
  return 0;
}

void THandleExceptionThread::Run() {
  for (;;) {
    TExceptionRequestRecord record;
    DWORD read = 0;
    if (!ReadFile(FRead.Get(), &record, sizeof record, &read, nullptr) || read != sizeof record) return;
    if (record.Event == nullptr) return;
    try {
      FHandler(record);
    } catch (...) {
      // A failure inside the handling ends this request only.
    }
    SetEvent(record.Event);
    // Wakes a reporting main thread that waits in its message loop.
    PostThreadMessageW(record.ThreadId, WM_NULL, 0, 0);
  }
}
