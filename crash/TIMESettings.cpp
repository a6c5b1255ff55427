#include "crash/TIMESettings.h"

#include "crash/SettingsResource.h"
#include "crash/TextItems.h"

namespace {

// The values of the placeholders of one settings object's texts.
class TSettingsPlaceholders : public IPlaceholderSource {
 public:
  TSettingsPlaceholders(ISettingsEnvironment& environment, TIMESettings& settings)
      : FEnvironment(environment), FSettings(settings) {}
  std::string AppName() override {
    return FEnvironment.ModuleFileName(FEnvironment.ExecutableModule());
  }
  std::string ModuleName() override { return FEnvironment.ModuleFileName(FSettings.ModuleHandle()); }
  std::string AppVersion() override {
    const TModuleHandle executable = FEnvironment.ExecutableModule();
    if (executable == FSettings.ModuleHandle()) return ModuleVersion();
    TIMESettings settings(FEnvironment, executable);
    return VersionOf(settings);
  }
  std::string ModuleVersion() override { return VersionOf(FSettings); }
  TLocalTime Now() override { return FEnvironment.Now(); }

 private:
  std::string VersionOf(TIMESettings& settings) {
    std::string version = settings.VersionText();
    if (version.empty()) version = FEnvironment.FileVersion(settings.ModuleHandle());
    return version.empty() ? std::string("?") : version;
  }
  ISettingsEnvironment& FEnvironment;
  TIMESettings& FSettings;
};

// Publishes value into slot unless another thread was first; either way
// answers what slot then holds.
template <typename T>
T Publish(std::mutex& lock, T& slot, T value) {
  std::lock_guard<std::mutex> guard(lock);
  if (!slot) slot = std::move(value);
  return slot;
}

TSettingProperty Property(const std::string& name, TPropertyType kind) {
  TSettingProperty property;
  property.Name = name;
  property.Kind = kind;
  return property;
}

}  // namespace

// The link from the extra-fields lists back to their settings object. A list
// may be kept, and changed on any thread, after the object is gone: the link
// is cut first, and a write-back in progress finishes before the object goes.
class TIMESettings::TFieldsWriteBack {
 public:
  explicit TFieldsWriteBack(TIMESettings* settings) : FSettings(settings) {}
  void Write(const IMEFields& fields) {
    std::lock_guard<std::mutex> guard(FLock);
    if (FSettings != nullptr) FSettings->WriteText("AddFields", FieldsText(fields));
  }
  void Cut() {
    std::lock_guard<std::mutex> guard(FLock);
    FSettings = nullptr;
  }

 private:
  std::mutex FLock;
  TIMESettings* FSettings;
};

TIMESettings::TIMESettings(ISettingsEnvironment& environment, TModuleHandle module)
    : FEnvironment(environment),
      FModule(module),
      FFieldsWriteBack(std::make_shared<TFieldsWriteBack>(this)) {
  Load();
  if (FModule != FEnvironment.ReporterModule())
    FReporterSettings = std::make_unique<TIMESettings>(FEnvironment, FEnvironment.ReporterModule());
}

TIMESettings::~TIMESettings() {
  FFieldsWriteBack->Cut();
  if (FList != nullptr) FList->Release(FEntry);
}

void TIMESettings::Load() {
  const std::optional<std::string> resource = FEnvironment.FindModuleResource(FModule, kSettingsResourceName);
  if (!resource) return;  // no settings: every read answers from the fallbacks
  TModuleSettingsList* list = FEnvironment.SharedSettings();
  if (list == nullptr) return;  // the environment has said why
  FList = list;
  FEntry = FList->Acquire(FModule, [&](TModuleSettingsEntry& entry) {
    entry.Valid = ParseSettingsResource(*resource, entry.Properties, [&](const std::string& text) {
      FEnvironment.ShowMessage(text, kSettingsCaption);
    });
    DecipherPasswords(entry.Properties);
  });
}

bool TIMESettings::Valid() const { return FEntry != nullptr && FEntry->Valid; }

void TIMESettings::Refresh() {
  if (FEntry == nullptr) return;
  const std::optional<std::string> resource = FEnvironment.FindModuleResource(FModule, kSettingsResourceName);
  FList->Locked([&] {
    FEntry->Properties.Clear();
    FEntry->Valid = resource && ParseSettingsResource(*resource, FEntry->Properties,
                                                      [&](const std::string& text) {
                                                        FEnvironment.ShowMessage(text, kSettingsCaption);
                                                      });
    DecipherPasswords(FEntry->Properties);
  });
  std::lock_guard<std::mutex> guard(FLazyLock);
  FExtraFields.reset();
  FExtraAttachments.reset();
  FVersionText.reset();
}

