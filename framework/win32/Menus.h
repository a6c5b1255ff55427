#pragma once
// Popup menus: a tree of items (caption, check mark, enabled state, default
// item, "-" for a separator, sub-menus) shown at a screen point. The
// platform menu is built anew for each showing, so items can change freely
// between showings; choosing an item runs its Click after the menu closed.
//
// Threads: a menu is shown by, and its handlers run on, the thread that
// calls Popup; it needs a window of that thread (its popup component's, or
// a hidden one made for the showing).
#include <windows.h>

#include <vector>

#include "framework/win32/Component.h"
#include "platform/WideString.h"

class TControl;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;
  std::string ClassName() const override { return "TMenuItem"; }

  const WideString& Caption() const { return FCaption; }
  void SetCaption(const WideString& value) { FCaption = value; }
  bool IsLine() const { return FCaption == u"-"; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool value) { FChecked = value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }
  // Shown in bold; the platform's choice on a double-click.
  bool Default() const { return FDefault; }
  void SetDefault(bool value) { FDefault = value; }

  // Sub-items, in menu order; the parent item frees its sub-items.
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
  TMenuItem* Parent() const { return FParent; }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  void Clear();

  // Runs OnClick (a disabled item does nothing).
  virtual void Click();
  TNotifyEvent OnClick;

 private:
  friend class TPopupMenu;
  WideString FCaption;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  std::string ClassName() const override { return "TPopupMenu"; }

  // The root item: its sub-items are the menu.
  TMenuItem* Items() { return FItems; }
  // Shown on a right click of a control that names this menu.
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool value) { FAutoPopup = value; }
  // The control the menu was last shown for (null when shown from code).
  TControl* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TControl* value) { FPopupComponent = value; }

  // Shows the menu at a screen point and waits until it closes; the chosen
  // item's Click runs before Popup returns.
  virtual void Popup(int x, int y);

  // Before the menu is built, to change items for this showing.
  TNotifyEvent OnPopup;

 private:
  HMENU Build(TMenuItem* parent, std::vector<TMenuItem*>& commands);

  TMenuItem* FItems;
  TControl* FPopupComponent = nullptr;
  bool FAutoPopup = true;
};
