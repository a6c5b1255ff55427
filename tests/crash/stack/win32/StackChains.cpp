// Known call chains for the tracer's end-to-end check: plain calls, calls
// through function pointers, virtual methods, a recursion, a function without
// a frame, a callback from a system routine and a fault in a leaf without a
// frame. Each chain but the last two ends in the capture routine of the caller,
// which traces or pauses the thread there.
#include <windows.h>

#include "tests/crash/stack/win32/StackChains.h"

#define CHAIN_STEP extern "C" __attribute__((noinline, noclone, used))
#define FRAMELESS __attribute__((optimize("omit-frame-pointer")))

namespace {

TChainCapture gCapture = nullptr;
// Written after each call so that no call becomes a jump.
volatile int gSink = 0;
volatile LONG gReleaseSpin = 0;
// Written through by the faulting leaf; stays null.
int* volatile gNowhere = nullptr;

}  // namespace

CHAIN_STEP void PlainInner(int scenario) {
  gCapture(scenario);
  gSink = gSink + 1;
}
CHAIN_STEP void PlainMiddle(int scenario) {
  PlainInner(scenario);
  gSink = gSink + 1;
}
CHAIN_STEP void PlainOuter(int scenario) {
  PlainMiddle(scenario);
  gSink = gSink + 1;
}

CHAIN_STEP void PointerInner(int scenario) {
  gCapture(scenario);
  gSink = gSink + 1;
}
void (*volatile gPointerInner)(int) = PointerInner;
CHAIN_STEP void PointerMiddle(int scenario) {
  gPointerInner(scenario);
  gSink = gSink + 1;
}
void (*volatile gPointerMiddle)(int) = PointerMiddle;
CHAIN_STEP void PointerOuter(int scenario) {
  gPointerMiddle(scenario);
  gSink = gSink + 1;
}

struct TChainStep {
  virtual ~TChainStep() = default;
  virtual void Run(int scenario) = 0;
};
struct TInnerStep : TChainStep {
  __attribute__((noinline)) void Run(int scenario) override {
    gCapture(scenario);
    gSink = gSink + 1;
  }
};
struct TOuterStep : TChainStep {
  TChainStep* Next = nullptr;
  __attribute__((noinline)) void Run(int scenario) override {
    Next->Run(scenario);
    gSink = gSink + 1;
  }
};
TInnerStep gInnerStep;
TOuterStep gOuterStep;
TChainStep* volatile gFirstStep = &gOuterStep;
CHAIN_STEP void VirtualStart(int scenario) {
  gOuterStep.Next = &gInnerStep;
  gFirstStep->Run(scenario);
  gSink = gSink + 1;
}

CHAIN_STEP void RecurseB(int depth, int scenario);
CHAIN_STEP void RecurseA(int depth, int scenario) {
  if (depth > 0)
    RecurseB(depth - 1, scenario);
  else
    gCapture(scenario);
  gSink = gSink + 1;
}
CHAIN_STEP void RecurseB(int depth, int scenario) {
  RecurseA(depth - 1, scenario);
  gSink = gSink + 1;
}
CHAIN_STEP void RecurseStart(int scenario) {
  RecurseA(4, scenario);  // A, B, A, B, A
  gSink = gSink + 1;
}

// Keeps no frame of its own: its caller is found from the code, not the chain.
CHAIN_STEP FRAMELESS void FramelessLeaf(int scenario) {
  gCapture(scenario);
  gSink = gSink + 1;
}
CHAIN_STEP void FramelessCaller(int scenario) {
  FramelessLeaf(scenario);
  gSink = gSink + 1;
}

// A true leaf without frame, for a thread paused while it runs.
CHAIN_STEP FRAMELESS void SpinningLeaf() {
  while (gReleaseSpin == 0) {
  }
}
CHAIN_STEP void SpinningCaller(int) {
  SpinningLeaf();
  gSink = gSink + 1;
}

// A leaf without frame or calls that faults: its caller is found from the
// code at the faulting address alone.
CHAIN_STEP FRAMELESS void FaultingLeaf() { *gNowhere = gSink; }
CHAIN_STEP void FaultingCaller(int) {
  FaultingLeaf();
  gSink = gSink + 1;
}

CHAIN_STEP BOOL CALLBACK EnumCallback(HWND, LPARAM scenario) {
  gCapture(static_cast<int>(scenario));
  gSink = gSink + 1;
  return FALSE;  // once is enough
}
CHAIN_STEP void EnumStart(int scenario) {
  EnumWindows(EnumCallback, scenario);
  gSink = gSink + 1;
}

extern "C" __declspec(dllexport) void ChainsRun(int scenario, TChainCapture capture) {
  gCapture = capture;
  static void (*const starts[])(int) = {PlainOuter,      PointerOuter,   VirtualStart, RecurseStart,
                                        FramelessCaller, SpinningCaller, EnumStart,    FaultingCaller};
  if (scenario >= 0 && scenario < kChainScenarios) starts[scenario](scenario);
  gSink = gSink + 1;
}

extern "C" __declspec(dllexport) void ChainsReleaseSpin() { InterlockedExchange(&gReleaseSpin, 1); }
