#include "crash/SettingProperty.h"

#include <algorithm>
#include <utility>
#include <unordered_map>

#include "crash/SettingsTable.h"

const TSettingProperty* TSettingPropertyList::Find(const std::string& name) const {
  for (const TSettingProperty& property : FItems)
    if (property.Name == name) return &property;
  return nullptr;
}

TSettingProperty* TSettingPropertyList::Find(const std::string& name) {
  return const_cast<TSettingProperty*>(std::as_const(*this).Find(name));
}

TSettingProperty& TSettingPropertyList::Append(TSettingProperty property) {
  if (Count() == FCapacity) {
    FCapacity = FCapacity == 0 ? kInitialCapacity : FCapacity + kGrowth;
    FItems.reserve(static_cast<size_t>(FCapacity));
  }
  FItems.push_back(std::move(property));
  return FItems.back();
}

void TSettingPropertyList::Clear() {
  FItems.clear();
  FItems.shrink_to_fit();
  FCapacity = 0;
}

namespace {

TSettingProperty BuiltIn(const char* name, bool value) {
  TSettingProperty property;
  property.Name = name;
  property.Kind = ptBoolean;
  property.BoolValue = value;
  return property;
}

TSettingProperty BuiltIn(const char* name, int value) {
  TSettingProperty property;
  property.Name = name;
  property.Kind = ptInteger;
  property.IntValue = value;
  return property;
}

TSettingProperty BuiltIn(const char* name, const char* value) {
  TSettingProperty property;
  property.Name = name;
  property.Kind = ptString;
  property.TextValue = value;
  return property;
}

const std::vector<TSettingProperty>& BuiltInTable() {
#define OSTREL_BUILT_IN(Name, Kind, Default) BuiltIn(#Name, Default),
  static const std::vector<TSettingProperty> table = {OSTREL_SETTINGS(OSTREL_BUILT_IN)};
#undef OSTREL_BUILT_IN
  return table;
}

}  // namespace

const TSettingProperty* FindBuiltInSetting(const std::string& name) {
  static const std::unordered_map<std::string, const TSettingProperty*> index = [] {
    std::unordered_map<std::string, const TSettingProperty*> map;
    for (const TSettingProperty& property : BuiltInTable()) map.emplace(property.Name, &property);
    return map;
  }();
  const auto found = index.find(name);
  return found == index.end() ? nullptr : found->second;
}

int BuiltInSettingCount() { return static_cast<int>(BuiltInTable().size()); }
