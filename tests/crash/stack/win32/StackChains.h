#pragma once
// The interface of the chain library: run one known call chain, which ends in
// `capture`.
using TChainCapture = void (*)(int scenario);

enum TChainScenario {
  kPlainCalls,
  kPointerCalls,
  kVirtualCalls,
  kRecursion,
  kFramelessFrame,
  kSpinningLeaf,  // ends in a frameless loop instead of the capture; only paused
  kSystemCallback,
  kFaultingLeaf,  // faults in a frameless leaf; traced from the exception's context
  kChainScenarios
};

extern "C" {
typedef void (*TChainsRun)(int scenario, TChainCapture capture);
typedef void (*TChainsReleaseSpin)();
}
