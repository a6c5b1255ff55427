#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "crash/SettingsResource.h"
#include "crash/win32/SharedSettingsBuffer.h"
#include "crash/win32/Win32SettingsEnvironment.h"

// What VersionVar may point at in a module.
extern "C" const char* const gRavelinTestVersion = "9.9 test build";

namespace {

// Records the settings' message boxes instead of showing them.
class Win32SettingsTest : public ::testing::Test {
 protected:
  std::vector<std::string> boxes;
  TSettingsMessageBox previous;
  void SetUp() override {
    previous = SetSettingsMessageBox(
        [this](const std::string& text, const std::string& caption) { boxes.push_back(caption + ": " + text); });
  }
  void TearDown() override { SetSettingsMessageBox(previous); }
  TWin32SettingsEnvironment& environment = SystemSettingsEnvironment();
};

TEST_F(Win32SettingsTest, TheExecutableCarriesThisBuildsSettings) {
  const TModuleHandle exe = environment.ExecutableModule();
  EXPECT_EQ(environment.ReporterModule(), exe);
  EXPECT_FALSE(environment.ReporterInPackage());
  ASSERT_TRUE(environment.FindModuleResource(exe, kSettingsResourceName).has_value());
  auto settings = SettingsOfModule(environment, exe);
  EXPECT_EQ(settings->ModuleHandle(), exe);
  EXPECT_TRUE(settings->Valid());
  EXPECT_TRUE(settings->Enabled());
  EXPECT_EQ(settings->FreezeTimeout(), 60000);
  EXPECT_EQ(settings->AutoDelay(), 60);
  EXPECT_EQ(settings->TitleBar(), "crash_tests.exe");
  EXPECT_EQ(settings->ExceptMsg(), "An error occurred in the application.");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Win32SettingsTest, TheSharedBufferIsNamedAfterTheProcessAndSharedByEveryUser) {
  auto held = SettingsOfModule(environment, environment.ExecutableModule());
  char pid[16];
  wsprintfA(pid, "%lx", GetCurrentProcessId());
  EXPECT_EQ(TSharedSettingsBuffer::BufferName(), std::string("OstrelSettingsBuf$") + pid);
  EXPECT_EQ(TSharedSettingsBuffer::MutexName(), std::string("OstrelSettingsMtx$") + pid);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, TSharedSettingsBuffer::BufferName().c_str());
  ASSERT_NE(mapping, nullptr);
  CloseHandle(mapping);
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, TSharedSettingsBuffer::MutexName().c_str());
  ASSERT_NE(mutex, nullptr);
  CloseHandle(mutex);

  // A second module's environment opens the same block and sees the same list.
  TWin32SettingsEnvironment other;
  auto viaOther = std::make_shared<TIMESettings>(other, environment.ExecutableModule());
  ASSERT_TRUE(held->SetSmtpPort(2525));
  EXPECT_EQ(viaOther->SmtpPort(), 2525);
  ASSERT_TRUE(held->SetSmtpPort(25));
}

TEST_F(Win32SettingsTest, ModulesAreFoundByAddressAndSystemModulesHaveNoSettings) {
  const TModuleHandle kernel = environment.LoadedModule("kernel32.dll");
  ASSERT_NE(kernel, 0u);
  const auto modules = environment.Modules();
  EXPECT_TRUE(std::is_sorted(modules.begin(), modules.end()));
  EXPECT_NE(std::find(modules.begin(), modules.end(), kernel), modules.end());
  const auto inKernel = reinterpret_cast<std::uintptr_t>(GetProcAddress(reinterpret_cast<HMODULE>(kernel), "GetTickCount"));
  EXPECT_EQ(environment.ModuleOfAddress(inKernel), kernel);
  EXPECT_EQ(environment.ModuleOfAddress(0), 0u);
  EXPECT_EQ(environment.ModuleFileName(kernel), "kernel32.dll");
  EXPECT_FALSE(environment.FileVersion(kernel).empty());
  EXPECT_EQ(environment.FileVersion(environment.ExecutableModule()), "");
  // No resource in the system module: the reporter's own settings answer.
  EXPECT_EQ(SettingsOfAddress(environment, inKernel)->ModuleHandle(), environment.ExecutableModule());
  EXPECT_EQ(SettingsOfCaller(0)->ModuleHandle(), environment.ExecutableModule());
}

