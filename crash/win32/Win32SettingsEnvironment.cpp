#include "crash/win32/Win32SettingsEnvironment.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "crash/SettingsResource.h"
#include "crash/win32/SharedSettingsBuffer.h"
#include "platform/win32/HandleOwners.h"
#include "platform/win32/ModuleFileName.h"
#include "platform/win32/ToolhelpSnapshot.h"

namespace {

TSettingsMessageBox& MessageBoxSeam() {
  static TSettingsMessageBox seam = [](const std::string& text, const std::string& caption) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
  };
  return seam;
}

HMODULE ToModule(TModuleHandle module) { return reinterpret_cast<HMODULE>(module); }

TModuleHandle AllocationBaseOf(const void* address) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(address, &info, sizeof info) != sizeof info || info.State != MEM_COMMIT) return 0;
  return reinterpret_cast<TModuleHandle>(info.AllocationBase);
}

// True when count bytes from address are committed and readable.
bool Readable(const void* address, size_t count) {
  const auto* at = static_cast<const char*>(address);
  const char* end = at + count;
  while (at < end) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(at, &info, sizeof info) != sizeof info || info.State != MEM_COMMIT) return false;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (!(info.Protect & readable) || (info.Protect & PAGE_GUARD)) return false;
    at = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
  }
  return true;
}

}  // namespace

TSettingsMessageBox SetSettingsMessageBox(TSettingsMessageBox messageBox) {
  TSettingsMessageBox previous = MessageBoxSeam();
  MessageBoxSeam() = std::move(messageBox);
  return previous;
}

TWin32SettingsEnvironment::TWin32SettingsEnvironment() = default;
TWin32SettingsEnvironment::~TWin32SettingsEnvironment() = default;

TWin32SettingsEnvironment& SystemSettingsEnvironment() {
  static TWin32SettingsEnvironment environment;
  return environment;
}

TModuleHandle TWin32SettingsEnvironment::ReporterModule() {
  return AllocationBaseOf(reinterpret_cast<const void*>(&SystemSettingsEnvironment));
}

TModuleHandle TWin32SettingsEnvironment::ExecutableModule() {
  return reinterpret_cast<TModuleHandle>(GetModuleHandleA(nullptr));
}

bool TWin32SettingsEnvironment::ReporterInPackage() { return ReporterModule() != ExecutableModule(); }

std::vector<TModuleHandle> TWin32SettingsEnvironment::Modules() {
  std::vector<TModuleHandle> modules;
  WalkToolhelpSnapshot<MODULEENTRY32W>(GetCurrentProcessId(), [&](const MODULEENTRY32W& entry) {
    modules.push_back(reinterpret_cast<TModuleHandle>(entry.hModule));
    return true;
  });
  std::sort(modules.begin(), modules.end());
  return modules;
}

TModuleHandle TWin32SettingsEnvironment::LoadedModule(const std::string& fileName) {
  return reinterpret_cast<TModuleHandle>(GetModuleHandleA(fileName.c_str()));
}

TModuleHandle TWin32SettingsEnvironment::ModuleOfAddress(std::uintptr_t address) {
  const TModuleHandle base = AllocationBaseOf(reinterpret_cast<const void*>(address));
  if (base == 0 || ::ModuleFileName(ToModule(base)).empty()) return 0;
  return base;
}

std::optional<std::string> TWin32SettingsEnvironment::FindModuleResource(TModuleHandle module,
                                                                   const std::string& name) {
  // No module of this program has a separate resource module: the module
  // itself holds its resources.
  HRSRC info = FindResourceA(ToModule(module), name.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (info == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(ToModule(module), info);
  const DWORD size = SizeofResource(ToModule(module), info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  return std::string(static_cast<const char*>(bytes), size);
}

std::string TWin32SettingsEnvironment::ModuleFileName(TModuleHandle module) {
  return ModuleFileNameOnly(ToModule(module));
}

std::string TWin32SettingsEnvironment::FileVersion(TModuleHandle module) {
  const std::string path = ::ModuleFileName(ToModule(module));
  if (path.empty()) return std::string();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return std::string();
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()) ||
      !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) ||
      info == nullptr || infoSize < sizeof(VS_FIXEDFILEINFO))
    return std::string();
  return FormatFileVersion(HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                           HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
}

std::string TWin32SettingsEnvironment::VersionVariableText(TModuleHandle module, std::int32_t offset) {
  // Nothing here may fault: the offset comes from a resource.
  const auto* variable = reinterpret_cast<const char* const*>(module + static_cast<std::uintptr_t>(offset));
  if (!Readable(variable, sizeof(*variable))) return std::string();
  const char* text = *variable;
  std::string result;
  for (const char* at = text; at != nullptr && result.size() < 4096; ++at) {
    if (!Readable(at, 1) || *at == '\0') break;
    result += *at;
  }
  return result;
}

TLocalTime TWin32SettingsEnvironment::Now() {
  SYSTEMTIME time;
  GetLocalTime(&time);
  return TLocalTime{time.wYear, time.wMonth,  time.wDay,         time.wHour,
                    time.wMinute, time.wSecond, time.wMilliseconds};
}

void TWin32SettingsEnvironment::ShowMessage(const std::string& text, const std::string& caption) {
  MessageBoxSeam()(text, caption);
}

TModuleSettingsList* TWin32SettingsEnvironment::SharedSettings() {
  // Threads that load settings for the first time at once all wait for the one open.
  std::call_once(FBufferOpened, [this] {
    FBuffer = TSharedSettingsBuffer::Open();
    if (!FBuffer) ShowMessage("internal error (opening settings buffer)", kSettingsCaption);
  });
  return FBuffer ? &FBuffer->List() : nullptr;
}

namespace {

// Return address of the frame level frames above start, through the saved
// frame pointers; 0 when the chain breaks.
std::uintptr_t ReturnAddressAbove(void* const* frame, int level) {
  for (int i = 0; i < level; ++i) {
    if (!Readable(frame, 2 * sizeof(void*))) return 0;
    void* const* next = static_cast<void* const*>(frame[0]);
    if (next <= frame) return 0;  // frames grow towards higher addresses
    frame = next;
  }
  if (!Readable(frame, 2 * sizeof(void*))) return 0;
  return reinterpret_cast<std::uintptr_t>(frame[1]);
}

}  // namespace

__attribute__((noinline)) std::shared_ptr<TIMESettings> SettingsOfCaller(int level) {
  void* const* frame = static_cast<void* const*>(__builtin_frame_address(0));
  const std::uintptr_t address = ReturnAddressAbove(frame, level);
  return SettingsOfAddress(SystemSettingsEnvironment(), address);
}
