#include "crash/report/win32/ReportBuild.h"

#include <algorithm>

#include "crash/TextItems.h"
#include "crash/report/SectionPlan.h"
#include "crash/report/win32/ContextCapture.h"
#include "crash/report/win32/HeaderCollector.h"
#include "crash/report/win32/SystemSnapshots.h"
#include "crash/stack/PrepareStack.h"

namespace {

TStackAddress ToStackAddress(std::uintptr_t address) { return static_cast<TStackAddress>(address); }

const char kModulesPlugin[] = "modules";
const char kProcessesPlugin[] = "processes";
const char kHardwarePlugin[] = "hardware";
const char kCpuRegistersSection[] = "cpu registers";
const char kStackDumpSection[] = "stack dump";
const char kDisassemblingSection[] = "disassembling";

// Brackets a list's changes so that its change callbacks run once; a callback
// that fails does not undo what was written.
class TUpdateBracket {
 public:
  explicit TUpdateBracket(IMEFields& fields) : FFields(fields) { FFields.BeginUpdate(); }
  ~TUpdateBracket() {
    try {
      FFields.EndUpdate();
    } catch (...) {
    }
  }
  TUpdateBracket(const TUpdateBracket&) = delete;
  TUpdateBracket& operator=(const TUpdateBracket&) = delete;

 private:
  IMEFields& FFields;
};

}  // namespace

TReportServices::TReportServices(TStackTracer& tracer, TThreadInfoBuffer* threadInfo, LONGLONG startCounter)
    : FTracer(tracer), FThreadInfo(threadInfo), FStartCounter(startCounter), FSampler(FMemory) {}

TCollectedThreads TReportServices::CollectThreads(DWORD failingThreadId) {
  const std::lock_guard<std::mutex> hold(FSamplerLock);
  return ::CollectThreads(FSampler, FThreadInfo, failingThreadId);
}

TReportOptions ReadReportOptions(IMESettings& settings) {
  TReportOptions o;
  o.ListThreads = settings.ListThreads();
  o.CpuRegs = settings.CpuRegs();
  o.StackDump = settings.StackDump();
  o.ShowDisAsm = settings.ShowDisAsm();
  o.FormatDisAsm = settings.FormatDisAsm();
  o.LimitDisAsm = settings.LimitDisAsm();
  o.HideUglyItems = settings.HideUglyItems();
  o.ShowRelAddrs = settings.ShowRelAddrs();
  o.ShowRelLines = settings.ShowRelLines();
  for (const std::string& plugin : SplitText(settings.Plugins(), '|'))
    if (!plugin.empty()) o.Plugins.push_back(plugin);
  o.FrozenMsg = settings.FrozenMsg();
  o.VersionText = settings.VersionText();
  return o;
}

TReportBuild::TReportBuild(TReportServices& services, IMESettings& settings, const TReportSubject& subject,
                           IMEFields& header, IMEFields& sections)
    : FServices(services), FSettings(settings), FSubject(subject), FHeader(header), FSections(sections) {}

std::uint32_t TReportBuild::Checksum(int index) const { return index >= 0 && index < 3 ? FChecksums[index] : 0; }

TCollectedThreads TReportBuild::SampleThreads() { return FServices.CollectThreads(FSubject.FailingThreadId); }

std::string TReportBuild::AddressLine(std::uintptr_t address) {
  TAddressTextOptions options;
  options.ShowRelAddrs = FOptions.ShowRelAddrs;
  options.ShowRelLines = FOptions.ShowRelLines;
  return FServices.Tracer().AddressText(ToStackAddress(address), options);
}

void TReportBuild::Start() {
  // Each part stands on its own: a part that fails leaves the others whole.
  try {
    FOptions = ReadReportOptions(FSettings);
  } catch (...) {
    FOptions = TReportOptions();
  }
  try {
    StartHeader();
  } catch (...) {
  }
  try {
    StartThreads();
  } catch (...) {
  }
  try {
    StartSections();
  } catch (...) {
  }
}

void TReportBuild::StartHeader() {
  THeaderCollectorInput input;
  input.StartCounter = FServices.StartCounter();
  input.IsFreeze = FSubject.Kind == ekFrozenMainThread;
  input.HasExceptionObject = FSubject.HasExceptionObject;
  input.ExceptionClass = FSubject.ExceptionClass;
  input.ExceptionMessage = FSubject.ExceptionMessage;
  input.FrozenMsg = FOptions.FrozenMsg;
  input.VersionVarText = FOptions.VersionText;
  BuildHeader(FHeader, CollectHeaderSnapshot(input), FServices.ExceptionCounter());
}

