#pragma once
// The threads of this process for a report: each sampled at once (its
// prepared stack taken while it is paused) and described from the shared
// thread-information list, in the order the system lists them. The traces
// are made later from the samples. Any thread but the ones it samples.
#include <windows.h>

#include <vector>

#include "crash/report/ThreadSections.h"
#include "crash/stack/win32/StackTracer.h"
#include "crash/win32/ThreadInfoBuffer.h"

struct TCollectedThread {
  TThreadSnapshot Snapshot;
  TThreadSample Sample;
  // The creator's display name and the creation address, when recorded.
  std::string CreatorDisplayName;
  std::uintptr_t CreationAddress = 0;
};

struct TCollectedThreads {
  std::vector<TCollectedThread> Threads;
  // False when the thread-information list was busy: names are ids only.
  bool ListLocked = true;
};

// info may be null (no list: every thread is unnamed, the first one listed
// counts as the main thread).
TCollectedThreads CollectThreads(TThreadSampler& sampler, TThreadInfoBuffer* info, DWORD failingThreadId);

// The section content of one collected thread, traced now.
std::string TraceThreadSection(TStackTracer& tracer, const TCollectedThread& thread,
                               const TStackTraceOptions& options, TTraceStackResult* result = nullptr);
