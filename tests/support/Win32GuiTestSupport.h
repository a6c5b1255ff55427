#pragma once
// Helpers for GUI tests under Wine: answering message boxes (and other
// modal dialogs) without a person, and pumping messages until a condition
// holds. Both work on the thread that runs the tests, which is the main
// thread of the framework.
#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "framework/win32/Application.h"
#include "framework/win32/Thread.h"
#include "platform/EscapedUtf8.h"

// What a dialog showed when it was answered.
struct TSeenBox {
  std::string caption;
  std::string text;
  std::vector<int> buttons;  // of IDOK, IDCANCEL, IDYES, IDNO, in that order
  std::string icon;          // "error", "question", "exclamation", "information" or ""
  int answer = 0;
  bool expected = true;
};

// Finds each modal dialog of this thread on a timer, records it and presses a
// button: the next expected answer, or Cancel (OK when it has none) for a box
// nobody expected. An expectation may wait for a condition before pressing.
class TDialogAnswerer {
 public:
  TDialogAnswerer() {
    Current() = this;
    FTimer = SetTimer(nullptr, 0, 15, &TDialogAnswerer::Tick);
  }
  ~TDialogAnswerer() {
    KillTimer(nullptr, FTimer);
    Current() = nullptr;
  }
  TDialogAnswerer(const TDialogAnswerer&) = delete;
  TDialogAnswerer& operator=(const TDialogAnswerer&) = delete;

  // Answers the next dialog with button once ready (when given) returns true.
  void Expect(int button, std::function<bool()> ready = nullptr) {
    FExpected.push_back({button, std::move(ready)});
  }
  int Unexpected() const {
    int count = 0;
    for (const TSeenBox& box : seen) count += box.expected ? 0 : 1;
    return count;
  }
  int Pending() const { return static_cast<int>(FExpected.size()); }

  std::vector<TSeenBox> seen;

 private:
  struct TExpectation {
    int button;
    std::function<bool()> ready;
  };

  static TDialogAnswerer*& Current() {
    static TDialogAnswerer* current = nullptr;
    return current;
  }

  static std::string Utf8(const wchar_t* text) {
    return EncodeEscapedUtf8(WideString(reinterpret_cast<const char16_t*>(text)));
  }

  static BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    wchar_t className[64] = {0};
    GetClassNameW(window, className, 64);
    if (IsWindowVisible(window) && lstrcmpW(className, L"#32770") == 0) {
      *reinterpret_cast<HWND*>(data) = window;
      return FALSE;
    }
    return TRUE;
  }

  static BOOL CALLBACK FindIcon(HWND child, LPARAM data) {
    wchar_t className[16] = {0};
    GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, L"Static") == 0 && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      *reinterpret_cast<HICON*>(data) = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
      return FALSE;
    }
    return TRUE;
  }

  static std::string IconOf(HWND box) {
    HICON found = nullptr;
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&found));
    if (found == nullptr) return "";
    if (found == LoadIconW(nullptr, IDI_HAND)) return "error";
    if (found == LoadIconW(nullptr, IDI_QUESTION)) return "question";
    if (found == LoadIconW(nullptr, IDI_EXCLAMATION)) return "exclamation";
    if (found == LoadIconW(nullptr, IDI_ASTERISK)) return "information";
    return "other";
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TDialogAnswerer* self = Current();
    if (self == nullptr) return;
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr || self->FPressed.count(box)) {
      if (box == nullptr) self->FPressed.clear();
      return;
    }
    TSeenBox seen;
    wchar_t text[1024] = {0};
    GetWindowTextW(box, text, 1024);
    seen.caption = Utf8(text);
    text[0] = 0;
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    seen.text = Utf8(text);
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
      if (GetDlgItem(box, id) != nullptr) seen.buttons.push_back(id);
    seen.icon = IconOf(box);
    int button;
    if (!self->FExpected.empty()) {
      TExpectation& next = self->FExpected.front();
      if (next.ready && !next.ready()) return;  // looked at again on the next tick
      button = next.button;
      self->FExpected.pop_front();
    } else {
      seen.expected = false;
      button = GetDlgItem(box, IDCANCEL) != nullptr ? IDCANCEL : IDOK;
    }
    seen.answer = button;
    self->seen.push_back(seen);
    self->FPressed.insert(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  }

  UINT_PTR FTimer = 0;
  std::deque<TExpectation> FExpected;
  std::set<HWND> FPressed;
};

// Handles messages (and with them hand-overs) until condition holds; false
// when it still does not after timeoutMs.
inline bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 15000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    Application->ProcessMessages();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    HANDLE sync = SyncEvent();
    MsgWaitForMultipleObjects(1, &sync, FALSE, 10, QS_ALLINPUT);
  }
}

// Handles what is queued now, painting and hand-overs included, until nothing
// is left: a settle without the clock. Timers are not waited for (PumpUntil).
inline void PumpPending() {
  MSG msg;
  for (int round = 0; round < 1000; ++round) {
    Application->ProcessMessages();
    const bool served = CheckSynchronize();
    if (!served && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) return;
  }
}

// Handles the messages that arrive within ms milliseconds.
inline void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}