// The failing thread's stack as it was when the exception happened: the
// thread may run again before the report is complete.
void TReportBuild::PlanFailingThread() {
  const DWORD failing = FSubject.FailingThreadId;
  if (failing == 0 || FSubject.Kind == ekFrozenMainThread) return;
  auto& threads = FThreads.Threads;
  auto found = std::find_if(threads.begin(), threads.end(),
                            [failing](const TCollectedThread& t) { return t.Snapshot.Id == failing; });
  if (found == threads.end()) {
    // It ended, or it belongs to no list the system gave: it still comes first.
    TCollectedThread missing;
    missing.Snapshot.Id = failing;
    missing.Snapshot.IsFailing = true;
    threads.insert(threads.begin(), std::move(missing));
    found = threads.begin();
  }
  TThreadSample& sample = found->Sample;
  const TStackAddress address = ToStackAddress(FSubject.ExceptionAddress);
  TStackAddress stackPointer = ToStackAddress(FSubject.StackPointer);
  TStackAddress framePointer = ToStackAddress(FSubject.FramePointer);
  if (FSubject.HasContext) {
    stackPointer = FSubject.Context.Esp;
    framePointer = FSubject.Context.Ebp;
  }
  if (!FSubject.ThrownStack.empty()) {
    sample.Prepared = FSubject.ThrownStack;
  } else if (stackPointer != 0) {
    IStackMemory& memory = FServices.Memory();
    const TMemoryRegion region = memory.RegionAt(stackPointer);
    if (!region.Committed) {
      sample.Accessible = false;
      return;
    }
    sample.StackTop = region.End;
    sample.StackBottom = sample.StackPointer = stackPointer;
    sample.FramePointer = framePointer;
    sample.Prepared = PrepareStack(memory, framePointer, region.End, stackPointer, true, address);
  } else if (!sample.Accessible) {
    return;
  }
  sample.Accessible = true;
  sample.InstructionPointer = address;
}

void TReportBuild::StartThreads() {
  FThreads = SampleThreads();
  PlanFailingThread();
  std::vector<TThreadSnapshot> snapshots;
  for (const TCollectedThread& thread : FThreads.Threads) snapshots.push_back(thread.Snapshot);
  TThreadOrderInput order;
  order.IsFreeze = FSubject.Kind == ekFrozenMainThread;
  order.ListThreads = FOptions.ListThreads;
  order.IncludeReporterThreads = FSubject.IncludeReporterThreads;
  for (std::size_t index : ThreadSectionOrder(snapshots, order)) {
    TThreadPlan plan;
    plan.Index = index;
    plan.SectionName = ThreadSectionName(snapshots[index], FThreads.ListLocked);
    const TThreadSample& sample = FThreads.Threads[index].Sample;
    plan.Final = !sample.Accessible;
    if (sample.Accessible) FProgressRange += std::max<TStackAddress>(sample.StackTop - sample.StackBottom, 1);
    FThreadPlans.push_back(std::move(plan));
  }
}

void TReportBuild::StartSections() {
  if (FSubject.HasContext && FOptions.StackDump) {
    // The dump shows the stack as the failing thread left it.
    try {
      FStackDump = StackDumpSectionOf(FSubject.Context);
    } catch (...) {
      FStackDump = InternalErrorText(TReportStep::StackDump);
    }
  }
  const TUpdateBracket bracket(FSections);
  for (const TThreadPlan& plan : FThreadPlans) {
    const TCollectedThread& thread = FThreads.Threads[plan.Index];
    const bool failing = thread.Snapshot.IsFailing && FSubject.Kind != ekFrozenMainThread;
    const std::uintptr_t current = failing ? FSubject.ExceptionAddress : thread.Sample.InstructionPointer;
    std::string text;
    if (plan.Final)
      text = StackNotAccessibleText(failing, failing ? AddressLine(current) : std::string());
    else
      text = ThreadPlaceholder(AddressLine(current));
    FSections.Add(plan.SectionName, text);
  }
  TSectionPlanInput input;
  input.Plugins = FOptions.Plugins;
  input.CpuRegs = FOptions.CpuRegs;
  input.StackDump = FOptions.StackDump;
  input.ShowDisAsm = FOptions.ShowDisAsm;
  input.HasContext = FSubject.HasContext;
  input.HasDisassembler = true;
  FLaterSections = SectionsAfterThreads(input);
  for (const std::string& name : FLaterSections) FSections.Add(name, kSectionPlaceholder);
}

TStackTraceOptions TReportBuild::TraceOptions(const std::atomic<bool>& stop, std::uint64_t weight) {
  TStackTraceOptions options;
  options.HideUglyItems = FOptions.HideUglyItems;
  options.ShowRelAddrs = FOptions.ShowRelAddrs;
  options.ShowRelLines = FOptions.ShowRelLines;
  options.Abort = &stop;
  if (OnProgress) {
    const std::uint64_t base = FProgressDone;
    options.Progress = [this, base, weight](int position) {
      OnProgress(base + weight * static_cast<std::uint64_t>(std::clamp(position, 0, 1000)) / 1000, FProgressRange);
    };
  }
  return options;
}

