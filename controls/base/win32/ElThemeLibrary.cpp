#include "controls/base/win32/ElThemeLibrary.h"

#include <atomic>

#include "platform/win32/HandleOwners.h"

namespace {

using TOpenThemeData = HTHEME(WINAPI*)(HWND, LPCWSTR);
using TCloseThemeData = HRESULT(WINAPI*)(HTHEME);
using TDrawThemeBackground = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
using TDrawThemeText = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD,
                                        const RECT*);
using TGetThemeBackgroundContentRect = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, RECT*);
using TDrawThemeEdge = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, UINT, UINT, RECT*);
using TGetThemePartSize = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, THEMESIZE, SIZE*);
using TGetThemeTextExtent = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD,
                                             const RECT*, RECT*);
using TDrawThemeParentBackground = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
using TIsThemeBackgroundPartiallyTransparent = BOOL(WINAPI*)(HTHEME, int, int);
using TGetThemeColor = HRESULT(WINAPI*)(HTHEME, int, int, int, COLORREF*);
using TGetThemeSysSize = int(WINAPI*)(HTHEME, int);
using TIsThemeActive = BOOL(WINAPI*)();

std::atomic<bool> GForcedOff{false};

bool PlatformHasVisualStyles() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExW(&version)) return false;
  if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
  return version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
}

// The library and its entry points; a missing entry point stays null and
// its wrapper answers "no theme".
struct TThemeFunctions {
  TLoadedModule Module;
  TOpenThemeData OpenThemeData = nullptr;
  TCloseThemeData CloseThemeData = nullptr;
  TDrawThemeBackground DrawThemeBackground = nullptr;
  TDrawThemeText DrawThemeText = nullptr;
  TGetThemeBackgroundContentRect GetThemeBackgroundContentRect = nullptr;
  TDrawThemeEdge DrawThemeEdge = nullptr;
  TGetThemePartSize GetThemePartSize = nullptr;
  TGetThemeTextExtent GetThemeTextExtent = nullptr;
  TDrawThemeParentBackground DrawThemeParentBackground = nullptr;
  TIsThemeBackgroundPartiallyTransparent IsThemeBackgroundPartiallyTransparent = nullptr;
  TGetThemeColor GetThemeColor = nullptr;
  TGetThemeSysSize GetThemeSysSize = nullptr;
  TIsThemeActive IsThemeActive = nullptr;
  TIsThemeActive IsAppThemed = nullptr;

  TThemeFunctions() {
    if (!PlatformHasVisualStyles()) return;
    Module.Reset(LoadLibraryW(L"uxtheme.dll"));
    if (!Module) return;
    Find(OpenThemeData, "OpenThemeData");
    Find(CloseThemeData, "CloseThemeData");
    Find(DrawThemeBackground, "DrawThemeBackground");
    Find(DrawThemeText, "DrawThemeText");
    Find(GetThemeBackgroundContentRect, "GetThemeBackgroundContentRect");
    Find(DrawThemeEdge, "DrawThemeEdge");
    Find(GetThemePartSize, "GetThemePartSize");
    Find(GetThemeTextExtent, "GetThemeTextExtent");
    Find(DrawThemeParentBackground, "DrawThemeParentBackground");
    Find(IsThemeBackgroundPartiallyTransparent, "IsThemeBackgroundPartiallyTransparent");
    Find(GetThemeColor, "GetThemeColor");
    Find(GetThemeSysSize, "GetThemeSysSize");
    Find(IsThemeActive, "IsThemeActive");
    Find(IsAppThemed, "IsAppThemed");
    // Without a way to open and close theme data nothing else is usable.
    if (OpenThemeData == nullptr || CloseThemeData == nullptr) Forget();
  }
  // Controls destroyed after this object (at the very end of the program)
  // must find null entry points, not ones into a released library.
  ~TThemeFunctions() { Forget(); }

  void Forget() {
    OpenThemeData = nullptr;
    CloseThemeData = nullptr;
    DrawThemeBackground = nullptr;
    DrawThemeText = nullptr;
    GetThemeBackgroundContentRect = nullptr;
    DrawThemeEdge = nullptr;
    GetThemePartSize = nullptr;
    GetThemeTextExtent = nullptr;
    DrawThemeParentBackground = nullptr;
    IsThemeBackgroundPartiallyTransparent = nullptr;
    GetThemeColor = nullptr;
    GetThemeSysSize = nullptr;
    IsThemeActive = nullptr;
    IsAppThemed = nullptr;
    Module.Reset();
  }

  template <typename F>
  void Find(F& function, const char* name) {
    FARPROC address = GetProcAddress(Module.Get(), name);
    function = reinterpret_cast<F>(reinterpret_cast<void (*)()>(address));
  }
};

const TThemeFunctions& Functions() {
  static TThemeFunctions functions;
  return functions;
}

