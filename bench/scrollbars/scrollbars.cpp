// Lines a second into a native owner-drawn list when each line is added and
// scrolled into view, with the control set's scroll bars against the
// platform's own, each with the theme on and off, and against a list with no
// vertical bar at all (the floor). Every line is followed by one round of
// messages, painting included, as a log fed line by line is.
// Usage: scrollbars_bench [LINES]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "controls/base/win32/ElThemeLibrary.h"
#include "framework/win32/Application.h"
#include "framework/win32/Form.h"
#include "controls/list/win32/ElScrollHostList.h"

namespace {
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A list without the platform's vertical bar: what adding and painting
// lines costs on its own.
class TBareList : public TElScrollHostList {
 public:
  using TElScrollHostList::TElScrollHostList;

 protected:
  void CreateParams(TCreateParams& params) override {
    TElScrollHostList::CreateParams(params);
    params.Style &= ~(WS_VSCROLL | WS_HSCROLL);
  }
};

enum TMode { modeCustom, modeNative, modeBare };

double LinesPerSecond(TMode mode, bool themed, int lines) {
  TForm form(nullptr);
  form.SetClientSize(420, 300);
  TElScrollHostList* list = mode == modeBare ? new TBareList(&form, false) : new TElScrollHostList(&form, mode == modeCustom);
  list->SetParent(&form);
  list->SetBounds(10, 10, 380, 260);
  form.Show();
  Pump();
  if (mode == modeCustom) list->Controller()->SetUseXPThemes(themed);
  if (mode == modeNative && !themed) {
    // The platform's bar in its classic look: no theme for this window.
    using TSetWindowTheme = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    if (HMODULE uxtheme = GetModuleHandleW(L"uxtheme.dll"))
      if (auto set = reinterpret_cast<TSetWindowTheme>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme"))))
        set(list->Handle(), L"", L"");
  }
  // A first screenful, so that every measured line scrolls.
  for (int i = 0; i < 40; ++i) list->Add(L"Warm-up line " + std::to_wstring(i));
  list->SetTopIndex(list->Count() - 1);
  Pump();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < lines; ++i) {
    list->Add(L"Found compressed File: C:\\some\\folder\\file" + std::to_wstring(i) + L".txt");
    list->SetTopIndex(list->Count() - 1);
    Pump();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (mode == modeCustom && !list->CustomBarsActive()) std::printf("  (custom bars inactive!)\n");
  return lines / seconds;
}
}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  Application->Initialize();
  const bool themeActive = TElThemeLibrary::ThemeActive();
  std::printf("%d lines, each added and scrolled into view; theme active in this prefix: %s\n", lines,
              themeActive ? "yes" : "no");
  const double bare = LinesPerSecond(modeBare, false, lines);
  std::printf("  no vertical bar (floor)        %8.1f lines/s\n", bare);
  for (bool themed : {true, false}) {
    if (themed && !themeActive) continue;
    const double native = LinesPerSecond(modeNative, themed, lines);
    const double custom = LinesPerSecond(modeCustom, themed, lines);
    const char* look = themed ? "themed " : "classic";
    std::printf("  platform's bars, %s       %8.1f lines/s\n", look, native);
    std::printf("  custom bars, %s           %8.1f lines/s\n", look, custom);
    std::printf("  custom / platform, %s     %8.2f\n", look, custom / native);
    std::printf("  custom / floor, %s        %8.2f\n", look, custom / bare);
  }
  return 0;
}
