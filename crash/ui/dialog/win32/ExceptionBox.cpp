#include "crash/ui/dialog/win32/ExceptionBox.h"
#include "platform/win32/PlainWindowClass.h"

#include <algorithm>

#include "crash/flow/TIMEException.h"
#include "crash/ui/dialog/win32/DetailsView.h"
#include "crash/ui/dialog/win32/DialogActions.h"
#include "crash/ui/dialog/win32/DialogPictures.h"
#include "platform/win32/HandleOwners.h"
#include "platform/win32/ModuleFileName.h"

const char kExceptionBoxClass[] = "OstrelWndClass";

namespace {

constexpr UINT_PTR kAutoTimer = 1;
constexpr UINT kAutoTimerMs = 10;
constexpr int kReportExtraHeight = 474;
constexpr int kMinButtonWidth = 75;
constexpr int kButtonPadding = 10;
constexpr int kButtonPicture = 16;
constexpr int kSimpleTextMaxWidth = 480;

const char* const kButtonPictures[kDialogButtonCount] = {"MEISEND",     "MEISAVE",    "MEIPRINT", "MEISHOW",
                                                          "MEICONTINUE", "MEIRESTART", "MEICLOSE"};


HFONT MakeFont(int height, const char* face, bool fixed) {
  return CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, (fixed ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS),
                     face);
}

// Whether the system gave the font asked for, not a substitute.
bool FontIs(HFONT font, const char* face) {
  TWindowDC screen(nullptr);
  TSelectedObject selected(screen.Get(), font);
  char actual[LF_FACESIZE] = "";
  GetTextFaceA(screen.Get(), sizeof actual, actual);
  return lstrcmpiA(actual, face) == 0;
}

SIZE MeasureText(HFONT font, const std::string& text, int wrapWidth) {
  TWindowDC screen(nullptr);
  TSelectedObject selected(screen.Get(), font);
  RECT box{0, 0, wrapWidth > 0 ? wrapWidth : 10000, 0};
  DrawTextA(screen.Get(), text.c_str(), static_cast<int>(text.size()), &box,
            DT_CALCRECT | DT_NOPREFIX | (wrapWidth > 0 ? DT_WORDBREAK : 0));
  return {box.right - box.left, box.bottom - box.top};
}

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
  for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size())
    text.replace(at, what.size(), with);
  return text;
}

std::string WithoutExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

void LeaveTopMost(HWND dialog) { SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

}  // namespace

TExceptionBox::TExceptionBox(TDialogActions& actions, bool simpleBox)
    : FActions(actions),
      FException(actions.Exception()),
      FSimpleBox(simpleBox),
      FShowReport(!simpleBox && actions.Exception().AutoShowBugRep()) {}

TExceptionBox::~TExceptionBox() {
  if (FCallbackId != 0) FException.RemoveReportChangeCallback(FCallbackId);
  FDetails.reset();
  if (FWindow != nullptr) DestroyWindow(FWindow);
  for (HFONT font : {FTextFont, FReportFont, FSmallFont})
    if (font != nullptr) DeleteObject(font);
}

std::string TExceptionBox::Caption(int code) const {
  TIMEException& e = FException;
  if (FSimpleBox) return code == dbContinue ? e.OkBtnTxt() : e.DetailsBtnTxt();
  switch (code) {
    case dbSend: return e.SendBtnTxt();
    case dbSave: return e.SaveBtnTxt();
    case dbPrint: return e.PrintBtnTxt();
    case dbShow: return e.ShowBtnTxt();
    case dbContinue: return e.ContinueBtnTxt();
    case dbRestart: return e.RestartBtnTxt();
    default: return e.CloseBtnTxt();
  }
}

std::string TExceptionBox::MessageText() const {
  TIMEException& e = FException;
  const bool frozen = e.EventKind() == ekFrozenMainThread;
  const std::string message = ReflowMessage(e.ExceptionMessage());
  if (FSimpleBox) return frozen ? e.FrozenMsg() : message;
  return ReplaceAll(frozen ? e.FrozenMsg() : e.ExceptMsg(), "%exceptMsg%", message);
}

void TExceptionBox::CreateFonts() {
  FTextFont = MakeFont(11, "Tahoma", false);
  if (!FontIs(FTextFont, "Tahoma")) {
    DeleteObject(FTextFont);
    FTextFont = MakeFont(12, "MS Sans Serif", false);
  }
  FReportFont = MakeFont(11, "Courier New", true);
  FSmallFont = MakeFont(8, "Small Fonts", false);
}

