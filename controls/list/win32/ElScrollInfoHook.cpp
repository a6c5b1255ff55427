#include "controls/list/win32/ElScrollInfoHook.h"

#include <memory>
#include <string>

#include "platform/win32/CodePatch.h"

UINT ElScrollBarMessage() {
  static const UINT message = RegisterWindowMessageW(L"{7DDF4ADB-4A01-4F4B-83AA-8D91C21E99D2}");
  return message;
}

namespace {
using TSetScrollInfo = int(WINAPI*)(HWND, int, LPCSCROLLINFO, BOOL);
using TSetScrollPos = int(WINAPI*)(HWND, int, int, BOOL);
using TSetScrollRange = BOOL(WINAPI*)(HWND, int, int, int, BOOL);

struct TPatches {
  std::unique_ptr<TEntryJumpPatch> Info, Pos, Range;
};
TPatches& Patches() {
  static TPatches patches;
  return patches;
}

// Calls of the platform made by our own replacements (SetScrollPos may go
// through SetScrollInfo inside the platform) are passed straight on, so each
// change is reported once, by the outermost call.
thread_local int Nesting = 0;
struct TNested {
  TNested() { ++Nesting; }
  ~TNested() { --Nesting; }
};

bool Hosted(HWND window, int bar) {
  if (bar != SB_HORZ && bar != SB_VERT) return false;
  if (window == nullptr || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return false;
  return SendMessageW(window, ElScrollBarMessage(), kElSBQueryController, 0) != 0;
}

void Notify(HWND window, int bar, const SCROLLINFO& info, BOOL redraw) {
  TElScrollInfoChange change{bar, &info, redraw};
  SendMessageW(window, ElScrollBarMessage(), kElSBChange, reinterpret_cast<LPARAM>(&change));
}

int WINAPI HookSetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw) {
  auto original = reinterpret_cast<TSetScrollInfo>(Patches().Info->Original());
  if (Nesting > 0 || info == nullptr || !Hosted(window, bar)) {
    TNested nested;
    return original(window, bar, info, redraw);
  }
  int result;
  {
    TNested nested;
    // The platform stores the change but must not draw its own bar.
    result = original(window, bar, info, FALSE);
  }
  Notify(window, bar, *info, redraw);
  return result;
}

int WINAPI HookSetScrollPos(HWND window, int bar, int position, BOOL redraw) {
  auto original = reinterpret_cast<TSetScrollPos>(Patches().Pos->Original());
  if (Nesting > 0 || !Hosted(window, bar)) {
    TNested nested;
    return original(window, bar, position, redraw);
  }
  int result;
  {
    TNested nested;
    result = original(window, bar, position, FALSE);
  }
  SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, position, 0};
  Notify(window, bar, info, redraw);
  return result;
}

BOOL WINAPI HookSetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw) {
  auto original = reinterpret_cast<TSetScrollRange>(Patches().Range->Original());
  if (Nesting > 0 || !Hosted(window, bar)) {
    TNested nested;
    return original(window, bar, minimum, maximum, redraw);
  }
  BOOL result;
  {
    TNested nested;
    result = original(window, bar, minimum, maximum, FALSE);
  }
  SCROLLINFO info{sizeof info, SIF_RANGE, minimum, maximum, 0, 0, 0};
  Notify(window, bar, info, redraw);
  return result;
}

std::unique_ptr<TEntryJumpPatch> PatchFor(HMODULE user32, const char* name, void* replacement) {
  void* routine = reinterpret_cast<void*>(GetProcAddress(user32, name));
  if (routine == nullptr) throw std::string("no routine ") + name;
  auto patch = std::make_unique<TEntryJumpPatch>(routine, replacement, true);
  return patch;
}

void ApplyOrThrow(TEntryJumpPatch& patch, const char* name) {
  if (!patch.Apply()) throw std::string("cannot patch ") + name;
}
}  // namespace

bool TElScrollInfoHook::Installed() {
  const TPatches& patches = Patches();
  return patches.Info && patches.Info->Applied() && patches.Pos->Applied() && patches.Range->Applied();
}

bool TElScrollInfoHook::Install() {
  if (Installed()) return true;
  TPatches& patches = Patches();
  try {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) throw std::string("user32 not loaded");
    // All three are prepared before any is applied, so a failure leaves none in place.
    patches.Info = PatchFor(user32, "SetScrollInfo", reinterpret_cast<void*>(&HookSetScrollInfo));
    patches.Pos = PatchFor(user32, "SetScrollPos", reinterpret_cast<void*>(&HookSetScrollPos));
    patches.Range = PatchFor(user32, "SetScrollRange", reinterpret_cast<void*>(&HookSetScrollRange));
    ApplyOrThrow(*patches.Info, "SetScrollInfo");
    ApplyOrThrow(*patches.Pos, "SetScrollPos");
    ApplyOrThrow(*patches.Range, "SetScrollRange");
    return true;
  } catch (const std::string& error) {
    OutputDebugStringA(("##1: Install Hook Error (ScrollBars): " + error).c_str());
  } catch (const std::exception& error) {
    OutputDebugStringA((std::string("##1: Install Hook Error (ScrollBars): ") + error.what()).c_str());
  }
  Uninstall();
  return false;
}

void TElScrollInfoHook::Uninstall() {
  TPatches& patches = Patches();
  // Range and position first: under some platforms they lead into the routine
  // the information patch sits on.
  patches.Range.reset();
  patches.Pos.reset();
  patches.Info.reset();
}
