#pragma once
// A record of what reaches a control, for message-level tests written as
// tables: input message -> expected lines. Handlers of a test control add
// their own lines ("KeyDown 65"); a TMessageRecorder puts itself in front of
// a control's WindowProc and adds a line for each watched message.
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "framework/win32/Control.h"

class TCallLog {
 public:
  void Add(std::string line) { FLines.push_back(std::move(line)); }
  // The lines since the last Take, and a fresh start.
  std::vector<std::string> Take() { return std::exchange(FLines, {}); }
  const std::vector<std::string>& Lines() const { return FLines; }

 private:
  std::vector<std::string> FLines;
};

inline std::string MessageName(UINT msg) {
  switch (msg) {
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_GETDLGCODE: return "WM_GETDLGCODE";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_MOUSELEAVE: return "WM_MOUSELEAVE";
    case WM_MOUSEWHEEL: return "WM_MOUSEWHEEL";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_LBUTTONDBLCLK: return "WM_LBUTTONDBLCLK";
    case WM_SETCURSOR: return "WM_SETCURSOR";
    case WM_TIMER: return "WM_TIMER";
    case WM_CONTEXTMENU: return "WM_CONTEXTMENU";
    case WM_NCCALCSIZE: return "WM_NCCALCSIZE";
    case WM_NCPAINT: return "WM_NCPAINT";
    case WM_NCHITTEST: return "WM_NCHITTEST";
    case CM_MOUSEENTER: return "CM_MOUSEENTER";
    case CM_MOUSELEAVE: return "CM_MOUSELEAVE";
    case CM_DIALOGKEY: return "CM_DIALOGKEY";
    default: {
      char text[16];
      std::snprintf(text, sizeof text, "0x%04X", msg);
      return text;
    }
  }
}

class TMessageRecorder {
 public:
  TMessageRecorder(TControl* control, std::vector<UINT> watched, TCallLog& log)
      : FControl(control), FWatched(std::move(watched)), FLog(log), FPrevious(control->WindowProc) {
    control->WindowProc = [this](TMessage& message) {
      for (UINT msg : FWatched)
        if (msg == message.Msg) FLog.Add(FControl->Name() + " " + MessageName(msg));
      FPrevious(message);
    };
  }
  ~TMessageRecorder() { FControl->WindowProc = FPrevious; }
  TMessageRecorder(const TMessageRecorder&) = delete;
  TMessageRecorder& operator=(const TMessageRecorder&) = delete;

 private:
  TControl* FControl;
  std::vector<UINT> FWatched;
  TCallLog& FLog;
  TWndMethod FPrevious;
};