int TExceptionBox::ButtonWidth(int code) const {
  std::string caption = Caption(code);
  caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
  const int picture = FSimpleBox ? 0 : kButtonPicture + kButtonPadding / 2;
  return std::max(static_cast<int>(MeasureText(FTextFont, caption, 0).cx) + picture + 2 * kButtonPadding, kMinButtonWidth);
}

void TExceptionBox::CreateButtons() {
  TIMEException& e = FException;
  if (FSimpleBox) {
    FVisible[dbContinue] = FVisible[dbShow] = true;
  } else {
    FVisible = {e.SendBtnVis(), e.SaveBtnVis(), e.PrintBtnVis(), e.ShowBtnVis() && !FShowReport,
                e.ContinueBtnVis(), e.RestartBtnVis(), e.CloseBtnVis()};
  }
  for (int code = 0; code < kDialogButtonCount; ++code) {
    if (!FVisible[code]) continue;
    FButtons[code] = CreateWindowExA(0, "BUTTON", Caption(code).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                                     0, 0, 10, 10, FWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonIdBase + code)),
                                     GetModuleHandleA(nullptr), nullptr);
    SendMessageA(FButtons[code], WM_SETFONT, reinterpret_cast<WPARAM>(FTextFont), FALSE);
  }
  if (FButtons[dbContinue] != nullptr && ContinueDisabled(FVisible, e.CanContinue()))
    EnableWindow(FButtons[dbContinue], FALSE);
}

