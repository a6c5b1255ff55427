#pragma once
// The settings of one module: its own properties from its resource (shared
// by every user in the process), then the reporter's own module's settings,
// then the built-in defaults. Texts come back with their placeholders
// expanded, the exception message and report placeholders left standing.
// Any thread may read and write; the lists it hands out may outlive it.
#include <memory>
#include <mutex>
#include <optional>

#include "crash/IMESettings.h"
#include "crash/ModuleSettingsList.h"
#include "crash/SettingsEnvironment.h"

class TIMESettings : public IMEModuleSettings {
 public:
  TIMESettings(ISettingsEnvironment& environment, TModuleHandle module);
  ~TIMESettings() override;
  TIMESettings(const TIMESettings&) = delete;
  TIMESettings& operator=(const TIMESettings&) = delete;

  TModuleHandle ModuleHandle() const override { return FModule; }

#define OSTREL_ACCESSORS(Name, Kind, Default) \
  TSetting##Kind Name() override;             \
  bool Set##Name(const TSetting##Kind& value) override;
  OSTREL_SETTINGS(OSTREL_ACCESSORS)
#undef OSTREL_ACCESSORS

  std::shared_ptr<IMEFields> ExtraFields() override;
  std::shared_ptr<IMEAttachments> ExtraAttachments() override;
  bool PluginEnabled(const std::string& name) override;
  void SetPluginEnabled(const std::string& name, bool enabled) override;
  std::string VersionText() override;
  std::unique_ptr<TMEAssistant> BuildAssistant(const std::string& name) override;

  bool Valid() const override;
  bool MinDebugInfo() override;
  void Refresh() override;

  // Any setting by name, whatever kind it was stored as.
  bool ReadBool(const std::string& name);
  std::int32_t ReadInt(const std::string& name);
  std::string ReadText(const std::string& name);
  // False when refused: the settings are not valid, or the setting is
  // stored with another kind.
  bool WriteBool(const std::string& name, bool value);
  bool WriteInt(const std::string& name, std::int32_t value);
  bool WriteText(const std::string& name, const std::string& value);

  void SaveFormCache(const TMEAssistant& assistant);
  void LoadFormCache(TMEAssistant& assistant);
  const TIMEFields& FormCache() const { return FFormCache; }

 protected:
  // The property a read finds, copied out; nullopt when it is nowhere.
  virtual std::optional<TSettingProperty> Lookup(const std::string& name);
  virtual bool Write(const TSettingProperty& value);
  // Whether this object's reports will carry a screenshot.
  virtual bool TakesScreenshot() { return true; }
  std::optional<TSettingProperty> LookupOwn(const std::string& name);
  std::optional<TSettingProperty> LookupFallback(const std::string& name);
  std::string Expand(const std::string& text);
  ISettingsEnvironment& Environment() { return FEnvironment; }

 private:
  class TFieldsWriteBack;
  void Load();

  ISettingsEnvironment& FEnvironment;
  TModuleHandle FModule;
  TModuleSettingsList* FList = nullptr;    // set with FEntry
  TModuleSettingsEntry* FEntry = nullptr;
  std::unique_ptr<TIMESettings> FReporterSettings;  // for another module's fallbacks
  // Built on first use, by whichever thread comes first; FLazyLock guards the
  // three members, never the building, which reads settings itself.
  std::mutex FLazyLock;
  std::shared_ptr<TIMEFields> FExtraFields;
  std::shared_ptr<TIMEAttachments> FExtraAttachments;
  std::optional<std::string> FVersionText;
  // Where the extra-fields lists write their changes back; cut off when this
  // object goes, so that a list kept longer writes nothing.
  std::shared_ptr<TFieldsWriteBack> FFieldsWriteBack;
  TIMEFields FFormCache;
};

// The settings that apply to a module: its own when valid and not marked
// NoSettings, else those of the first module of the process that has its own.
std::shared_ptr<TIMESettings> SettingsOfModule(ISettingsEnvironment& environment,
                                               TModuleHandle module);
// The settings of the module that contains a code address.
std::shared_ptr<TIMESettings> SettingsOfAddress(ISettingsEnvironment& environment,
                                                std::uintptr_t address);
