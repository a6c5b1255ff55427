#pragma once
// The settings environment of a real Windows process: its loaded modules and
// their resources, the shared settings buffer every module of the process
// finds by name, and the system's message box. Any thread may use it.
#include <functional>
#include <memory>
#include <mutex>

#include "crash/SettingsEnvironment.h"
#include "crash/TIMESettings.h"

class TSharedSettingsBuffer;

class TWin32SettingsEnvironment : public ISettingsEnvironment {
 public:
  TWin32SettingsEnvironment();
  ~TWin32SettingsEnvironment() override;

  TModuleHandle ReporterModule() override;
  TModuleHandle ExecutableModule() override;
  bool ReporterInPackage() override;
  std::vector<TModuleHandle> Modules() override;
  TModuleHandle LoadedModule(const std::string& fileName) override;
  TModuleHandle ModuleOfAddress(std::uintptr_t address) override;
  std::optional<std::string> FindModuleResource(TModuleHandle module, const std::string& name) override;
  std::string ModuleFileName(TModuleHandle module) override;
  std::string FileVersion(TModuleHandle module) override;
  std::string VersionVariableText(TModuleHandle module, std::int32_t offset) override;
  TLocalTime Now() override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  TModuleSettingsList* SharedSettings() override;

 private:
  std::once_flag FBufferOpened;
  std::unique_ptr<TSharedSettingsBuffer> FBuffer;  // opened on first use; null when that failed
};

// The process's environment, made on first use.
TWin32SettingsEnvironment& SystemSettingsEnvironment();

// The seam of every message box the settings show: tests replace it so that
// nothing waits for a click. Returns the previous one.
using TSettingsMessageBox = std::function<void(const std::string& text, const std::string& caption)>;
TSettingsMessageBox SetSettingsMessageBox(TSettingsMessageBox messageBox);

// The settings of the module of the caller level frames up (0: the caller of
// this function), found by walking the frame-pointer chain.
std::shared_ptr<TIMESettings> SettingsOfCaller(int level);
