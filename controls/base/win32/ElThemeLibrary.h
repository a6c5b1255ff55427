#pragma once
// The platform's visual-style library, loaded by name the first time it is
// asked for and released when the program ends; its functions are looked up
// by name once. Themes are available only on an NT platform of version 5.1 or
// later where the library loads. Without them every call answers "no theme":
// a null handle, E_NOTIMPL, false or 0, and nothing is drawn, so callers fall
// back to their classic look without checking first.
// Any thread may call: loading happens once under the static initialisation
// guard, and the test switch is atomic.
#include <windows.h>
#include <uxtheme.h>

class TElThemeLibrary {
 public:
  // Loaded, on a platform that has visual styles, and not switched off.
  static bool ThemesAvailable();
  // Available, and the user has a theme active for this program.
  static bool ThemeActive();

  static HTHEME OpenThemeData(HWND window, const wchar_t* classList);
  static HRESULT CloseThemeData(HTHEME theme);
  static HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                     const RECT* clip);
  static HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, const wchar_t* text,
                               int count, DWORD flags, DWORD flags2, const RECT* rect);
  static HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state,
                                               const RECT* bounds, RECT* content);
  static HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                               UINT edge, UINT flags, RECT* content);
  static HRESULT GetThemePartSize(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                  THEMESIZE size, SIZE* result);
  static HRESULT GetThemeTextExtent(HTHEME theme, HDC dc, int part, int state, const wchar_t* text,
                                    int count, DWORD flags, const RECT* bounds, RECT* extent);
  static HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect);
  static bool IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state);
  static HRESULT GetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* color);
  static int GetThemeSysSize(HTHEME theme, int sizeId);

 private:
  // Only the test build's switch (ElThemesForcedOff.h) turns themes off.
  friend class TElThemesForcedOff;
  static void SetForcedOff(bool value);
};
