#pragma once
// The small window that shows the track hint beside a dragged thumb: a text
// in the hint colours near a screen point. Main thread only.
#include <windows.h>

#include "framework/win32/Graphics.h"
#include "platform/WideString.h"

class TElScrollHintWindow {
 public:
  TElScrollHintWindow() = default;
  ~TElScrollHintWindow();
  TElScrollHintWindow(const TElScrollHintWindow&) = delete;
  TElScrollHintWindow& operator=(const TElScrollHintWindow&) = delete;

  // Shows text with its top-left corner at the screen point.
  void ShowAt(POINT screen, const WideString& text, TColor color, TColor textColor);
  void Hide();
  bool Showing() const { return FWindow != nullptr && IsWindowVisible(FWindow); }
  HWND Handle() const { return FWindow; }
  const WideString& Text() const { return FText; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  void PaintText(HDC dc);

  HWND FWindow = nullptr;
  WideString FText;
  COLORREF FColor = 0;
  COLORREF FTextColor = 0;
};
