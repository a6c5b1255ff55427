#include "app/FolderBrowser.h"

#include <objbase.h>

void FillBrowseInfo(BROWSEINFOW& info, HWND owner, const WideString& initialPath, const WideString& title) {
  ZeroMemory(&info, sizeof(info));
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = nullptr;
  info.lpszTitle = reinterpret_cast<LPCWSTR>(title.c_str());
  // Not BIF_RETURNONLYFSDIRS: a virtual folder counts as chosen, with an empty path.
  info.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_UAHINT;
  info.lpfn = BrowseCallback;
  info.lParam = initialPath.empty() ? 0 : reinterpret_cast<LPARAM>(initialPath.c_str());
  info.iImage = 0;
}

int CALLBACK BrowseCallback(HWND window, UINT msg, LPARAM /*param*/, LPARAM data) {
  // The wide message: the data is the wide path itself, not an item list.
  if (msg == BFFM_INITIALIZED) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

bool BrowseForFolder(HWND owner, const WideString& initialPath, const WideString& title, wchar_t* buffer) {
  // The new dialog style needs COM in this thread's single-threaded apartment.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOW info;
  FillBrowseInfo(info, owner, initialPath, title);
  LPITEMIDLIST items = SHBrowseForFolderW(&info);
  bool chosen = false;
  if (items != nullptr) {
    SHGetPathFromIDListW(items, buffer);
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != nullptr) {
      allocator->Free(items);
      allocator->Release();
    }
    chosen = true;
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return chosen;
}
