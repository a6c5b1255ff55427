#include "crash/ui/assistant/win32/AssistantFormWindow.h"
#include "platform/win32/PlainWindowClass.h"

#include <algorithm>

#include "crash/ui/assistant/AssistantRules.h"

namespace {

// Layout in pixels.
constexpr int kMargin = 11;
constexpr int kHeadlineHeight = 20;
constexpr int kLabelHeight = 16;
constexpr int kEditHeight = 21;
constexpr int kMemoLineHeight = 14;
constexpr int kCheckBoxHeight = 18;
constexpr int kGap = 4;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kDefaultImageWidth = 320;
constexpr int kDefaultImageHeight = 200;
constexpr int kMinimumWidth = 300;
// The background of a coloured edit that still holds Continue back.
constexpr COLORREF kNeedsInputColour = RGB(255, 228, 225);


HFONT MakeFont(int weight) {
  HFONT font = CreateFontA(-11, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
  return font ? font : CreateFontA(-12, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

int ButtonId(const std::string& name) {
  if (name == "ContinueBtn") return TAssistantFormWindow::kContinueId;
  if (name == "SkipBtn") return TAssistantFormWindow::kSkipId;
  return TAssistantFormWindow::kCancelId;
}

}  // namespace

TAssistantFormWindow::TAssistantFormWindow(TAssistantForm& form, const std::string& title, TIMEException& exception)
    : FForm(form),
      FTitle(title),
      FException(exception),
      FHandler(FindAssistantFormHandler(form.OnAction)),
      FImages(form.Items.size()) {}

TAssistantFormWindow::~TAssistantFormWindow() {
  if (FWindow) DestroyWindow(FWindow);
}

TAssistantFormResult TAssistantFormWindow::ShowModal(HWND owner) {
  FForm.Result = afrNone;
  FDone = false;
  Create(owner);
  if (!FWindow) {
    // Without a window nothing can be asked: as if the user cancelled.
    FForm.Result = afrCancel;
    return FForm.Result;
  }
  Call(aaShow, nullptr);
  if (FForm.Timer > 0) SetTimer(FWindow, 1, static_cast<UINT>(FForm.Timer), nullptr);
  // The first control takes the focus when the window is activated, and
  // whichever had it gets it back on every later activation.
  FFocused = FirstFocus();
  ShowWindow(FWindow, SW_SHOW);
  if (GetActiveWindow() != FWindow) SetActiveWindow(FWindow);
  Activated(true);
  MSG message;
  while (!FDone) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The thread is asked to end: leave as cancelled, keep the request.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      Leave(afrCancel);
      break;
    }
    if (TabOutOfMemo(message) || IsDialogMessageA(FWindow, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  KillTimer(FWindow, 1);
  DestroyWindow(FWindow);
  FWindow = nullptr;
  return FForm.Result;
}

bool TAssistantFormWindow::TabOutOfMemo(const MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || GetParent(message.hwnd) != FWindow) return false;
  if (!(GetWindowLongA(message.hwnd, GWL_STYLE) & ES_MULTILINE)) return false;
  char className[8] = "";
  GetClassNameA(message.hwnd, className, sizeof className);
  if (lstrcmpiA(className, "EDIT") != 0) return false;
  const bool backwards = GetKeyState(VK_SHIFT) < 0;
  if (HWND next = GetNextDlgTabItem(FWindow, message.hwnd, backwards)) SetFocus(next);
  return true;
}

void TAssistantFormWindow::Create(HWND owner) {
  RegisterPlainWindowClass(TAssistantFormWindow::kClassName, IDC_ARROW);
  FFont.Reset(MakeFont(FW_NORMAL));
  FBoldFont.Reset(MakeFont(FW_BOLD));
  FNeedsInputBrush.Reset(CreateSolidBrush(kNeedsInputColour));
  const int width = std::max(FForm.MinWidth, kMinimumWidth);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  FWindow = CreateWindowExA(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClassName, FTitle.c_str(),
                            style, 0, 0, width, 100, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!FWindow) return;
  SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));

  const int inner = width - 2 * kMargin;
  int top = kMargin;
  HWND headline = CreateControl("STATIC", FForm.Message, SS_LEFT, kHeadlineId,
                                {kMargin, top, kMargin + inner, top + kHeadlineHeight});
  SendMessageA(headline, WM_SETFONT, reinterpret_cast<WPARAM>(FBoldFont.Get()), FALSE);
  top += kHeadlineHeight + kGap;
  for (std::size_t i = 0; i < FForm.Items.size(); ++i) top = CreateItem(i, top, inner);

  // The visible buttons in a row at the right, created in tab order.
  top += kGap * 2;
  const char* const names[] = {"ContinueBtn", "SkipBtn", "CancelBtn"};
  int visible = 0;
  for (const char* name : names) visible += FForm.Item(name)->Visible ? 1 : 0;
  int left = kMargin + inner - visible * kButtonWidth - (visible - 1) * kGap * 2;
  for (const char* name : names) {
    const TAssistantFormItem* button = FForm.Item(name);
    if (!button->Visible) continue;
    const DWORD kind = ButtonId(name) == kContinueId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    CreateControl("BUTTON", button->Caption, kind | WS_TABSTOP, ButtonId(name),
                  {left, top, left + kButtonWidth, top + kButtonHeight});
    left += kButtonWidth + kGap * 2;
  }
  top += kButtonHeight + kMargin;

  RECT frame{0, 0, width, top};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  const int frameWidth = frame.right - frame.left;
  const int frameHeight = frame.bottom - frame.top;
  SetWindowPos(FWindow, nullptr, (GetSystemMetrics(SM_CXSCREEN) - frameWidth) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - frameHeight) / 2, frameWidth, frameHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowItems();
}

int TAssistantFormWindow::CreateItem(std::size_t index, int top, int width) {
  const TAssistantFormItem& item = FForm.Items[index];
  const int id = kFirstItemId + static_cast<int>(index);
  top += item.Spacing;
  switch (item.Kind) {
    case TAssistantItemKind::Button:
      return top - item.Spacing;  // placed at the bottom
    case TAssistantItemKind::Label:
      CreateControl("STATIC", item.Caption, SS_LEFT, id, {kMargin, top, kMargin + width, top + kLabelHeight});
      return top + kLabelHeight;
    case TAssistantItemKind::Edit: {
      const bool memo = item.Lines > 1;
      const int height = memo ? item.Lines * kMemoLineHeight + 8 : kEditHeight;
      const DWORD style = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL |
                          (memo ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL : 0);
      CreateControl("EDIT", item.Text, style, id, {kMargin, top, kMargin + width, top + height});
      return top + height + kGap;
    }
    case TAssistantItemKind::CheckBox:
      CreateControl("BUTTON", item.Caption, BS_AUTOCHECKBOX | WS_TABSTOP, id,
                    {kMargin, top, kMargin + width, top + kCheckBoxHeight});
      return top + kCheckBoxHeight + kGap;
    case TAssistantItemKind::Image: {
      const int imageWidth = std::min(item.Width > 0 ? item.Width : kDefaultImageWidth, width);
      const int imageHeight = item.Height > 0 ? item.Height : kDefaultImageHeight;
      const DWORD style = SS_BITMAP | SS_CENTERIMAGE | (item.Clickable ? SS_NOTIFY : 0) | (item.Border ? WS_BORDER : 0);
      CreateControl("STATIC", "", style, id, {kMargin, top, kMargin + imageWidth, top + imageHeight});
      // A picture the form names itself; a handler may replace it.
      if (!item.File.empty() && !FImages[index])
        FImages[index].Reset(static_cast<HBITMAP>(
            LoadImageA(nullptr, item.File.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
      return top + imageHeight + kGap;
    }
  }
  return top;
}

HWND TAssistantFormWindow::CreateControl(const char* className, const std::string& text, DWORD style, int id,
                                         RECT bounds) {
  HWND control = CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, bounds.left, bounds.top,
                                 bounds.right - bounds.left, bounds.bottom - bounds.top, FWindow,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
  return control;
}

void TAssistantFormWindow::SetImage(const std::string& name, void* bitmap) {
  for (std::size_t i = 0; i < FForm.Items.size(); ++i) {
    if (FForm.Items[i].Kind != TAssistantItemKind::Image || FForm.Items[i].Name != name) continue;
    // The control lets go of the old bitmap before it is deleted.
    TGdiObject<HBITMAP> next(static_cast<HBITMAP>(bitmap));
    if (FWindow)
      SendMessageA(Control(kFirstItemId + static_cast<int>(i)), STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(next.Get()));
    FImages[i] = std::move(next);
  }
}

void TAssistantFormWindow::ShowItems() {
  FShowing = true;
  for (std::size_t i = 0; i < FForm.Items.size(); ++i) {
    const TAssistantFormItem& item = FForm.Items[i];
    HWND control = item.Kind == TAssistantItemKind::Button ? Control(ButtonId(item.Name))
                                                           : Control(kFirstItemId + static_cast<int>(i));
    if (!control) continue;
    if (item.Kind == TAssistantItemKind::Edit && WindowText(control) != item.Text)
      SetWindowTextA(control, item.Text.c_str());
    if (item.Kind == TAssistantItemKind::Edit && item.Colored) InvalidateRect(control, nullptr, TRUE);
    if (item.Kind == TAssistantItemKind::CheckBox)
      SendMessageA(control, BM_SETCHECK, item.Checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (item.Kind == TAssistantItemKind::Image && FImages[i])
      SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(FImages[i].Get()));
    const bool heldBack =
        item.Kind == TAssistantItemKind::Button && ButtonId(item.Name) == kContinueId && !ContinueAllowed(FForm);
    EnableWindow(control, item.Enabled && !heldBack);
  }
  FShowing = false;
}

HWND TAssistantFormWindow::FirstFocus() const {
  HWND continueButton = Control(kContinueId);
  const bool toContinue = FForm.FocusContinue || FForm.ActiveControl == "ContinueBtn";
  if (toContinue && continueButton && IsWindowEnabled(continueButton)) return continueButton;
  return GetNextDlgTabItem(FWindow, nullptr, FALSE);
}

void TAssistantFormWindow::Activated(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(FWindow, focus)) FFocused = focus;
    return;
  }
  if (!FFocused || !IsWindow(FFocused) || !IsWindowEnabled(FFocused)) FFocused = FirstFocus();
  if (FFocused) SetFocus(FFocused);
}

LRESULT CALLBACK TAssistantFormWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TAssistantFormWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  // Nothing may escape into the system's dispatching: a failing handler
  // leaves the form as cancelled.
  try {
    return self->Handle(message, wParam, lParam);
  } catch (...) {
    self->Leave(afrCancel);
    return 0;
  }
}

LRESULT TAssistantFormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      Leave(afrCancel);
      return 0;
    case WM_TIMER:
      Call(aaChanged, nullptr);
      return 0;
    case WM_CTLCOLOREDIT:
      if (NeedsInput(reinterpret_cast<HWND>(lParam))) {
        SetBkColor(reinterpret_cast<HDC>(wParam), kNeedsInputColour);
        return reinterpret_cast<LRESULT>(FNeedsInputBrush.Get());
      }
      return DefWindowProcA(FWindow, message, wParam, lParam);
    case WM_ACTIVATE:
      Activated(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_SETCURSOR:
      if (OverClickableImage(reinterpret_cast<HWND>(wParam))) {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
        return TRUE;
      }
      return DefWindowProcA(FWindow, message, wParam, lParam);
    default:
      return DefWindowProcA(FWindow, message, wParam, lParam);
  }
}

