#include "crash/ui/assistant/AssistantForm.h"

#include <cstring>
#include <functional>
#include <map>

#include "crash/SettingsStreamReader.h"
#include "crash/TextItems.h"

TAssistantFormItem* TAssistantForm::Item(const std::string& name) {
  for (TAssistantFormItem& item : Items)
    if (SameNameNoCase(item.Name, name)) return &item;
  return nullptr;
}

const TAssistantFormItem* TAssistantForm::Item(const std::string& name) const {
  return const_cast<TAssistantForm*>(this)->Item(name);
}

namespace {

// The item classes a form resource may hold.
const std::map<std::string, TAssistantItemKind> kItemClasses = {
    {"TMEButton", TAssistantItemKind::Button}, {"TMELabel", TAssistantItemKind::Label},
    {"TMEEdit", TAssistantItemKind::Edit},     {"TMECheckBox", TAssistantItemKind::CheckBox},
    {"TMEImage", TAssistantItemKind::Image},
};

TAssistantOutputType ReadOutputType(TSettingsStreamReader& reader) {
  const std::string ident = reader.ReadIdent();
  if (ident == "nvoHeader") return TAssistantOutputType::Header;
  if (ident == "nvoOwnSection") return TAssistantOutputType::OwnSection;
  throw TSettingsStreamError("unknown output type " + ident);
}

void ReadItemProperty(TSettingsStreamReader& reader, const std::string& name, TAssistantFormItem& item) {
  using TSetter = std::function<void(TSettingsStreamReader&, TAssistantFormItem&)>;
  static const std::map<std::string, TSetter> setters = {
      {"Caption", [](auto& r, auto& i) { i.Caption = r.ReadString(); }},
      {"Enabled", [](auto& r, auto& i) { i.Enabled = r.ReadBoolean(); }},
      {"Visible", [](auto& r, auto& i) { i.Visible = r.ReadBoolean(); }},
      {"NoOwnerDraw", [](auto& r, auto& i) { i.NoOwnerDraw = r.ReadBoolean(); }},
      {"Spacing", [](auto& r, auto& i) { i.Spacing = r.ReadInteger(); }},
      {"Colored", [](auto& r, auto& i) { i.Colored = r.ReadBoolean(); }},
      {"Lines", [](auto& r, auto& i) { i.Lines = r.ReadInteger(); }},
      {"Optional", [](auto& r, auto& i) { i.Optional = r.ReadBoolean(); }},
      {"OutputName", [](auto& r, auto& i) { i.OutputName = r.ReadString(); }},
      {"OutputType", [](auto& r, auto& i) { i.OutputType = ReadOutputType(r); }},
      {"Text", [](auto& r, auto& i) { i.Text = r.ReadString(); }},
      {"Valid", [](auto& r, auto& i) { i.Valid = r.ReadBoolean(); }},
      {"Checked", [](auto& r, auto& i) { i.Checked = r.ReadBoolean(); }},
      {"Border", [](auto& r, auto& i) { i.Border = r.ReadBoolean(); }},
      {"Clickable", [](auto& r, auto& i) { i.Clickable = r.ReadBoolean(); }},
      {"File", [](auto& r, auto& i) { i.File = r.ReadString(); }},
      {"Width", [](auto& r, auto& i) { i.Width = r.ReadInteger(); }},
      {"Height", [](auto& r, auto& i) { i.Height = r.ReadInteger(); }},
  };
  const auto setter = setters.find(name);
  if (setter == setters.end()) throw TSettingsStreamError("unknown item property " + name);
  setter->second(reader, item);
}

void ReadFormProperty(TSettingsStreamReader& reader, const std::string& name, TAssistantForm& form) {
  if (name == "Message")
    form.Message = reader.ReadString();
  else if (name == "MinWidth")
    form.MinWidth = reader.ReadInteger();
  else if (name == "OnAction")
    form.OnAction = reader.ReadString();
  else if (name == "Timer")
    form.Timer = reader.ReadInteger();
  else if (name == "ActiveControl")
    form.ActiveControl = reader.ReadIdent();
  else
    throw TSettingsStreamError("unknown form property " + name);
}

// Items hold no children of their own: their list is empty.
void ReadNoChildren(TSettingsStreamReader& reader) {
  if (reader.ReadShortString() != "") throw TSettingsStreamError("an item holds no items");
}

TAssistantFormItem ReadItem(TSettingsStreamReader& reader, const std::string& className) {
  const auto kind = kItemClasses.find(className);
  if (kind == kItemClasses.end()) throw TSettingsStreamError("unknown item class " + className);
  TAssistantFormItem item;
  item.Kind = kind->second;
  item.Name = reader.ReadShortString();
  for (std::string property = reader.ReadShortString(); !property.empty(); property = reader.ReadShortString())
    ReadItemProperty(reader, property, item);
  ReadNoChildren(reader);
  return item;
}

void RequireButton(const TAssistantForm& form, const char* name) {
  const TAssistantFormItem* button = form.Item(name);
  if (!button || button->Kind != TAssistantItemKind::Button)
    throw TSettingsStreamError(std::string("the form lacks its button ") + name);
}

}  // namespace

TAssistantForm ReadAssistantForm(const std::string& bytes) {
  TSettingsStreamReader reader(bytes);
  reader.ReadSignature();
  TAssistantForm form;
  form.ClassName = reader.ReadShortString();
  form.Name = reader.ReadShortString();
  for (std::string property = reader.ReadShortString(); !property.empty(); property = reader.ReadShortString())
    ReadFormProperty(reader, property, form);
  for (std::string className = reader.ReadShortString(); !className.empty(); className = reader.ReadShortString())
    form.Items.push_back(ReadItem(reader, className));
  for (const char* button : {"ContinueBtn", "SkipBtn", "CancelBtn"}) RequireButton(form, button);
  return form;
}
