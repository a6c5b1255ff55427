#pragma once
// Runs a clean-up step when the scope ends, on every path out of it, unless
// dismissed first (the step's work was handed on to an owner).
#include <utility>

template <typename Step>
class TScopeGuard {
 public:
  explicit TScopeGuard(Step step) : FStep(std::move(step)) {}
  TScopeGuard(const TScopeGuard&) = delete;
  TScopeGuard& operator=(const TScopeGuard&) = delete;
  ~TScopeGuard() {
    if (FActive) FStep();
  }
  void Dismiss() { FActive = false; }

 private:
  Step FStep;
  bool FActive = true;
};

template <typename Step>
TScopeGuard<Step> OnScopeExit(Step step) {
  return TScopeGuard<Step>(std::move(step));
}