bool TAssistantFormWindow::NeedsInput(HWND control) const {
  const int index = GetDlgCtrlID(control) - kFirstItemId;
  if (GetParent(control) != FWindow || index < 0 || index >= static_cast<int>(FForm.Items.size())) return false;
  const TAssistantFormItem& item = FForm.Items[static_cast<std::size_t>(index)];
  return item.Kind == TAssistantItemKind::Edit && item.Colored && !item.Optional && (!item.Valid || item.Text.empty());
}

bool TAssistantFormWindow::OverClickableImage(HWND control) const {
  const int index = GetDlgCtrlID(control) - kFirstItemId;
  if (GetParent(control) != FWindow || index < 0 || index >= static_cast<int>(FForm.Items.size())) return false;
  const TAssistantFormItem& item = FForm.Items[static_cast<std::size_t>(index)];
  return item.Kind == TAssistantItemKind::Image && item.Clickable && item.Enabled;
}

void TAssistantFormWindow::Command(int id, int code) {
  if (FDone) return;
  switch (id) {
    case kContinueId:
      if (IsWindowEnabled(Control(kContinueId))) Leave(afrContinue);  // Enter with Continue off does nothing
      return;
    case kSkipId:
      if (IsWindowEnabled(Control(kSkipId))) Leave(afrSkip);
      return;
    case kCancelId:
      Leave(afrCancel);
      return;
    default:
      if (id >= kFirstItemId && id < kFirstItemId + static_cast<int>(FForm.Items.size()))
        ItemChanged(static_cast<std::size_t>(id - kFirstItemId), code);
  }
}

void TAssistantFormWindow::ItemChanged(std::size_t index, int code) {
  if (FShowing) return;  // the controls are being set from the items
  TAssistantFormItem& item = FForm.Items[index];
  HWND control = Control(kFirstItemId + static_cast<int>(index));
  if (item.Kind == TAssistantItemKind::Edit && code == EN_CHANGE) {
    item.Text = WindowText(control);
  } else if (item.Kind == TAssistantItemKind::CheckBox && code == BN_CLICKED) {
    item.Checked = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
  } else if (!(item.Kind == TAssistantItemKind::Image && code == STN_CLICKED)) {
    return;
  }
  Call(aaChanged, &item);
}

void TAssistantFormWindow::Leave(TAssistantFormResult result) {
  if (FDone) return;
  FDone = true;
  FForm.Result = result;
  Call(aaClosed, nullptr);
}

void TAssistantFormWindow::Call(TAssistantAction action, TAssistantFormItem* item) {
  if (FHandler) {
    TAssistantFormCall call{FForm, action, item, FException, *this};
    // A handler that fails is left out from then on; the form itself goes on.
    try {
      FHandler(call);
    } catch (...) {
      FHandler = nullptr;
    }
  }
  if (FWindow && action != aaClosed) ShowItems();
}
