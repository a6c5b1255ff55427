#pragma once
// Acts from inside a modal loop (a modal form's, a popup menu's) that the
// test cannot return from: a step runs on each tick of a thread timer until
// it returns true. Main thread of the tests only.
#include <windows.h>

#include <functional>
#include <utility>

class TWhileModal {
 public:
  explicit TWhileModal(std::function<bool()> step) {
    Step() = std::move(step);
    FTimer = SetTimer(nullptr, 0, 20, &TWhileModal::Tick);
  }
  ~TWhileModal() {
    KillTimer(nullptr, FTimer);
    Step() = nullptr;
  }
  TWhileModal(const TWhileModal&) = delete;
  TWhileModal& operator=(const TWhileModal&) = delete;

 private:
  static std::function<bool()>& Step() {
    static std::function<bool()> step;
    return step;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!Step()) return;
    // Taken out while it runs: the step may start a nested loop.
    std::function<bool()> step = std::move(Step());
    Step() = nullptr;
    if (!step()) Step() = std::move(step);
  }
  UINT_PTR FTimer;
};