// The entry points when themes are available, else null.
const TThemeFunctions* Live() {
  const TThemeFunctions& functions = Functions();
  if (GForcedOff.load() || functions.OpenThemeData == nullptr) return nullptr;
  return &functions;
}

}  // namespace

bool TElThemeLibrary::ThemesAvailable() { return Live() != nullptr; }

bool TElThemeLibrary::ThemeActive() {
  const TThemeFunctions* f = Live();
  if (f == nullptr || f->IsThemeActive == nullptr || !f->IsThemeActive()) return false;
  return f->IsAppThemed == nullptr || f->IsAppThemed();
}

void TElThemeLibrary::SetForcedOff(bool value) { GForcedOff.store(value); }

HTHEME TElThemeLibrary::OpenThemeData(HWND window, const wchar_t* classList) {
  const TThemeFunctions* f = Live();
  return f != nullptr ? f->OpenThemeData(window, classList) : nullptr;
}

HRESULT TElThemeLibrary::CloseThemeData(HTHEME theme) {
  // Closing does not look at the switch: a handle opened before themes were
  // switched off must still be released.
  const TThemeFunctions& f = Functions();
  if (theme == nullptr || f.CloseThemeData == nullptr) return E_NOTIMPL;
  return f.CloseThemeData(theme);
}

HRESULT TElThemeLibrary::DrawThemeBackground(HTHEME theme, HDC dc, int part, int state,
                                             const RECT* rect, const RECT* clip) {
  const TThemeFunctions* f = Live();
  if (f == nullptr || theme == nullptr || f->DrawThemeBackground == nullptr) return E_NOTIMPL;
  return f->DrawThemeBackground(theme, dc, part, state, rect, clip);
}

HRESULT TElThemeLibrary::DrawThemeText(HTHEME theme, HDC dc, int part, int state,
                                       const wchar_t* text, int count, DWORD flags, DWORD flags2,
                                       const RECT* rect) {
  const TThemeFunctions* f = Live();
  if (f == nullptr || theme == nullptr || f->DrawThemeText == nullptr) return E_NOTIMPL;
  return f->DrawThemeText(theme, dc, part, state, text, count, flags, flags2, rect);
}

HRESULT TElThemeLibrary::GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state,
                                                       const RECT* bounds, RECT* content) {
  const TThemeFunctions* f = Live();
  if (f == nullptr || theme == nullptr || f->GetThemeBackgroundContentRect == nullptr)
    return E_NOTIMPL;
  return f->GetThemeBackgroundContentRect(theme, dc, part, state, bounds, content);
}

HRESULT TElThemeLibrary::DrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                       UINT edge, UINT flags, RECT* content) {
  const TThemeFunctions* f = Live();
  if (f == nullptr || theme == nullptr || f->DrawThemeEdge == nullptr) return E_NOTIMPL;
  return f->DrawThemeEdge(theme, dc, part, state, rect, edge, flags, content);
}

HRESULT TElThemeLibrary::GetThemePartSize(HTHEME theme, HDC dc, int part, int state,
                                          const RECT* rect, THEMESIZE size, SIZE* result) {
  const TThemeFunctions* f = Live();
  if (f == nullptr || theme == nullptr || f->GetThemePartSize == nullptr) return E_NOTIMPL;
  return f->GetThemePartSize(theme, dc, part, state, rect, size, result);
}

HRESULT TElThemeLibrary::GetThemeTextExtent(HTHEME theme, HDC dc, int part, int state,
                                            const wchar_t* text, int count, DWORD flags,
                                            const RECT* bounds, RECT* extent) {
  const TThemeFunctions* f = Live();
  if (f == nullptr || theme == nullptr || f->GetThemeTextExtent == nullptr) return E_NOTIMPL;
  return f->GetThemeTextExtent(theme, dc, part, state, text, count, flags, bounds, extent);
}

HRESULT TElThemeLibrary::DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect) {
  const TThemeFunctions* f = Live();
  if (f == nullptr || f->DrawThemeParentBackground == nullptr) return E_NOTIMPL;
  return f->DrawThemeParentBackground(window, dc, rect);
}

bool TElThemeLibrary::IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state) {
  const TThemeFunctions* f = Live();
  if (f == nullptr || theme == nullptr || f->IsThemeBackgroundPartiallyTransparent == nullptr)
    return false;
  return f->IsThemeBackgroundPartiallyTransparent(theme, part, state) != FALSE;
}

HRESULT TElThemeLibrary::GetThemeColor(HTHEME theme, int part, int state, int property,
                                       COLORREF* color) {
  const TThemeFunctions* f = Live();
  if (f == nullptr || theme == nullptr || f->GetThemeColor == nullptr) return E_NOTIMPL;
  return f->GetThemeColor(theme, part, state, property, color);
}

int TElThemeLibrary::GetThemeSysSize(HTHEME theme, int sizeId) {
  const TThemeFunctions* f = Live();
  if (f == nullptr || f->GetThemeSysSize == nullptr) return 0;
  return f->GetThemeSysSize(theme, sizeId);
}
