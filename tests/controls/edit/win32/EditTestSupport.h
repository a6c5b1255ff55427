#pragma once
// A form with one edit of the control set on it, shown, for the edit's
// tests under Wine: a single-line edit by default, a multi-line one with a
// client area of a whole number of rows on request. Main thread of the tests.
#include <windows.h>

#include <string>

#include "controls/edit/win32/ElEdit.h"
#include "framework/win32/Form.h"
#include "tests/support/Win32GuiTestSupport.h"

struct TEditFixture {
  // The default font: "MS Sans Serif", height -11, a 13-pixel line.
  static constexpr int kLineHeight = 13;

  explicit TEditFixture(bool multiline = false, TScrollStyle bars = ssNone, int rows = 5) {
    form = new TForm(Application);
    form->SetClientSize(400, 300);
    form->Font()->SetName(u"MS Sans Serif");
    form->Font()->SetHeight(-11);
    edit = new TElEdit(form);
    edit->SetParent(form);
    edit->SetName("Edit");
    edit->SetMultiline(multiline);
    edit->SetScrollBars(bars);
    // Two pixels of sunken edge on each side; a multi-line edit's rows start
    // one pixel down (its TopMargin).
    edit->SetBounds(10, 10, 200, multiline ? rows * kLineHeight + 5 : 21);
    form->Show();
    edit->HandleNeeded();
    PumpFor(20);
  }
  ~TEditFixture() { delete form; }
  TEditFixture(const TEditFixture&) = delete;
  TEditFixture& operator=(const TEditFixture&) = delete;

  HWND Window() { return edit->Handle(); }
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageW(Window(), msg, wParam, lParam); }
  LRESULT SendText(UINT msg, WPARAM wParam, const std::wstring& text) {
    return SendMessageW(Window(), msg, wParam, reinterpret_cast<LPARAM>(text.c_str()));
  }

  TForm* form = nullptr;
  TElEdit* edit = nullptr;
};

inline WideString Wide(const std::wstring& text) { return WideString(text.begin(), text.end()); }
inline std::wstring Plain(const WideString& text) { return std::wstring(text.begin(), text.end()); }
