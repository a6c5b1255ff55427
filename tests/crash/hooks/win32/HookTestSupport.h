#pragma once
// What the thread-hook tests share: a thread-information list of their own,
// the failures the hooks reported, and a wait for what another thread does.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "crash/hooks/win32/ThreadCreationHooks.h"
#include "crash/win32/ThreadInfoBuffer.h"

// Only a guard against a hang: no outcome depends on it.
constexpr DWORD kHangLimitMs = 60000;

// Waits until the condition holds (false only when it never does).
template <typename Condition>
bool WaitUntil(Condition condition) {
  for (DWORD waited = 0; !condition(); waited += 10) {
    if (waited >= kHangLimitMs) return false;
    Sleep(10);
  }
  return true;
}

inline std::unique_ptr<TThreadInfoBuffer> OpenHookTestBuffer() {
  const std::string suffix = "$hooktest" + std::to_string(GetCurrentProcessId());
  return TThreadInfoBuffer::OpenNamed("RavelinHookTestBuf" + suffix, "RavelinHookTestMtx" + suffix);
}

class TReportedFailures {
 public:
  static TReportedFailures& Instance() {
    static TReportedFailures failures;
    return failures;
  }
  static void Report(const TThreadFailure& failure) { Instance().Add(failure); }

  void Add(const TThreadFailure& failure) {
    std::lock_guard<std::mutex> guard(FLock);
    FFailures.push_back(failure);
  }
  std::vector<TThreadFailure> Take() {
    std::lock_guard<std::mutex> guard(FLock);
    return std::move(FFailures);
  }

 private:
  std::mutex FLock;
  std::vector<TThreadFailure> FFailures;
};
