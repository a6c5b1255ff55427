#pragma once
// The system's folder browser, opened on the current path.
#include <windows.h>
#include <shlobj.h>

#include "platform/WideString.h"

// The browser's record: no root (the desktop), no display name, the title,
// an edit box in the new dialog style with the usage hint, the callback that
// preselects the initial path (null data when the path is empty).
void FillBrowseInfo(BROWSEINFOW& info, HWND owner, const WideString& initialPath, const WideString& title);

// True when the user chose an item; buffer (at least MAX_PATH wide characters,
// zero-filled by the caller) then holds its file-system path, empty for an
// item that has none. False when the dialog was cancelled.
bool BrowseForFolder(HWND owner, const WideString& initialPath, const WideString& title, wchar_t* buffer);

// Preselects the initial path once the dialog is up; always 0.
int CALLBACK BrowseCallback(HWND window, UINT msg, LPARAM param, LPARAM data);
