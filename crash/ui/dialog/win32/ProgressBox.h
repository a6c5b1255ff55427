#pragma once
// A small top-most box with a title, a picture, the current step's text and
// a progress bar over weighted steps: the wait box while a complete report
// is awaited, the sending box while a report is sent. Create, use and
// destroy it on one thread, which must serve messages meanwhile (Pump).
#include <windows.h>

#include <string>

#include "crash/ui/dialog/ProgressSteps.h"

class TProgressBox {
 public:
  static constexpr int kBarRange = 1000;

  // picture: a bitmap resource name (see DialogPictures.h); owner may be null.
  TProgressBox(const std::string& title, const char* picture, HWND owner);
  ~TProgressBox();
  TProgressBox(const TProgressBox&) = delete;
  TProgressBox& operator=(const TProgressBox&) = delete;

  TProgressSteps& Steps() { return FSteps; }
  // Shows the steps' text and position.
  void Update();
  // Handles the messages waiting for this thread's windows.
  static void Pump();

  HWND Window() const { return FWindow; }
  // The bar's position, 0 to kBarRange.
  int BarPosition() const;
  std::string ShownText() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  TProgressSteps FSteps;
  const char* FPicture;
  HWND FWindow = nullptr;
  HWND FText = nullptr;
  HWND FBar = nullptr;
  HFONT FFont = nullptr;
};
