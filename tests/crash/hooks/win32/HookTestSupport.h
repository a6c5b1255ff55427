#pragma once
// What the thread-hook tests share: a thread-information list of their own
// and the failures the hooks reported.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "crash/hooks/win32/ThreadCreationHooks.h"
#include "crash/win32/ThreadInfoBuffer.h"

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
