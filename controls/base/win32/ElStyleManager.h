#pragma once
// Named property sets ("styles") that controls of the set take on by name.
// A style is an ordered list of property names and values in text form
// ("Color" = "clInfoBk", "Font.Style" = "fsBold,fsItalic"); a control takes
// the properties it knows and leaves the others, so one style can serve
// controls of different classes. Controls register a change link and apply
// their style again whenever the manager's styles change. One manager may be
// the program-wide default that every control of the set picks up when it
// is made. Main thread only (the default manager is a main-thread global).
#include <string>
#include <utility>
#include <vector>

#include "framework/Exception.h"
#include "framework/win32/Component.h"

RAVELIN_EXCEPTION_CLASS(EElStyleError, Exception);

class TElXPThemedControl;
class TElStyleManager;

using TElStyleProperties = std::vector<std::pair<std::string, std::string>>;

// Owned by a control; tells it that the manager's styles changed.
class TElStyleChangeLink {
 public:
  TNotifyEvent OnChange;
  TElStyleManager* Sender() const { return FSender; }
  void Change();

 private:
  friend class TElStyleManager;
  TElStyleManager* FSender = nullptr;
};

class TElStyleManager : public TComponent {
 public:
  explicit TElStyleManager(TComponent* owner);
  ~TElStyleManager() override;
  std::string ClassName() const override { return "TElStyleManager"; }

  // Adds or replaces a style and tells every registered control.
  void SetStyle(const std::string& name, const TElStyleProperties& properties);
  void RemoveStyle(const std::string& name);
  // Null when there is no style of that name (names compare exactly).
  const TElStyleProperties* FindStyle(const std::string& name) const;

  void RegisterChanges(TElStyleChangeLink* link);
  void UnregisterChanges(TElStyleChangeLink* link);
  int LinkCount() const { return static_cast<int>(FLinks.size()); }

  // Gives the control each property of the named style, in order; an
  // unknown style does nothing. A value the control cannot read raises
  // EElStyleError naming the style, the property and the value.
  void ApplyStyle(TElXPThemedControl* control, const std::string& name);

  // The manager that new controls of the set pick up; null for none. A
  // manager being destroyed stops being the default.
  static TElStyleManager* DefaultManager();
  static void SetDefaultManager(TElStyleManager* manager);

 private:
  void Changed();

  std::vector<std::pair<std::string, TElStyleProperties>> FStyles;
  std::vector<TElStyleChangeLink*> FLinks;
};