std::optional<TSettingProperty> TIMESettings::LookupOwn(const std::string& name) {
  std::optional<TSettingProperty> found;
  if (FEntry == nullptr) return found;
  FList->Locked([&] {
    if (const TSettingProperty* property = FEntry->Properties.Find(name)) found = *property;
  });
  return found;
}

std::optional<TSettingProperty> TIMESettings::LookupFallback(const std::string& name) {
  if (FReporterSettings) return FReporterSettings->Lookup(name);
  if (const TSettingProperty* builtIn = FindBuiltInSetting(name)) return *builtIn;
  return std::nullopt;
}

std::optional<TSettingProperty> TIMESettings::Lookup(const std::string& name) {
  std::optional<TSettingProperty> found = LookupOwn(name);
  return found ? found : LookupFallback(name);
}

bool TIMESettings::Write(const TSettingProperty& value) {
  if (!Valid()) return false;
  bool written = false;
  FList->Locked([&] {
    TSettingProperty* property = FEntry->Properties.Find(value.Name);
    if (property == nullptr) {
      FEntry->Properties.Append(value);
      written = true;
    } else if (property->Kind == value.Kind) {
      *property = value;
      written = true;
    }
  });
  return written;
}

std::string TIMESettings::Expand(const std::string& text) {
  TSettingsPlaceholders placeholders(FEnvironment, *this);
  return ExpandPlaceholders(text, placeholders, "%exceptMsg%", "%bugReport%");
}

bool TIMESettings::ReadBool(const std::string& name) {
  const std::optional<TSettingProperty> property = Lookup(name);
  return property && property->BoolValue;
}

std::int32_t TIMESettings::ReadInt(const std::string& name) {
  const std::optional<TSettingProperty> property = Lookup(name);
  return property ? property->IntValue : 0;
}

std::string TIMESettings::ReadText(const std::string& name) {
  const std::optional<TSettingProperty> property = Lookup(name);
  return property ? Expand(property->TextValue) : std::string();
}

bool TIMESettings::WriteBool(const std::string& name, bool value) {
  TSettingProperty property = Property(name, ptBoolean);
  property.BoolValue = value;
  return Write(property);
}

bool TIMESettings::WriteInt(const std::string& name, std::int32_t value) {
  TSettingProperty property = Property(name, ptInteger);
  property.IntValue = value;
  return Write(property);
}

bool TIMESettings::WriteText(const std::string& name, const std::string& value) {
  TSettingProperty property = Property(name, ptString);
  property.TextValue = value;
  return Write(property);
}

#define OSTREL_READER_Bool ReadBool
#define OSTREL_READER_Int ReadInt
#define OSTREL_READER_Text ReadText
#define OSTREL_WRITER_Bool WriteBool
#define OSTREL_WRITER_Int WriteInt
#define OSTREL_WRITER_Text WriteText
#define OSTREL_ACCESSORS(Name, Kind, Default)                                     \
  TSetting##Kind TIMESettings::Name() { return OSTREL_READER_##Kind(#Name); }      \
  bool TIMESettings::Set##Name(const TSetting##Kind& value) {                     \
    return OSTREL_WRITER_##Kind(#Name, value);                                     \
  }
OSTREL_SETTINGS(OSTREL_ACCESSORS)
#undef OSTREL_ACCESSORS

bool TIMESettings::MinDebugInfo() { return !ReadText("MinDebugInfo").empty(); }

std::shared_ptr<IMEFields> TIMESettings::ExtraFields() {
  {
    std::lock_guard<std::mutex> guard(FLazyLock);
    if (FExtraFields) return FExtraFields;
  }
  auto fields = std::make_shared<TIMEFields>();
  ParseFieldsText(ReadText("AddFields"), *fields);
  // Every later change is written back in the same form, while this object lives.
  // The list itself raises the change, so it is alive whenever this runs.
  const TIMEFields* changed = fields.get();
  fields->OnChange = [writeBack = FFieldsWriteBack, changed] { writeBack->Write(*changed); };
  return Publish(FLazyLock, FExtraFields, std::move(fields));
}

std::shared_ptr<IMEAttachments> TIMESettings::ExtraAttachments() {
  {
    std::lock_guard<std::mutex> guard(FLazyLock);
    if (FExtraAttachments) return FExtraAttachments;
  }
  auto attachments = std::make_shared<TIMEAttachments>();
  ParseAttachmentsText(ReadText("AddAttachs"), *attachments);
  return Publish(FLazyLock, FExtraAttachments, std::move(attachments));
}

bool TIMESettings::PluginEnabled(const std::string& name) {
  for (const std::string& item : SplitText(ReadText("Plugins"), '|'))
    if (SameNameNoCase(item, name)) return true;
  return false;
}

