#pragma once
// A process for settings tests: modules with resources, names and versions
// set by the test, a fixed clock, and message boxes recorded instead of shown.
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "crash/ModuleSettingsList.h"
#include "crash/SettingsEnvironment.h"

class TFakeSettingsEnvironment : public ISettingsEnvironment {
 public:
  struct TModule {
    std::string fileName;
    std::string fileVersion;
    std::map<std::string, std::string> resources;
    std::map<std::int32_t, std::string> versionVariables;
    std::uintptr_t size = 0x10000;
  };

  static constexpr TModuleHandle kExecutable = 0x400000;
  std::map<TModuleHandle, TModule> modules;
  TModuleHandle reporter = kExecutable;
  bool reporterInPackage = false;
  bool sharedBufferFails = false;
  TLocalTime now{2026, 12, 10, 9, 5, 7, 42};
  std::vector<std::string> messages;  // "caption: text"

  TFakeSettingsEnvironment() : FList(FLock, FHead) {
    modules[kExecutable].fileName = "Ravelin.exe";
  }

  TModuleHandle ReporterModule() override { return reporter; }
  TModuleHandle ExecutableModule() override { return kExecutable; }
  bool ReporterInPackage() override { return reporterInPackage; }
  std::vector<TModuleHandle> Modules() override {
    std::vector<TModuleHandle> handles;
    for (const auto& [handle, module] : modules) handles.push_back(handle);
    return handles;
  }
  TModuleHandle LoadedModule(const std::string& fileName) override {
    for (const auto& [handle, module] : modules)
      if (module.fileName == fileName) return handle;
    return 0;
  }
  TModuleHandle ModuleOfAddress(std::uintptr_t address) override {
    for (const auto& [handle, module] : modules)
      if (address >= handle && address < handle + module.size) return handle;
    return 0;
  }
  std::optional<std::string> FindModuleResource(TModuleHandle module, const std::string& name) override {
    const auto found = modules.find(module);
    if (found == modules.end()) return std::nullopt;
    const auto resource = found->second.resources.find(name);
    if (resource == found->second.resources.end()) return std::nullopt;
    return resource->second;
  }
  // Reads only: the settings' threads call these at the same time.
  std::string ModuleFileName(TModuleHandle module) override { return Module(module).fileName; }
  std::string FileVersion(TModuleHandle module) override { return Module(module).fileVersion; }
  std::string VersionVariableText(TModuleHandle module, std::int32_t offset) override {
    const auto& variables = Module(module).versionVariables;
    const auto found = variables.find(offset);
    return found == variables.end() ? std::string() : found->second;
  }
  TLocalTime Now() override { return now; }
  void ShowMessage(const std::string& text, const std::string& caption) override {
    messages.push_back(caption + ": " + text);
  }
  TModuleSettingsList* SharedSettings() override { return sharedBufferFails ? nullptr : &FList; }

  // Entries still in the shared list.
  int LiveEntries() const {
    int count = 0;
    for (TModuleSettingsEntry* entry = FHead; entry != nullptr; entry = entry->Next) ++count;
    return count;
  }

 private:
  const TModule& Module(TModuleHandle handle) const {
    static const TModule kNone;
    const auto found = modules.find(handle);
    return found == modules.end() ? kNone : found->second;
  }
  class TMutexLock : public ISettingsLock {
   public:
    void Lock() override { FMutex.lock(); }
    void Unlock() override { FMutex.unlock(); }

   private:
    std::recursive_mutex FMutex;
  };
  TMutexLock FLock;
  TModuleSettingsEntry* FHead = nullptr;
  TModuleSettingsList FList;
};

// Builds settings resources byte by byte, as the resource writer does.
class TSettingsResourceBuilder {
 public:
  TSettingsResourceBuilder(const std::string& className = "TOstrel",
                           const std::string& objectName = "Ostrel") {
    FBytes = "TPF0" + Short(className) + Short(objectName);
  }
  TSettingsResourceBuilder& Bool(const std::string& name, bool value) {
    FBytes += Short(name) + char(value ? 9 : 8);
    return *this;
  }
  TSettingsResourceBuilder& Int(const std::string& name, std::int32_t value) {
    FBytes += Short(name) + char(4);
    for (int i = 0; i < 4; ++i) FBytes += char((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
    return *this;
  }
  TSettingsResourceBuilder& Text(const std::string& name, const std::string& value) {
    FBytes += Short(name) + char(6) + Short(value);
    return *this;
  }
  TSettingsResourceBuilder& Raw(const std::string& bytes) {
    FBytes += bytes;
    return *this;
  }
  std::string End() const { return FBytes + std::string(2, '\0'); }
  std::string Unterminated() const { return FBytes; }

  static std::string Short(const std::string& text) { return char(text.size()) + text; }

 private:
  std::string FBytes;
};