void TExceptionBox::ApplyLayout() {
  const std::string text = MessageText();
  const int textLeft = FPicture ? kDialogMargin + kPictureSize + 8 : kDialogMargin;
  if (FSimpleBox) {
    TSimpleBoxInput input;
    input.OkWidth = ButtonWidth(dbContinue);
    input.DetailsWidth = ButtonWidth(dbShow);
    input.TextLeft = textLeft;
    const SIZE natural = MeasureText(FTextFont, text, 0);
    const SIZE wrapped = MeasureText(FTextFont, text, std::min<int>(natural.cx, kSimpleTextMaxWidth));
    input.TextWidth = wrapped.cx;
    input.TextHeight = wrapped.cy;
    FLayout = LayOutSimpleBox(input);
  } else {
    TDialogLayoutInput input;
    for (int code = 0; code < kDialogButtonCount; ++code) input.ButtonWidths[code] = FVisible[code] ? ButtonWidth(code) : 0;
    input.ButtonHeight = FException.UglyBtns() ? 26 : 22;
    input.TextLeft = textLeft;
    input.MaxWidth = GetSystemMetrics(SM_CXSCREEN) - 5 * GetSystemMetrics(SM_CYCAPTION);
    input.TextHeight = MeasureText(FTextFont, text, input.MinWidth - textLeft - kDialogMargin).cy;
    FLayout = LayOutDialog(input);
    // A wider dialog than the minimum wraps the text less.
    input.TextHeight = MeasureText(FTextFont, text, FLayout.ClientWidth - textLeft - kDialogMargin).cy;
    FLayout = LayOutDialog(input);
  }
  const TLayoutRect& t = FLayout.Text;
  MoveWindow(FText, t.Left, t.Top, t.Width, t.Height, FALSE);
  for (int code = 0; code < kDialogButtonCount; ++code) {
    if (FButtons[code] == nullptr) continue;
    const TLayoutRect& b = FLayout.Buttons[code];
    MoveWindow(FButtons[code], b.Left, b.Top, b.Width, b.Height, FALSE);
  }
  RECT frame{0, 0, FLayout.ClientWidth, FLayout.ClientHeight + (FShowReport ? kReportExtraHeight : 0)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(FWindow, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(FWindow, GWL_EXSTYLE)));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(FWindow, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               std::max((GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TExceptionBox::Create() {
  RegisterPlainWindowClass(kExceptionBoxClass, IDC_ARROW);
  CreateFonts();
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | (FShowReport ? WS_THICKFRAME : 0);
  const std::string title = FSimpleBox ? WithoutExtension(ModuleFileNameOnly(nullptr))
                                       : ReplaceAll(FException.TitleBar(), "%exceptMsg%", FException.ExceptionMessage());
  FWindow = CreateWindowExA(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kExceptionBoxClass, title.c_str(),
                            style, 0, 0, 100, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (FWindow == nullptr) return;
  SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TExceptionBox::WindowProc));
  FPicture = HasPicture("MEIBIG");
  FText = CreateWindowExA(0, "STATIC", MessageText().c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 10,
                          10, FWindow, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(FText, WM_SETFONT, reinterpret_cast<WPARAM>(FTextFont), FALSE);
  CreateButtons();
  if (!FShowReport) {
    HMENU menu = GetSystemMenu(FWindow, FALSE);
    for (UINT item : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) DeleteMenu(menu, item, MF_BYCOMMAND);
  }
  ApplyLayout();
  if (FShowReport) {
    FDetails = std::make_unique<TDetailsView>(FWindow, FTextFont, FReportFont);
    FDetails->SetBeforeJump(&LeaveTopMost, FWindow);
    HWND window = FWindow;
    FCallbackId = FException.AddReportChangeCallback(
        [window](TIMEException&) { PostMessageA(window, kReportChangedMessage, 0, 0); }, false);
    FDetails->Refresh(FException.Header().Items(), FException.Sections().Items());
    ResizeDetails();
  }
}

void TExceptionBox::ResizeDetails() {
  if (!FDetails) return;
  RECT client;
  GetClientRect(FWindow, &client);
  const RECT area{kDialogMargin, FLayout.ClientHeight, client.right - kDialogMargin, client.bottom - kDialogMargin};
  FDetails->SetBounds(area);
}

TDialogButton TExceptionBox::Run(bool playSound) {
  Create();
  if (FWindow == nullptr) return dbNone;
  TIMEException& e = FException;
  TAutoButtonInput automatic;
  automatic.Visible = FVisible;
  automatic.CloseRuleHolds = FActions.CloseRuleHolds();
  automatic.RestartRuleHolds = FActions.RestartRuleHolds();
  automatic.AutoContinue = e.AutoContinue();
  automatic.CanContinue = e.CanContinue();
  FAutoButton = AutomaticButton(automatic);
  if (FAutoButton != dbNone) e.SetFocusedBtn(FAutoButton);
  FFocused = FSimpleBox && FAutoButton == dbNone ? dbContinue : static_cast<TDialogButton>(e.FocusedBtn());
  if (playSound) MessageBeep(MB_ICONHAND);
  ShowWindow(FWindow, SW_SHOW);
  SetForegroundWindow(FWindow);
  if (FFocused >= 0 && FFocused < kDialogButtonCount && FButtons[FFocused] != nullptr &&
      IsWindowEnabled(FButtons[FFocused]))
    SetFocus(FButtons[FFocused]);
  if (FAutoButton != dbNone) {
    FAutoStart = std::chrono::steady_clock::now();
    SetTimer(FWindow, kAutoTimer, kAutoTimerMs, nullptr);
  }
  MSG msg;
  while (!FDone) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that ends the thread
      break;
    }
    const bool ours = msg.hwnd == FWindow || IsChild(FWindow, msg.hwnd);
    if (ours && msg.message == WM_KEYDOWN && KeyDown(msg)) continue;
    if (!FDone && IsWindow(FWindow) && IsDialogMessageA(FWindow, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return FResult;
}

bool TExceptionBox::KeyDown(const MSG& msg) {
  switch (msg.wParam) {
    case VK_ESCAPE: {
      TCloseInput input{FVisible, FException.FocusedBtn(), FException.CanContinue(), FSimpleBox};
      const TDialogButton action = CloseWithoutButton(input);
      if (action != dbNone) Press(action);
      return true;
    }
    case VK_F1:
      FActions.Fire(eaHelp, FWindow);
      return true;
    case VK_RETURN:
      for (int code = 0; code < kDialogButtonCount; ++code)
        if (FButtons[code] != nullptr && GetFocus() == FButtons[code]) {
          Press(static_cast<TDialogButton>(code));
          return true;
        }
      return false;
    case 'C':
      if (GetKeyState(VK_CONTROL) >= 0) return false;
      FActions.Copy(FShowReport ? FException.ReportText(false) : FException.ExceptionMessage());
      return true;
    default:
      return false;
  }
}

void TExceptionBox::StopAutomatic() {
  if (FAutoButton == dbNone) return;
  KillTimer(FWindow, kAutoTimer);
  const HWND button = FButtons[FAutoButton];
  FAutoButton = dbNone;
  if (button != nullptr) InvalidateRect(button, nullptr, FALSE);
}

void TExceptionBox::Tick() {
  if (FAutoButton == dbNone) return;
  const double delay = std::max(FException.AutoDelay(), 0) * 1000.0;
  const double elapsed =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - FAutoStart).count();
  FAutoFraction = delay <= 0 ? 1.0 : std::min(elapsed / delay, 1.0);
  InvalidateRect(FButtons[FAutoButton], nullptr, FALSE);
  if (FAutoFraction >= 1.0) Press(FAutoButton);
}

void TExceptionBox::Press(TDialogButton code) {
  StopAutomatic();
  if (FDone) return;
  const TDialogButton action = EffectiveButton(code, FException.CanContinue());
  switch (action) {
    case dbSend:
      FActions.Send(FWindow);
      break;
    case dbSave:
      if (FActions.Save(FWindow) && TDialogActions::AbsoluteFileName(FException.BugRepFile()) &&
          FButtons[dbSave] != nullptr) {
        DestroyWindow(FButtons[dbSave]);
        FButtons[dbSave] = nullptr;
        FVisible[dbSave] = false;
      }
      break;
    case dbPrint:
      FActions.Print(FWindow);
      break;
    case dbShow:
      FActions.Fire(eaShowBugReport, FWindow);
      End(dbShow);
      break;
    case dbContinue:
      FActions.Fire(eaContinueApplication, FWindow);
      End(dbContinue);
      break;
    case dbRestart:
    case dbClose:
      if (!FActions.Fire(action == dbRestart ? eaRestartApplication : eaCloseApplication, FWindow)) End(action);
      break;
    default:
      break;
  }
}

void TExceptionBox::End(TDialogButton result) {
  FResult = result;
  FDone = true;
  if (FWindow != nullptr) {
    HWND window = FWindow;
    FWindow = nullptr;
    if (FCallbackId != 0) FException.RemoveReportChangeCallback(FCallbackId);
    FCallbackId = 0;
    FDetails.reset();
    DestroyWindow(window);
  }
}

void TExceptionBox::DrawButton(const DRAWITEMSTRUCT& item) {
  const int code = static_cast<int>(item.CtlID) - kButtonIdBase;
  if (code < 0 || code >= kDialogButtonCount) return;
  HDC dc = item.hDC;
  RECT box = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  RECT inner = box;
  InflateRect(&inner, -3, -3);
  int textLeft = inner.left;
  if (!FSimpleBox) {
    const bool cannot = code == dbContinue && disabled;
    const int y = (box.top + box.bottom - kButtonPicture) / 2;
    DrawPicture(dc, cannot ? "MEICANTCONTINUE" : kButtonPictures[code], inner.left + 3, y, disabled && !cannot);
    textLeft += kButtonPicture + 4;
  }
  char caption[256] = "";
  GetWindowTextA(item.hwndItem, caption, sizeof caption);
  RECT text{textLeft, inner.top, inner.right, inner.bottom};
  if (pushed) OffsetRect(&text, 1, 1);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  TSelectedObject font(dc, FTextFont);
  DrawTextA(dc, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  if (code == FAutoButton) {
    RECT bar{inner.left, inner.bottom - 3, inner.left + static_cast<int>((inner.right - inner.left) * FAutoFraction),
             inner.bottom};
    FillRect(dc, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
  if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(dc, &inner);
}

LRESULT CALLBACK TExceptionBox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<TExceptionBox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  if (box == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return box->Handle(window, message, wParam, lParam);
}

LRESULT TExceptionBox::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        const int code = LOWORD(wParam) - kButtonIdBase;
        if (code >= 0 && code < kDialogButtonCount) Press(static_cast<TDialogButton>(code));
      }
      return 0;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_PAINT: {
      TPaintScope paint(window);
      if (FPicture) DrawPicture(paint.Get(), "MEIBIG", FLayout.Picture.Left, FLayout.Picture.Top);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kAutoTimer) Tick();
      return 0;
    case WM_CLOSE: {
      TCloseInput input{FVisible, FException.FocusedBtn(), FException.CanContinue(), FSimpleBox};
      const TDialogButton action = CloseWithoutButton(input);
      if (action != dbNone) Press(action);
      return 0;
    }
    case WM_SIZE:
      ResizeDetails();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      RECT frame{0, 0, FLayout.ClientWidth, FLayout.ClientHeight + (FShowReport ? kReportExtraHeight / 2 : 0)};
      AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
      info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    case WM_NOTIFY:
      if (FDetails && FDetails->HandleNotify(*reinterpret_cast<const NMHDR*>(lParam))) return 0;
      break;
    case kReportChangedMessage:
      if (FDetails) FDetails->Refresh(FException.Header().Items(), FException.Sections().Items());
      return 0;
    case WM_DESTROY:
      FDone = true;
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
