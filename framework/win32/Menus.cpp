#include "framework/win32/Menus.h"

#include <algorithm>

#include "framework/win32/Control.h"
#include "framework/win32/UtilityWindow.h"
#include "framework/win32/WinControl.h"
#include "platform/ScopeGuard.h"

namespace {
LPCWSTR W(const WideString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }
}  // namespace

// --- TMenuItem --------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  SetDestroying();
  Clear();
  if (FParent != nullptr) FParent->Remove(this);
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (item == nullptr || item == this) return;
  if (item->FParent != nullptr) item->FParent->Remove(item);
  index = std::max(0, std::min(index, Count()));
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto found = std::find(FItems.begin(), FItems.end(), item);
  if (found == FItems.end()) return;
  FItems.erase(found);
  item->FParent = nullptr;
}

void TMenuItem::Clear() {
  while (!FItems.empty()) {
    TMenuItem* item = FItems.back();
    FItems.pop_back();
    item->FParent = nullptr;
    // Items owned as components elsewhere are their owner's to free.
    if (item->Owner() == nullptr) delete item;
  }
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) OnClick(this);
}

// --- TPopupMenu -------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), FItems(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu() { delete FItems; }

HMENU TPopupMenu::Build(TMenuItem* parent, std::vector<TMenuItem*>& commands) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return nullptr;
  for (TMenuItem* item : parent->FItems) {
    if (!item->FVisible) continue;
    if (item->IsLine()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (item->FChecked) flags |= MF_CHECKED;
    if (!item->FEnabled) flags |= MF_GRAYED;
    if (item->Count() > 0) {
      HMENU sub = Build(item, commands);
      if (sub == nullptr) continue;
      AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), W(item->FCaption));
    } else {
      commands.push_back(item);
      // Command ids start at 1: 0 means that nothing was chosen.
      AppendMenuW(menu, flags, commands.size(), W(item->FCaption));
      if (item->FDefault) SetMenuDefaultItem(menu, static_cast<UINT>(commands.size()), FALSE);
    }
  }
  return menu;
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  std::vector<TMenuItem*> commands;
  HMENU menu = Build(FItems, commands);
  if (menu == nullptr) return;
  auto destroyMenu = OnScopeExit([menu] { DestroyMenu(menu); });
  // The menu's owner must be a window of this thread.
  HWND owner = nullptr;
  auto* windowed = dynamic_cast<TWinControl*>(FPopupComponent);
  if (windowed == nullptr && FPopupComponent != nullptr) windowed = FPopupComponent->Parent();
  if (windowed != nullptr && windowed->HandleAllocated() &&
      GetWindowThreadProcessId(windowed->Handle(), nullptr) == GetCurrentThreadId())
    owner = windowed->Handle();
  HWND hidden = nullptr;
  if (owner == nullptr) owner = hidden = AllocateHWnd([](TMessage& m) { m.Result = 0; });
  auto freeHidden = OnScopeExit([hidden] { DeallocateHWnd(hidden); });
  if (owner == nullptr) return;
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, owner, nullptr));
  if (chosen >= 1 && chosen <= commands.size()) commands[chosen - 1]->Click();
}
