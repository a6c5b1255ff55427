#pragma once
// The crash reporter's settings as every part of it reads them.
#include <cstdint>
#include <memory>
#include <string>

#include "crash/MEAssistant.h"
#include "crash/MEAttachments.h"
#include "crash/MEFields.h"
#include "crash/SettingsTable.h"

using TModuleHandle = std::uintptr_t;

using TSettingBool = bool;
using TSettingInt = std::int32_t;
using TSettingText = std::string;

class IMESettings {
 public:
  virtual ~IMESettings() = default;
  virtual TModuleHandle ModuleHandle() const = 0;

  // A read accessor named after each setting and a write accessor Set<Name>,
  // which answers false when the write was refused.
#define OSTREL_ACCESSORS(Name, Kind, Default) \
  virtual TSetting##Kind Name() = 0;          \
  virtual bool Set##Name(const TSetting##Kind& value) = 0;
  OSTREL_SETTINGS(OSTREL_ACCESSORS)
#undef OSTREL_ACCESSORS

  virtual std::shared_ptr<IMEFields> ExtraFields() = 0;
  virtual std::shared_ptr<IMEAttachments> ExtraAttachments() = 0;
  virtual bool PluginEnabled(const std::string& name) = 0;
  virtual void SetPluginEnabled(const std::string& name, bool enabled) = 0;
  virtual std::string VersionText() = 0;
  // nullptr when no assistant setting has that name.
  virtual std::unique_ptr<TMEAssistant> BuildAssistant(const std::string& name) = 0;
};

class IMEModuleSettings : public IMESettings {
 public:
  virtual bool Valid() const = 0;
  // True when the map information fingerprint is present.
  virtual bool MinDebugInfo() = 0;
  // Re-reads the module's resource, dropping run-time changes.
  virtual void Refresh() = 0;
};
