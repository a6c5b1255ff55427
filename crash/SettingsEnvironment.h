#pragma once
// What the settings need of the process they live in: its modules and their
// resources, file names and versions, the clock, and the message box. The
// Windows build answers from the system; tests answer from a fake.
#include <optional>
#include <string>
#include <vector>

#include "crash/IMESettings.h"
#include "crash/Placeholders.h"

class TModuleSettingsList;

class ISettingsEnvironment {
 public:
  virtual ~ISettingsEnvironment() = default;

  // The module that contains the reporter itself, and the executable.
  virtual TModuleHandle ReporterModule() = 0;
  virtual TModuleHandle ExecutableModule() = 0;
  // True when the reporter lives in a run-time package rather than the executable.
  virtual bool ReporterInPackage() = 0;
  // Module images of the process in ascending address order.
  virtual std::vector<TModuleHandle> Modules() = 0;
  // 0 when not loaded / when no module contains the address.
  virtual TModuleHandle LoadedModule(const std::string& fileName) = 0;
  virtual TModuleHandle ModuleOfAddress(std::uintptr_t address) = 0;

  // The bytes of an RT_RCDATA resource, from the module's resource module
  // first and from the module itself second; nullopt when neither has it.
  virtual std::optional<std::string> FindModuleResource(TModuleHandle module, const std::string& name) = 0;
  // File name with extension.
  virtual std::string ModuleFileName(TModuleHandle module) = 0;
  // "a.b.c.d", or empty when the file carries no version.
  virtual std::string FileVersion(TModuleHandle module) = 0;
  // The zero-terminated text that the variable at the module-relative address
  // points to; empty when it cannot be read.
  virtual std::string VersionVariableText(TModuleHandle module, std::int32_t offset) = 0;
  virtual TLocalTime Now() = 0;

  // A message box without owner and with an OK button.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;

  // The process-wide list of loaded module settings; nullptr when the shared
  // buffer that holds it could be neither created nor opened.
  virtual TModuleSettingsList* SharedSettings() = 0;
};
