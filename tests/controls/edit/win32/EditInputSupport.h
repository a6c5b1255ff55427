#pragma once
// Keyboard and mouse input for the edit's tests, sent as the platform would
// deliver it to the focused edit: modifier state first, then the messages.
// Main thread of the tests.
#include <windows.h>

#include "EditTestSupport.h"
#include "controls/edit/ElEditModel.h"

// Holds Shift and Ctrl down (in this thread's keyboard state) while alive.
class TModifiers {
 public:
  explicit TModifiers(TShiftState shift) {
    GetKeyboardState(FSaved);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = (shift & ssShift) ? 0x80 : 0;
    keys[VK_CONTROL] = (shift & ssCtrl) ? 0x80 : 0;
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
  }
  ~TModifiers() { SetKeyboardState(FSaved); }
  TModifiers(const TModifiers&) = delete;
  TModifiers& operator=(const TModifiers&) = delete;

 private:
  BYTE FSaved[256];
};

inline LPARAM KeyData(WORD key) { return 1 | static_cast<LPARAM>(MapVirtualKeyW(key, 0) << 16); }

inline void PressKey(TEditFixture& f, WORD key, TShiftState shift = 0) {
  TModifiers held(shift);
  f.Send(WM_KEYDOWN, key, KeyData(key));
  f.Send(WM_KEYUP, key, KeyData(key) | (3u << 30));
}

// Characters as WM_CHAR alone (no key translation before them).
inline void TypeChars(TEditFixture& f, const std::wstring& text) {
  for (wchar_t ch : text) f.Send(WM_CHAR, ch, 1);
}

inline int SelStart(TEditFixture& f) {
  DWORD start = 0;
  DWORD end = 0;
  f.Send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

inline int SelEnd(TEditFixture& f) {
  DWORD start = 0;
  DWORD end = 0;
  f.Send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end);
}

// The client point of the left edge of a character of a row.
inline POINT CharPoint(TEditFixture& f, int column, int row = 0) {
  const TElPixelPoint at = f.edit->Model().PosFromCaret(column, row);
  return POINT{at.X, at.Y + 2};
}

inline LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }
