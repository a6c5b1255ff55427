#pragma once
// One stored crash-report setting and the list of them that a module's
// settings resource fills.
#include <cstdint>
#include <string>
#include <vector>

enum TPropertyType : std::uint8_t { ptString = 0, ptInteger = 1, ptBoolean = 2, ptBinary = 3 };

struct TSettingProperty {
  std::string Name;
  TPropertyType Kind = ptString;
  bool BoolValue = false;
  std::int32_t IntValue = 0;
  std::string TextValue;
};

// Properties in the order they were read; room for 131 at first, then 20 more
// at a time.
class TSettingPropertyList {
 public:
  static constexpr int kInitialCapacity = 131;
  static constexpr int kGrowth = 20;

  // Names compare exactly (case-sensitive).
  const TSettingProperty* Find(const std::string& name) const;
  TSettingProperty* Find(const std::string& name);
  TSettingProperty& Append(TSettingProperty property);
  void Clear();

  int Count() const { return static_cast<int>(FItems.size()); }
  int Capacity() const { return FCapacity; }
  const TSettingProperty& operator[](int index) const { return FItems[static_cast<size_t>(index)]; }

 private:
  std::vector<TSettingProperty> FItems;
  int FCapacity = 0;
};

// The built-in default of a setting; nullptr for a name it does not know.
const TSettingProperty* FindBuiltInSetting(const std::string& name);
int BuiltInSettingCount();