// False when the trace was stopped; its section then keeps its placeholder.
bool TReportBuild::TraceThread(const TThreadPlan& plan, const std::atomic<bool>& stop, TTraceStackResult& result) {
  const TCollectedThread& thread = FThreads.Threads[plan.Index];
  const TThreadSample& sample = thread.Sample;
  const std::uint64_t weight = std::max<TStackAddress>(sample.StackTop - sample.StackBottom, 1);
  std::string content;
  try {
    content = TraceThreadSection(FServices.Tracer(), thread, TraceOptions(stop, weight), &result);
  } catch (...) {
    content = InternalErrorText(TReportStep::ThreadReport);
  }
  if (stop) return false;
  FProgressDone += weight;
  if (OnProgress) OnProgress(FProgressDone, FProgressRange);
  // A stack that yields no line at all could not be read.
  if (content.empty()) {
    const bool failing = thread.Snapshot.IsFailing && FSubject.Kind != ekFrozenMainThread;
    content = StackNotAccessibleText(failing, failing ? AddressLine(FSubject.ExceptionAddress) : std::string());
  }
  WriteSection(plan.SectionName, content);
  return true;
}

void TReportBuild::WriteSection(const std::string& name, const std::string& content) {
  try {
    FSections.Add(name, content);
  } catch (...) {
    // A list that cannot take the text keeps its placeholder.
  }
}

template <typename Producer>
void TReportBuild::RunStep(TReportStep step, const std::string& name, Producer produce) {
  std::string content;
  try {
    content = produce();
  } catch (...) {
    content = InternalErrorText(step);
  }
  WriteSection(name, content);
}

bool TReportBuild::Planned(const std::string& name) const {
  return std::any_of(FLaterSections.begin(), FLaterSections.end(),
                     [&name](const std::string& planned) { return planned == name; });
}

void TReportBuild::CompletePlugin(const std::string& name) {
  RunStep(TReportStep::Plugin, name, [&name]() -> std::string {
    if (SameNameNoCase(name, kModulesPlugin)) return ModulesSection(ProcessModules());
    if (SameNameNoCase(name, kProcessesPlugin)) return ProcessesSection(SystemProcesses(), SystemDirectory());
    if (SameNameNoCase(name, kHardwarePlugin)) return HardwareSection(HardwareDevices());
    return std::string();
  });
}

bool TReportBuild::Complete(const std::atomic<bool>& stop) {
  try {
    std::vector<std::string> fingerprints;
    TTraceStackResult primary;
    if (stop) return false;
    if (!FThreadPlans.empty() && !FThreadPlans.front().Final) {
      if (!TraceThread(FThreadPlans.front(), stop, primary)) return false;
      fingerprints = primary.Fingerprints;
    }
    FChecksums[0] = primary.Checksum1;
    FChecksums[1] = FChecksums[2] = primary.Checksum2;

    if (stop) return false;
    if (Planned(kCpuRegistersSection))
      RunStep(TReportStep::CpuRegisters, kCpuRegistersSection,
              [this] { return CpuRegistersSectionOf(FSubject.Context); });
    if (stop) return false;
    if (Planned(kStackDumpSection)) WriteSection(kStackDumpSection, FStackDump);
    if (stop) return false;
    if (Planned(kDisassemblingSection))
      RunStep(TReportStep::CleartextDisAsm, kDisassemblingSection, [&] {
        return FServices.Tracer().Disassemble(primary.DisasmFunctionStart, primary.DisasmAddress, FOptions.FormatDisAsm,
                                              FOptions.LimitDisAsm);
      });
    for (const std::string& name : FLaterSections) {
      if (name == kCpuRegistersSection || name == kStackDumpSection || name == kDisassemblingSection) continue;
      if (stop) return false;
      CompletePlugin(name);
    }

    std::vector<TThreadChecksum> remaining;
    for (std::size_t i = 1; i < FThreadPlans.size(); ++i) {
      if (FThreadPlans[i].Final) continue;
      if (stop) return false;
      TTraceStackResult traced;
      if (!TraceThread(FThreadPlans[i], stop, traced)) return false;
      remaining.push_back({traced.HasLineInformation, traced.Checksum2});
      fingerprints.insert(fingerprints.end(), traced.Fingerprints.begin(), traced.Fingerprints.end());
    }
    FChecksums[2] = FoldThirdChecksum(FChecksums[1], remaining);

    if (stop) return false;
    {
      const TUpdateBracket bracket(FHeader);
      SetCallstackChecksums(FHeader, FChecksums[0], FChecksums[1], FChecksums[2]);
      AddFingerprintFields(FHeader, fingerprints);
    }
    FCompleted = true;
    return true;
  } catch (...) {
    // Out of memory or the like: what was written stands.
    return false;
  }
}
