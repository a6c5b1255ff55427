// This process's threads collected for a report: sampled, named from the
// shared thread-information list, and traced into their sections.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "crash/report/win32/ThreadCollector.h"
#include "crash/stack/win32/Win32StackEnvironment.h"

namespace {

TKernelHandle gArrived, gRelease;

__attribute__((noinline)) void WaitingWorker() {
  // Arrived and waiting in one step: once the test sees it arrive, it waits.
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

TEST(ThreadCollector, NamesSamplesAndTracesEveryThread) {
  const std::string suffix = "$collect" + std::to_string(GetCurrentProcessId());
  auto info = TThreadInfoBuffer::OpenNamed("RavelinThreadInfoBuf" + suffix, "RavelinThreadInfoMtx" + suffix);
  ASSERT_TRUE(info);
  gArrived.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  gRelease.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  DWORD workerId = 0;
  std::uintptr_t createdAt = 0;
  TKernelHandle worker(StartWorker(workerId, createdAt));
  info->RecordThreadInfo(workerId, worker.Get(), "scanner", GetCurrentThreadId(), createdAt, "");
  WaitForSingleObject(gArrived.Get(), INFINITE);

  TThreadSampler sampler(SystemStackEnvironment());
  const TCollectedThreads collected = CollectThreads(sampler, info.get(), GetCurrentThreadId());
  EXPECT_TRUE(collected.ListLocked);
  const auto find = [&](DWORD id) {
    return std::find_if(collected.Threads.begin(), collected.Threads.end(),
                        [id](const TCollectedThread& t) { return t.Snapshot.Id == id; });
  };
  const auto self = find(GetCurrentThreadId());
  ASSERT_NE(self, collected.Threads.end());
  EXPECT_TRUE(self->Snapshot.IsMain);
  EXPECT_TRUE(self->Snapshot.IsFailing);
  const auto scanner = find(workerId);
  ASSERT_NE(scanner, collected.Threads.end());
  char id[16];
  std::snprintf(id, sizeof id, "$%lx", static_cast<unsigned long>(workerId));
  EXPECT_EQ(ThreadSectionName(scanner->Snapshot, collected.ListLocked), "scanner (" + std::string(id) + "):");
  char mainId[16];
  std::snprintf(mainId, sizeof mainId, "$%lx", static_cast<unsigned long>(GetCurrentThreadId()));
  EXPECT_EQ(scanner->CreatorDisplayName, "main thread (" + std::string(mainId) + ")");

  TStackTracer tracer(SystemStackEnvironment());
  const std::string section = TraceThreadSection(tracer, *scanner, {});
  EXPECT_NE(section.find("WaitingWorker"), std::string::npos) << section;
  // The creator's line stands just before the last line, the creation address.
  const std::size_t created = section.find(">> created by main thread (" + std::string(mainId) + ") at:\r\n");
  ASSERT_NE(created, std::string::npos) << section;
  EXPECT_EQ(section.find("\r\n", section.find("\r\n", created) + 2), std::string::npos) << section;
  EXPECT_NE(section.find("NamesSamplesAndTracesEveryThread", created), std::string::npos) << section;

  SetEvent(gRelease.Get());
  WaitForSingleObject(worker.Get(), INFINITE);
}

}  // namespace
