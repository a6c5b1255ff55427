#pragma once
// The platform clipboard as the edit uses it: Unicode text in, Unicode text
// (or the narrow text widened with the system code page) out. Main thread
// only: the clipboard is opened for the calling thread's window.
#include <windows.h>

#include "platform/WideString.h"

// Places text as CF_UNICODETEXT (and, on a platform without Unicode
// windows, also as CF_TEXT in the system code page). False when the
// clipboard could not be opened or the memory not had.
bool ElClipboardSetText(HWND owner, const WideString& text);

// The clipboard's Unicode text up to its first zero; without one, its
// narrow text widened. False when it holds no text or cannot be opened.
bool ElClipboardGetText(HWND owner, WideString& text);
