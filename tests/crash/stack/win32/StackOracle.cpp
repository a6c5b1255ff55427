// Runs the known call chains of the chain library and writes what the tracer
// makes of each: once traced in the chain's own thread, once from another
// thread while the chain's thread waits; the faulting chain is traced from
// its exception's context. With --relocate the library is
// forced to load away from its preferred base. The host-side check compares
// the output with addr2line and across the two runs.
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

#include "crash/stack/win32/StackTracer.h"
#include "crash/stack/win32/Win32StackEnvironment.h"
#include "platform/win32/HandleOwners.h"
#include "tests/crash/stack/win32/StackChains.h"

namespace {

TStackTracer* gTracer = nullptr;
TTraceStackResult gOwnResult;
TKernelHandle gArrived;
TKernelHandle gRelease;

TStackTraceOptions Options() {
  TStackTraceOptions options;
  options.ShowRelAddrs = true;
  options.ShowRelLines = true;
  options.WantStackTrace = true;
  return options;
}

__attribute__((noinline)) void CaptureHere(int) { gOwnResult = gTracer->TraceCurrentThread(Options()); }

__attribute__((noinline)) void WaitHere(int) {
  SetEvent(gArrived.Get());
  WaitForSingleObject(gRelease.Get(), INFINITE);
}

// The thread has announced that it is about to wait; sampled before it
// blocks, its innermost frames (and so the checksums) would depend on timing.
TThreadSample SampleWhenBlocked(TThreadSampler& sampler, DWORD id) {
  TThreadSample sample = sampler.Sample(id);
  for (int tries = 0; tries < 100; ++tries) {
    Sleep(20);
    TThreadSample again = sampler.Sample(id);
    const bool settled = again.InstructionPointer == sample.InstructionPointer &&
                         again.StackPointer == sample.StackPointer;
    sample = std::move(again);
    if (settled) break;
  }
  return sample;
}

TTraceStackResult gFaultResult;
DWORD gFaultingThread = 0;

// Traces the chain thread's fault, then steps over the faulting
// instruction so that the chain returns normally.
LONG CALLBACK TraceFault(EXCEPTION_POINTERS* info) {
  // Any code: under user-mode emulation Wine reports this write through a
  // null pointer as an illegal instruction rather than an access violation.
  if (GetCurrentThreadId() != gFaultingThread) return EXCEPTION_CONTINUE_SEARCH;
  CONTEXT& context = *info->ContextRecord;
  gFaultResult = gTracer->TraceException(context.Eip, context.Esp, context.Ebp, Options());
  const TDecodedInstruction at = gTracer->Environment().Decode(context.Eip);
  if (!at.Valid) return EXCEPTION_CONTINUE_SEARCH;
  context.Eip = at.Next;
  return EXCEPTION_CONTINUE_EXECUTION;
}

struct TRun {
  TChainsRun Run;
  int Scenario;
  TChainCapture Capture;
};

DWORD WINAPI ChainThread(void* parameter) {
  const TRun* run = static_cast<const TRun*>(parameter);
  run->Run(run->Scenario, run->Capture);
  return 0;
}

void Print(int scenario, const char* mode, const TTraceStackResult& result) {
  std::printf("TRACE\t%d\t%s\t%08x\t%08x\n", scenario, mode, static_cast<unsigned>(result.Checksum1),
              static_cast<unsigned>(result.Checksum2));
  for (const TStackTraceEntry& e : result.Trace)
    std::printf("LINE\t%d\t%s\t%08x\t%s\t%s\t%d\n", scenario, mode, static_cast<unsigned>(e.Address),
                e.ModuleName.c_str(), e.FunctionName.c_str(), e.Line);
  std::printf("TEXT\t%d\t%s\n%s\nEND\n", scenario, mode, result.Text.c_str());
}

// Keeps the library's preferred range taken so that the loader must move it.
void ReservePreferredBase(const wchar_t* library) {
  TLoadedModule probe(LoadLibraryExW(library, nullptr, DONT_RESOLVE_DLL_REFERENCES));
  if (!probe) return;
  const auto* base = reinterpret_cast<const std::uint8_t*>(probe.Get());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  void* preferred = reinterpret_cast<void*>(static_cast<std::uintptr_t>(nt->OptionalHeader.ImageBase));
  const SIZE_T size = nt->OptionalHeader.SizeOfImage;
  probe.Reset();
  VirtualAlloc(preferred, size, MEM_RESERVE, PAGE_NOACCESS);
}

}  // namespace

int main(int argc, char** argv) {
  const bool relocate = argc > 1 && std::string(argv[1]) == "--relocate";
  const wchar_t* library = L"stack_chains.dll";
  if (relocate) ReservePreferredBase(library);
  const HMODULE chains = LoadLibraryW(library);
  if (chains == nullptr) {
    std::printf("ERROR\tcannot load the chain library\n");
    return 2;
  }
  const auto run = reinterpret_cast<TChainsRun>(reinterpret_cast<void*>(GetProcAddress(chains, "ChainsRun")));
  const auto releaseSpin = reinterpret_cast<TChainsReleaseSpin>(reinterpret_cast<void*>(GetProcAddress(chains, "ChainsReleaseSpin")));
  const auto* headers = reinterpret_cast<const std::uint8_t*>(chains);
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(headers + reinterpret_cast<const IMAGE_DOS_HEADER*>(headers)->e_lfanew);
  std::printf("BASE\t%08x\t%08x\n", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(chains)),
              static_cast<unsigned>(nt->OptionalHeader.ImageBase));

  TStackTracer tracer(SystemStackEnvironment());
  gTracer = &tracer;
  gArrived.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  gRelease.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  TThreadSampler sampler(SystemStackEnvironment());

  for (int scenario = 0; scenario < kChainScenarios; ++scenario) {
    if (scenario == kFaultingLeaf) {
      TRun faulting{run, scenario, nullptr};
      void* handler = AddVectoredExceptionHandler(1, TraceFault);
      TKernelHandle thread(CreateThread(nullptr, 0, ChainThread, &faulting, CREATE_SUSPENDED, &gFaultingThread));
      ResumeThread(thread.Get());
      WaitForSingleObject(thread.Get(), INFINITE);
      RemoveVectoredExceptionHandler(handler);
      Print(scenario, "fault", gFaultResult);
      continue;
    }
    if (scenario != kSpinningLeaf) {
      TRun own{run, scenario, CaptureHere};
      TKernelHandle thread(CreateThread(nullptr, 0, ChainThread, &own, 0, nullptr));
      WaitForSingleObject(thread.Get(), INFINITE);
      Print(scenario, "own", gOwnResult);
    }
    TRun paused{run, scenario, WaitHere};
    DWORD id = 0;
    TKernelHandle thread(CreateThread(nullptr, 0, ChainThread, &paused, 0, &id));
    if (scenario == kSpinningLeaf)
      Sleep(200);  // long enough to be inside the loop
    else
      WaitForSingleObject(gArrived.Get(), INFINITE);
    const TThreadSample sample = scenario == kSpinningLeaf ? sampler.Sample(id) : SampleWhenBlocked(sampler, id);
    Print(scenario, "paused", tracer.TraceSample(sample, Options()));
    if (scenario == kSpinningLeaf)
      releaseSpin();
    else
      SetEvent(gRelease.Get());
    WaitForSingleObject(thread.Get(), INFINITE);
  }
  std::fflush(stdout);
  return 0;
}
