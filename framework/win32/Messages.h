#pragma once
// The framework's own message range and the message record handed to the
// virtual handlers. Internal notifications (CM_) tell a control that one of
// its properties changed; reflected notifications (CN_) are the parent's
// WM_COMMAND, WM_DRAWITEM, ... sent back to the child that caused them, so a
// control paints and answers for itself.
// Threads: plain values; a message record is used by the thread handling it.
#include <windows.h>

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_FONTCHANGED = CM_BASE + 1;
constexpr UINT CM_COLORCHANGED = CM_BASE + 2;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 3;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 4;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 5;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 6;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 7;
constexpr UINT CM_MOUSEENTER = CM_BASE + 8;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 9;
constexpr UINT CM_DIALOGKEY = CM_BASE + 10;  // WParam: virtual key; Result 1 when used
constexpr UINT CM_RELEASE = CM_BASE + 11;    // posted to a form that frees itself
constexpr UINT CM_HINTSHOW = CM_BASE + 12;   // LParam: THintInfo*; Result not 0 shows no hint
// WParam: a character typed with Alt, offered to every control of the form
// for its accelerator; Result 1 when one took it.
constexpr UINT CM_DIALOGCHAR = CM_BASE + 13;

constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};