void TIMESettings::SetPluginEnabled(const std::string& name, bool enabled) {
  const std::string plugins = ReadText("Plugins");
  if (enabled) {
    if (PluginEnabled(name)) return;
    WriteText("Plugins", plugins.empty() ? name : plugins + "|" + name);
    return;
  }
  std::vector<std::string> kept;
  for (const std::string& item : SplitText(plugins, '|'))
    if (!SameNameNoCase(item, name)) kept.push_back(item);
  WriteText("Plugins", JoinText(kept, '|'));
}

std::string TIMESettings::VersionText() {
  {
    std::lock_guard<std::mutex> guard(FLazyLock);
    if (FVersionText) return *FVersionText;
  }
  const std::int32_t offset = ReadInt("VersionVar");
  std::optional<std::string> text =
      offset != 0 ? FEnvironment.VersionVariableText(FModule, offset) : std::string();
  return *Publish(FLazyLock, FVersionText, std::move(text));
}

std::unique_ptr<TMEAssistant> TIMESettings::BuildAssistant(const std::string& name) {
  for (int index = 1;; ++index) {
    const std::optional<TSettingProperty> setting = Lookup("Assistant" + std::to_string(index));
    if (!setting) return nullptr;
    std::vector<std::string> items = SplitText(Expand(setting->TextValue), '|');
    if (!SameNameNoCase(items[0], name)) continue;
    auto assistant = std::make_unique<TMEAssistant>();
    assistant->name = items[0];
    if (items.size() > 1) assistant->title = items[1];
    const bool screenshot = TakesScreenshot() && ReadInt("ScrShotDepth") > 0;
    for (size_t i = 2; i < items.size(); ++i) {
      if (!screenshot && SameNameNoCase(items[i], "ScrShotForm")) continue;
      TMEForm form;
      form.name = items[i];
      if (std::optional<std::string> resource = FEnvironment.FindModuleResource(FModule, FormResourceName(form.name))) {
        form.found = true;
        form.resource = std::move(*resource);
      }
      assistant->forms.push_back(std::move(form));
    }
    LoadFormCache(*assistant);
    return assistant;
  }
}

void TIMESettings::SaveFormCache(const TMEAssistant& assistant) {
  FFormCache.BeginUpdate();
  for (const TMEForm& form : assistant.forms) {
    for (const TMEFormItem& item : form.items) {
      if (item.kind == TMEFormItemKind::Edit)
        FFormCache.Add(item.name, item.text);
      else if (item.kind == TMEFormItemKind::CheckBox)
        FFormCache.Add(item.name, item.checked ? "+" : "-");
    }
  }
  FFormCache.EndUpdate();
}

void TIMESettings::LoadFormCache(TMEAssistant& assistant) {
  for (TMEForm& form : assistant.forms) {
    bool any = false;
    bool all = true;
    for (TMEFormItem& item : form.items) {
      if (item.kind == TMEFormItemKind::Other) continue;
      const int index = FFormCache.IndexOf(item.name);
      if (index < 0) {
        all = false;
        continue;
      }
      any = true;
      const std::string value = FFormCache.Content(index);
      if (item.kind == TMEFormItemKind::Edit)
        item.text = value;
      else
        item.checked = value == "+";
    }
    form.focusContinue = any && all;
  }
}

namespace {

bool HasOwnSettings(TIMESettings& settings) { return settings.Valid() && !settings.NoSettings(); }

}  // namespace

std::shared_ptr<TIMESettings> SettingsOfModule(ISettingsEnvironment& environment,
                                               TModuleHandle module) {
  auto settings = std::make_shared<TIMESettings>(environment, module);
  if (HasOwnSettings(*settings)) return settings;
  const bool search = settings->Valid() || environment.ReporterInPackage();
  if (!search) return settings;
  std::vector<TModuleHandle> candidates = {environment.ReporterModule()};
  if (TModuleHandle ide = environment.LoadedModule("OstrelIde_.bpl")) candidates.push_back(ide);
  for (TModuleHandle other : environment.Modules()) candidates.push_back(other);
  for (TModuleHandle candidate : candidates) {
    if (candidate == 0 || candidate == module) continue;
    auto other = std::make_shared<TIMESettings>(environment, candidate);
    if (HasOwnSettings(*other)) return other;
  }
  return settings;
}

std::shared_ptr<TIMESettings> SettingsOfAddress(ISettingsEnvironment& environment,
                                                std::uintptr_t address) {
  const TModuleHandle reporter = environment.ReporterModule();
  const TModuleHandle module = environment.ModuleOfAddress(address);
  if (module != 0 && module != reporter &&
      environment.FindModuleResource(module, kSettingsResourceName)) {
    auto settings = SettingsOfModule(environment, module);
    if (settings->Valid()) return settings;
  }
  return SettingsOfModule(environment, reporter);
}
