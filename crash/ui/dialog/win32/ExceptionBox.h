#pragma once
// TExceptionBox: the reporter's top-most exception dialog (window class
// "OstrelWndClass"), as a full dialog with the settings' buttons, with or
// without the report in its details view, or as a simple box with "OK" and
// "Details". It runs its own message loop on the handling thread until a
// button (or Escape, or the close box) ends it, and answers what ended it.
#include <windows.h>

#include <chrono>
#include <memory>
#include <string>

#include "crash/ui/dialog/ButtonLayout.h"
#include "crash/ui/dialog/DialogRules.h"

class TDetailsView;
class TDialogActions;
class TIMEException;

extern const char kExceptionBoxClass[];
// The control id of each button: kButtonIdBase + its code.
constexpr int kButtonIdBase = 100;
// Posted by the report's change callback from the completion thread.
constexpr UINT kReportChangedMessage = WM_APP + 1;

class TExceptionBox {
 public:
  TExceptionBox(TDialogActions& actions, bool simpleBox);
  ~TExceptionBox();
  TExceptionBox(const TExceptionBox&) = delete;
  TExceptionBox& operator=(const TExceptionBox&) = delete;

  // Shows the box and serves it until it ends: dbContinue, dbRestart or
  // dbClose (what to do now), dbShow (open again with the report), dbNone
  // (the window went without a decision). playSound: the first opening for
  // this exception.
  TDialogButton Run(bool playSound);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Create();
  void CreateFonts();
  void CreateButtons();
  void ApplyLayout();
  int ButtonWidth(int code) const;
  std::string Caption(int code) const;
  std::string MessageText() const;
  bool KeyDown(const MSG& msg);
  void Press(TDialogButton code);
  void End(TDialogButton result);
  void DrawButton(const DRAWITEMSTRUCT& item);
  void Tick();
  void StopAutomatic();
  void ResizeDetails();

  TDialogActions& FActions;
  TIMEException& FException;
  const bool FSimpleBox;
  const bool FShowReport;
  HWND FWindow = nullptr;
  HWND FText = nullptr;
  HWND FButtons[kDialogButtonCount] = {};
  HFONT FTextFont = nullptr, FReportFont = nullptr, FSmallFont = nullptr;
  TButtonVisibility FVisible{};
  TDialogLayout FLayout;
  bool FPicture = false;
  TDialogButton FAutoButton = dbNone;
  TDialogButton FFocused = dbNone;
  std::chrono::steady_clock::time_point FAutoStart;
  double FAutoFraction = 0;
  bool FDone = false;
  TDialogButton FResult = dbNone;
  int FCallbackId = 0;
  std::unique_ptr<TDetailsView> FDetails;
};
