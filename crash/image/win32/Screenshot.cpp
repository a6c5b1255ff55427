#include "crash/image/win32/Screenshot.h"

#include <vector>

namespace {

RECT CaptureArea(HDC screen) {
  if (GetSystemMetrics(SM_CMONITORS) > 0) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  }
  return {0, 0, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES)};
}

// Top-level windows from the top of the z-order down.
struct TTopWindow {
  RECT rect;
  bool own;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
  if (!IsWindowVisible(window)) return TRUE;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  TTopWindow top{};
  GetWindowRect(window, &top.rect);
  top.own = process == GetCurrentProcessId() && !IsIconic(window);
  reinterpret_cast<std::vector<TTopWindow>*>(data)->push_back(top);
  return TRUE;
}

// The own windows' bounding rectangle inside the area, and the region (in
// that rectangle's coordinates) where no other window lies over them.
// False when there is nothing of the application to capture.
bool OwnVisibleParts(const RECT& area, RECT& bounds, TGdiObject<HRGN>& visible) {
  std::vector<TTopWindow> windows;
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
  SetRectEmpty(&bounds);
  for (const TTopWindow& w : windows)
    if (w.own) UnionRect(&bounds, &bounds, &w.rect);
  if (!IntersectRect(&bounds, &bounds, &area)) return false;

  visible.Reset(CreateRectRgn(0, 0, 0, 0));
  TGdiObject<HRGN> covered(CreateRectRgn(0, 0, 0, 0));
  TGdiObject<HRGN> piece(CreateRectRgn(0, 0, 0, 0));
  if (!visible || !covered || !piece) return false;
  for (const TTopWindow& w : windows) {
    TGdiObject<HRGN> rect(CreateRectRgnIndirect(&w.rect));
    if (!rect) return false;
    if (w.own) {
      CombineRgn(piece.Get(), rect.Get(), covered.Get(), RGN_DIFF);
      CombineRgn(visible.Get(), visible.Get(), piece.Get(), RGN_OR);
    }
    CombineRgn(covered.Get(), covered.Get(), rect.Get(), RGN_OR);
  }
  OffsetRgn(visible.Get(), -bounds.left, -bounds.top);
  RECT box;
  return GetRgnBox(visible.Get(), &box) != NULLREGION;
}

// The cursor of the thread whose window is under the mouse.
HCURSOR CursorOfWindowUnder(POINT position) {
  const DWORD self = GetCurrentThreadId();
  const DWORD owner = GetWindowThreadProcessId(WindowFromPoint(position), nullptr);
  const bool attach = owner != 0 && owner != self && AttachThreadInput(self, owner, TRUE);
  HCURSOR cursor = GetCursor();
  if (attach) AttachThreadInput(self, owner, FALSE);
  return cursor;
}

// The cursor as the system shows it; when the system does not say, the one
// of the thread that owns the window under the mouse.
HCURSOR VisibleCursor(POINT& position) {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  if (GetCursorInfo(&info)) {
    position = info.ptScreenPos;
    return (info.flags & CURSOR_SHOWING) != 0 ? info.hCursor : nullptr;
  }
  if (!GetCursorPos(&position)) return nullptr;
  return CursorOfWindowUnder(position);
}

void DrawCursor(HDC target, const RECT& captured) {
  POINT position{};
  HCURSOR cursor = VisibleCursor(position);
  if (cursor == nullptr) return;
  ICONINFO icon{};
  if (!GetIconInfo(cursor, &icon)) {
    // Wine may report another process's cursor, which this one cannot read.
    cursor = CursorOfWindowUnder(position);
    if (cursor == nullptr || !GetIconInfo(cursor, &icon)) return;
  }
  TGdiObject<HBITMAP> mask(icon.hbmMask), colour(icon.hbmColor);  // GetIconInfo hands both over
  DrawIconEx(target, position.x - static_cast<int>(icon.xHotspot) - captured.left,
             position.y - static_cast<int>(icon.yHotspot) - captured.top, cursor, 0, 0, 0, nullptr, DI_NORMAL);
}

}  // namespace

TINVBitmapRef Screenshot(bool appOnly) {
  TWindowDC screen(nullptr);
  if (!screen) return nullptr;
  const RECT area = CaptureArea(screen.Get());
  RECT captured = area;
  TGdiObject<HRGN> visible;
  if (appOnly && !OwnVisibleParts(area, captured, visible)) return nullptr;
  auto bitmap = TINVBitmap::Create(captured.right - captured.left, captured.bottom - captured.top);
  if (!bitmap) return nullptr;
  HDC dc = bitmap->DC();
  if (visible) {
    PatBlt(dc, 0, 0, bitmap->Width(), bitmap->Height(), WHITENESS);
    SelectClipRgn(dc, visible.Get());
  }
  BitBlt(dc, 0, 0, bitmap->Width(), bitmap->Height(), screen.Get(), captured.left, captured.top,
         SRCCOPY | CAPTUREBLT);
  SelectClipRgn(dc, nullptr);
  DrawCursor(dc, captured);
  GdiFlush();
  return bitmap;
}
