// Windows made by two threads at the same time: the messages that arrive
// before a window knows its control must reach the control its own thread is
// creating, and the shared class registry must hold up under both.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "framework/win32/Form.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

// Notes every thread a message reached it on.
class TThreadNotingForm : public TForm {
 public:
  using TForm::TForm;
  std::set<DWORD> threads;

 protected:
  void WndProc(TMessage& message) override {
    threads.insert(GetCurrentThreadId());
    TForm::WndProc(message);
  }
};

struct TMade {
  TThreadNotingForm* form;
  HWND window;
};

// Makes forms once both threads are ready, then checks each on its own thread
// (windows belong to the thread that made them) and frees it.
void MakeForms(int count, std::atomic<int>& ready, std::vector<HWND>& windows, std::vector<std::string>& faults) {
  ++ready;
  while (ready.load() < 2) std::this_thread::yield();
  std::vector<TMade> made;
  for (int i = 0; i < count; ++i) {
    auto* form = new TThreadNotingForm(nullptr);
    made.push_back({form, form->Handle()});
  }
  const DWORD self = GetCurrentThreadId();
  for (const TMade& m : made) {
    if (reinterpret_cast<TWinControl*>(GetWindowLongPtrW(m.window, GWLP_USERDATA)) != m.form)
      faults.push_back("a window bound to another form");
    if (m.form->Handle() != m.window) faults.push_back("a form whose window changed");
    if (GetWindowThreadProcessId(m.window, nullptr) != self) faults.push_back("a window of another thread");
    if (m.form->threads != std::set<DWORD>{self}) faults.push_back("a form that got another thread's messages");
    windows.push_back(m.window);
    delete m.form;
  }
}

TEST(WindowCreationTest, TwoThreadsMakingFormsAtOnceEachBindTheirOwnWindows) {
  constexpr int kForms = 40;
  std::atomic<int> ready{0};
  std::vector<HWND> windows[2];
  std::vector<std::string> faults[2];
  std::thread other([&] { MakeForms(kForms, ready, windows[1], faults[1]); });
  MakeForms(kForms, ready, windows[0], faults[0]);
  other.join();
  EXPECT_EQ(faults[0], std::vector<std::string>{});
  EXPECT_EQ(faults[1], std::vector<std::string>{});
  std::set<HWND> distinct(windows[0].begin(), windows[0].end());
  distinct.insert(windows[1].begin(), windows[1].end());
  EXPECT_EQ(distinct.size(), 2u * kForms);
}

}  // namespace
