#include "crash/report/win32/ThreadCollector.h"

namespace {

void Describe(TCollectedThread& collected, TThreadInfoBuffer* info, DWORD mainThreadId, bool& listLocked) {
  TThreadSnapshot& s = collected.Snapshot;
  s.IsMain = s.Id == mainThreadId;
  if (info == nullptr || !listLocked) return;
  TThreadInfo found;
  if (!info->Find(s.Id, found)) {
    // Either no entry or a busy list; only a second look tells them apart.
    TThreadInfo probe;
    if (!info->Find(mainThreadId, probe)) listLocked = false;
    return;
  }
  s.RecordedName = found.Name;
  s.ClassName = found.ClassName;
  collected.CreationAddress = found.CreationAddress;
  if (found.CreatorThreadId == 0) return;
  TThreadInfo creator;
  TThreadSnapshot creatorSnapshot;
  creatorSnapshot.Id = found.CreatorThreadId;
  if (info->Find(found.CreatorThreadId, creator)) {
    creatorSnapshot.RecordedName = creator.Name;
    creatorSnapshot.ClassName = creator.ClassName;
  }
  collected.CreatorDisplayName = ThreadDisplayName(creatorSnapshot, true);
}

}  // namespace

TCollectedThreads CollectThreads(TThreadSampler& sampler, TThreadInfoBuffer* info, DWORD failingThreadId) {
  TCollectedThreads collected;
  const std::vector<DWORD> ids = ThreadsOfThisProcess();
  const DWORD mainThreadId = info != nullptr ? info->MainThreadId() : (ids.empty() ? 0 : ids.front());
  for (DWORD id : ids) {
    TCollectedThread thread;
    thread.Snapshot.Id = id;
    thread.Snapshot.IsFailing = id == failingThreadId;
    thread.Sample = sampler.Sample(id);
    thread.Snapshot.Priority = thread.Sample.Priority;
    thread.Snapshot.SuspendCount = thread.Sample.Suspended ? 1 : 0;
    Describe(thread, info, mainThreadId, collected.ListLocked);
    collected.Threads.push_back(std::move(thread));
  }
  return collected;
}

std::string TraceThreadSection(TStackTracer& tracer, const TCollectedThread& thread,
                               const TStackTraceOptions& options, TTraceStackResult* result) {
  if (!thread.Sample.Accessible) return StackNotAccessibleText(false, "");
  TTraceStackResult traced =
      tracer.TraceSample(thread.Sample, options, static_cast<TStackAddress>(thread.CreationAddress));
  std::string content = ThreadStackContent(traced.Text, thread.CreatorDisplayName);
  if (result != nullptr) *result = std::move(traced);
  return content;
}
