// The edit's context menu: the control's own popup menu when it has one,
// else the platform's edit menu with the states of this edit, and the
// commands that come back from it.
#include <windows.h>
#include <windowsx.h>

#include "controls/edit/ElEditModel.h"
#include "controls/edit/win32/ElEdit.h"
#include "framework/win32/Menus.h"

namespace {

enum : UINT {
  kCmdCut = 768, kCmdCopy = 769, kCmdPaste = 770, kCmdDelete = 771, kCmdUndo = 772,
  kCmdSelectAll = 177, kCmdSelectAllAlt = 1025
};

struct TMenuCaption {
  UINT id;
  const wchar_t* caption;
};

constexpr TMenuCaption kCaptions[] = {{kCmdUndo, L"&Undo"},   {kCmdCut, L"Cu&t"},     {kCmdCopy, L"&Copy"},
                                      {kCmdPaste, L"&Paste"}, {kCmdDelete, L"&Delete"}, {kCmdSelectAll, L"&Select All"}};

// The platform's edit menu: the first submenu of menu 1 of its user library,
// detached so that the caller owns it.
HMENU LoadPlatformEditMenu() {
  HMENU top = LoadMenuW(GetModuleHandleW(L"user32.dll"), MAKEINTRESOURCEW(1));
  if (top == nullptr) return nullptr;
  HMENU sub = GetSubMenu(top, 0);
  if (sub != nullptr) RemoveMenu(top, 0, MF_BYPOSITION);
  DestroyMenu(top);
  return sub;
}

// The same commands built by hand, for a platform whose library has no menu.
HMENU BuildEditMenu() {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return nullptr;
  AppendMenuW(menu, MF_STRING, kCmdUndo, L"&Undo");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  for (UINT id : {kCmdCut, kCmdCopy, kCmdPaste, kCmdDelete})
    for (const TMenuCaption& c : kCaptions)
      if (c.id == id) AppendMenuW(menu, MF_STRING, id, c.caption);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kCmdSelectAll, L"&Select All");
  return menu;
}

void Gray(HMENU menu, UINT id, bool grayed) {
  EnableMenuItem(menu, id, MF_BYCOMMAND | (grayed ? MF_GRAYED : MF_ENABLED));
}

}  // namespace

HMENU TCustomElEdit::CreateContextMenu() {
  HMENU menu = LoadPlatformEditMenu();
  if (menu != nullptr) {
    // The reading-order and input-method entries do not apply to this edit.
    for (UINT id : {32768u, 32769u, 32787u}) DeleteMenu(menu, id, MF_BYCOMMAND);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    if (GetMenuItemCount(menu) > 8 && GetMenuItemInfoW(menu, 8, TRUE, &info) && (info.fType & MFT_SEPARATOR))
      DeleteMenu(menu, 8, MF_BYPOSITION);
  } else {
    menu = BuildEditMenu();
    if (menu == nullptr) return nullptr;
  }
  if (FLocalizedSystemMenu) {
    for (const TMenuCaption& c : kCaptions) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_STRING;
      info.dwTypeData = const_cast<wchar_t*>(c.caption);
      SetMenuItemInfoW(menu, c.id, FALSE, &info);
    }
  }
  const TElEditModel& model = *FModel;
  const bool selected = model.HasSelection() && model.GetSelLength() > 0;
  const bool clipboardText = IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_UNICODETEXT);
  Gray(menu, kCmdUndo, !model.GetCanUndo());
  Gray(menu, kCmdCut, !selected);
  Gray(menu, kCmdCopy, !selected);
  Gray(menu, kCmdDelete, !selected);
  Gray(menu, kCmdPaste, !clipboardText || model.ReadOnly());
  Gray(menu, kCmdSelectAll, model.GetSelLength() == model.Lines().TextLength());
  return menu;
}

void TCustomElEdit::WMContextMenu(TMessage& message) {
  POINT screen{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  const bool fromKeyboard = screen.x == -1 && screen.y == -1;
  POINT client{-1, -1};
  if (!fromKeyboard) {
    client = ScreenToClient(screen);
    const RECT area = ClientRect();
    if (!PtInRect(&area, client)) {
      TElXPThemedControl::WMContextMenu(message);
      return;
    }
  }
  bool handled = false;
  if (OnContextPopup) OnContextPopup(this, client, handled);
  if (handled) {
    message.Result = 1;
    return;
  }
  if ((PopupMenu() != nullptr && PopupMenu()->AutoPopup()) || !FUseSystemMenu) {
    TElXPThemedControl::WMContextMenu(message);
    return;
  }
  HMENU menu = CreateContextMenu();
  if (menu == nullptr) {
    TElXPThemedControl::WMContextMenu(message);
    return;
  }
  if (fromKeyboard) screen = ClientToScreen(POINT{0, 0});
  SetMouseCapture(false);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, FHandle, nullptr);
  DestroyMenu(menu);
  message.Result = 1;
}

// The menu's commands (WM_COMMAND from a menu carries no control); true
// when the message was one.
bool TCustomElEdit::CommandMessage(TMessage& message) {
  if (message.Msg != WM_COMMAND || message.LParam != 0) return false;
  TElEditModel& model = *FModel;
  const bool notify = model.NotifyUserChangeOnly();
  switch (LOWORD(message.WParam)) {
    case kCmdSelectAll:
    case kCmdSelectAllAlt: model.SelectAll(); break;
    case kCmdCut:
      model.CutToClipboard();
      if (notify) model.Change();
      break;
    case kCmdCopy: model.CopyToClipboard(); break;
    case kCmdPaste:
      model.PasteFromClipboard();
      if (notify) model.Change();
      break;
    case kCmdDelete:
      if (model.HasSelection()) model.DeleteSelection();
      if (notify) model.Change();
      break;
    case kCmdUndo: model.Undo(); break;
    default: return false;
  }
  message.Result = 0;
  return true;
}
