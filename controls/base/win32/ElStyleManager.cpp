#include "controls/base/win32/ElStyleManager.h"

#include <algorithm>

#include "controls/base/win32/ElXPThemedControl.h"

namespace {
TElStyleManager*& DefaultManagerSlot() {
  static TElStyleManager* manager = nullptr;
  return manager;
}
}  // namespace

void TElStyleChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

TElStyleManager::TElStyleManager(TComponent* owner) : TComponent(owner) {}

TElStyleManager::~TElStyleManager() {
  if (DefaultManagerSlot() == this) DefaultManagerSlot() = nullptr;
  for (TElStyleChangeLink* link : FLinks) link->FSender = nullptr;
}

void TElStyleManager::SetStyle(const std::string& name, const TElStyleProperties& properties) {
  auto found = std::find_if(FStyles.begin(), FStyles.end(),
                            [&name](const auto& style) { return style.first == name; });
  if (found != FStyles.end())
    found->second = properties;
  else
    FStyles.emplace_back(name, properties);
  Changed();
}

void TElStyleManager::RemoveStyle(const std::string& name) {
  auto found = std::find_if(FStyles.begin(), FStyles.end(),
                            [&name](const auto& style) { return style.first == name; });
  if (found == FStyles.end()) return;
  FStyles.erase(found);
  Changed();
}

const TElStyleProperties* TElStyleManager::FindStyle(const std::string& name) const {
  for (const auto& style : FStyles)
    if (style.first == name) return &style.second;
  return nullptr;
}

void TElStyleManager::RegisterChanges(TElStyleChangeLink* link) {
  if (link == nullptr || std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) return;
  link->FSender = this;
  FLinks.push_back(link);
}

void TElStyleManager::UnregisterChanges(TElStyleChangeLink* link) {
  auto found = std::find(FLinks.begin(), FLinks.end(), link);
  if (found == FLinks.end()) return;
  (*found)->FSender = nullptr;
  FLinks.erase(found);
}

void TElStyleManager::ApplyStyle(TElXPThemedControl* control, const std::string& name) {
  const TElStyleProperties* style = FindStyle(name);
  if (control == nullptr || style == nullptr) return;
  // A copy: a control's setter may change this manager's styles.
  const TElStyleProperties properties = *style;
  for (const auto& property : properties) {
    try {
      control->SetStyleProperty(property.first, property.second);
    } catch (const EConvertError& error) {
      throw EElStyleError("Style \"" + name + "\": " + error.Message());
    }
  }
}

TElStyleManager* TElStyleManager::DefaultManager() { return DefaultManagerSlot(); }

void TElStyleManager::SetDefaultManager(TElStyleManager* manager) { DefaultManagerSlot() = manager; }

void TElStyleManager::Changed() {
  // A copy: a control may unregister while it applies the change.
  const std::vector<TElStyleChangeLink*> links = FLinks;
  for (TElStyleChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
}
