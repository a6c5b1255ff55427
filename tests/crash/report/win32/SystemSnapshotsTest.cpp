// The modules, processes and hardware of the running system, as the report
// lists them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "crash/report/win32/SystemSnapshots.h"

namespace {

TEST(SystemSnapshots, ModulesHoldThisProgramAndTheSystemLibraries) {
  const std::vector<TModuleSnapshot> modules = ProcessModules();
  const auto named = [&](const char* name) {
    return std::find_if(modules.begin(), modules.end(), [&](const TModuleSnapshot& m) {
      return lstrcmpiA(m.FileName.c_str(), name) == 0;
    });
  };
  const auto self = named("crash_report_win32_tests.exe");
  ASSERT_NE(self, modules.end());
  EXPECT_EQ(self->LoadAddress, reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
  EXPECT_EQ(self->Directory.back(), '\\');
  const auto kernel = named("kernel32.dll");
  ASSERT_NE(kernel, modules.end());
  EXPECT_FALSE(kernel->Version.empty());  // system libraries carry a version
  const std::string text = ModulesSection(modules);
  EXPECT_NE(text.find("crash_report_win32_tests.exe"), std::string::npos);
}

TEST(SystemSnapshots, ProcessesHoldThisOneWithItsPriorityAndDirectory) {
  const std::vector<TProcessSnapshot> processes = SystemProcesses();
  const auto self = std::find_if(processes.begin(), processes.end(),
                                 [](const TProcessSnapshot& p) { return p.Id == GetCurrentProcessId(); });
  ASSERT_NE(self, processes.end());
  ASSERT_TRUE(self->PriorityClass);
  EXPECT_EQ(PriorityClassText(*self->PriorityClass), "normal");
  EXPECT_NE(self->Directory.find("tests"), std::string::npos) << self->Directory;
  const std::string text = ProcessesSection(processes, SystemDirectory());
  EXPECT_NE(text.find("crash_report_win32_tests.exe"), std::string::npos);
}

TEST(SystemSnapshots, HardwareListsEveryShownDeviceUnderItsClass) {
  const std::vector<TDeviceSnapshot> devices = HardwareDevices();
  ASSERT_FALSE(devices.empty());  // this Wine has a display adapter and a monitor at least
  const std::string text = HardwareSection(devices);
  for (const TDeviceSnapshot& device : devices) {
    const std::string name = device.FriendlyName.empty() ? device.Description : device.FriendlyName;
    const bool left = device.ClassName == "LegacyDriver" || device.ClassName == "Unknown" ||
                      device.ClassName == "Volume" || device.DriverHidden ||
                      _strnicmp(device.HardwareId.c_str(), "sw\\", 3) == 0;
    if (left || name.empty()) continue;
    EXPECT_NE(text.find("  - " + name), std::string::npos) << name;
    EXPECT_NE(text.find("+ " + device.ClassDescription), std::string::npos) << device.ClassDescription;
  }
}

}  // namespace