TEST_F(Win32SettingsTest, TheVersionVariableIsReadWithoutTrustingTheOffset) {
  const TModuleHandle exe = environment.ExecutableModule();
  const auto offset = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(&gRavelinTestVersion) - exe);
  EXPECT_EQ(environment.VersionVariableText(exe, offset), "9.9 test build");
  EXPECT_EQ(environment.VersionVariableText(exe, 0x7FFFFFF0), "");
  EXPECT_EQ(environment.VersionVariableText(exe, -static_cast<std::int32_t>(exe)), "");
}

TEST_F(Win32SettingsTest, MessageBoxesGoThroughTheSeam) {
  environment.ShowMessage("Internal error: Invalid settings resource ($5).", kSettingsCaption);
  EXPECT_EQ(boxes, std::vector<std::string>{"Ostrel: Internal error: Invalid settings resource ($5)."});
}

// Whether a writable view of the named mapping is refused; nothing to refuse
// when the name is not a mapping at all.
static std::optional<bool> WritableViewIsRefused(const std::string& name) {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
  if (mapping == nullptr) return std::nullopt;
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (view != nullptr) UnmapViewOfFile(view);
  CloseHandle(mapping);
  return view == nullptr;
}

TEST_F(Win32SettingsTest, AFailedOpenOfTheSharedBufferReleasesTheMutexAndKeepsNoHandle) {
  const std::string suffix = "$" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
  const std::string bufferName = "RavelinTestBuf" + suffix;
  const std::string mutexName = "RavelinTestMtx" + suffix;
  // Another module's handle keeps the mutex alive across the failed open.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexName.c_str());
  ASSERT_NE(mutex, nullptr);
  struct Case {
    const char* name;
    std::function<HANDLE()> squat;  // takes the buffer's name so that the open fails
  };
  const Case cases[] = {
      {"the name is an event's: no mapping",
       [&] { return CreateEventA(nullptr, TRUE, FALSE, bufferName.c_str()); }},
      {"a read-only mapping of the name: no view",
       [&] { return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 4096, bufferName.c_str()); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HANDLE squatter = c.squat();
    ASSERT_NE(squatter, nullptr);
    if (WritableViewIsRefused(bufferName) == false) {
      // Wine in a 64-bit prefix lets a writable view of a read-only mapping
      // through: the open cannot fail there, so this case proves nothing.
      std::printf("note: %s: the platform grants the view; case not checked\n", c.name);
      CloseHandle(squatter);
      continue;
    }
    EXPECT_EQ(TSharedSettingsBuffer::OpenNamed(bufferName, mutexName), nullptr);
    DWORD waited = WAIT_FAILED;
    std::thread([&] {
      waited = WaitForSingleObject(mutex, 0);
      if (waited == WAIT_OBJECT_0) ReleaseMutex(mutex);
    }).join();
    EXPECT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0));  // not left held by the failed open
    CloseHandle(squatter);
    HANDLE left = OpenFileMappingA(FILE_MAP_READ, FALSE, bufferName.c_str());
    EXPECT_EQ(left, nullptr);  // no handle of the failed open keeps the name
    if (left != nullptr) CloseHandle(left);
  }

  auto first = TSharedSettingsBuffer::OpenNamed(bufferName, mutexName);
  ASSERT_NE(first, nullptr);
  auto second = TSharedSettingsBuffer::OpenNamed(bufferName, mutexName);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->Block()->RefCount, 2);
  second.reset();
  EXPECT_EQ(first->Block()->RefCount, 1);
  first.reset();
  HANDLE left = OpenFileMappingA(FILE_MAP_READ, FALSE, bufferName.c_str());
  EXPECT_EQ(left, nullptr);
  if (left != nullptr) CloseHandle(left);
  CloseHandle(mutex);
}

TEST_F(Win32SettingsTest, ThreadsLoadingSettingsForTheFirstTimeShareOneBuffer) {
  TWin32SettingsEnvironment fresh;
  constexpr int kThreads = 4;
  std::vector<TModuleSettingsList*> lists(kThreads, nullptr);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) threads.emplace_back([&, i] { lists[i] = fresh.SharedSettings(); });
  for (std::thread& thread : threads) thread.join();
  ASSERT_NE(lists[0], nullptr);
  for (TModuleSettingsList* list : lists) EXPECT_EQ(list, lists[0]);
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
