#include "crash/report/win32/SystemSnapshots.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include "crash/report/win32/FileVersion.h"
#include "platform/win32/HandleOwners.h"
#include "platform/win32/ToolhelpSnapshot.h"

namespace {

// The report is in the narrow code page; the system lists names in UTF-16.
std::string Narrow(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &result[0], size, nullptr, nullptr);
  result.resize(static_cast<std::size_t>(size - 1));
  return result;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The full path of another process's executable, when the system tells it.
std::string ProcessImagePath(HANDLE process) {
  using TQuery = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
  static const auto query = reinterpret_cast<TQuery>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
  char path[MAX_PATH];
  DWORD size = MAX_PATH;
  if (query != nullptr && query(process, 0, path, &size)) return std::string(path, size);
  TLoadedModule psapi(LoadLibraryA("psapi.dll"));
  using TModuleName = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
  const auto name = psapi ? reinterpret_cast<TModuleName>(
                                reinterpret_cast<void*>(GetProcAddress(psapi.Get(), "GetModuleFileNameExA")))
                          : nullptr;
  const DWORD length = name != nullptr ? name(process, nullptr, path, MAX_PATH) : 0;
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

void ReadProcessDetails(TProcessSnapshot& entry) {
  DWORD session = 0;
  if (ProcessIdToSessionId(entry.Id, &session)) entry.SessionId = session;
  TKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.Id));
  if (!process) return;
  const DWORD priority = GetPriorityClass(process.Get());
  if (priority != 0) entry.PriorityClass = priority;
  entry.Directory = DirectoryOf(ProcessImagePath(process.Get()));
}

std::string DeviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  char buffer[1024];
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyA(set, &device, property, &type, reinterpret_cast<BYTE*>(buffer),
                                         sizeof buffer - 2, nullptr))
    return {};
  buffer[sizeof buffer - 2] = buffer[sizeof buffer - 1] = '\0';
  return buffer;  // of a list of texts, the first
}

std::string KeyText(HKEY key, const char* name) {
  char buffer[512];
  DWORD size = sizeof buffer - 1, type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  buffer[size < sizeof buffer ? size : sizeof buffer - 1] = '\0';
  return buffer;
}

void ReadDriver(HDEVINFO set, SP_DEVINFO_DATA& device, TDeviceSnapshot& entry) {
  const HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_QUERY_VALUE);
  if (key == INVALID_HANDLE_VALUE) return;
  entry.DriverProvider = KeyText(key, "ProviderName");
  entry.DriverVersion = KeyText(key, "DriverVersion");
  entry.DriverDate = KeyText(key, "DriverDate");
  RegCloseKey(key);
}

TDeviceSnapshot ReadDevice(HDEVINFO set, SP_DEVINFO_DATA& device) {
  TDeviceSnapshot entry;
  entry.ClassName = DeviceProperty(set, device, SPDRP_CLASS);
  char description[256];
  if (SetupDiGetClassDescriptionA(&device.ClassGuid, description, sizeof description, nullptr))
    entry.ClassDescription = description;
  entry.FriendlyName = DeviceProperty(set, device, SPDRP_FRIENDLYNAME);
  entry.Description = DeviceProperty(set, device, SPDRP_DEVICEDESC);
  entry.HardwareId = DeviceProperty(set, device, SPDRP_HARDWAREID);
  ULONG status = 0, problem = 0;
  if (CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) == CR_SUCCESS)
    entry.DriverHidden = (status & DN_NO_SHOW_IN_DM) != 0;
  ReadDriver(set, device, entry);
  return entry;
}

}  // namespace

std::vector<TModuleSnapshot> ProcessModules() {
  std::vector<TModuleSnapshot> modules;
  WalkToolhelpSnapshot<MODULEENTRY32W>(GetCurrentProcessId(), [&](const MODULEENTRY32W& entry) {
    TModuleSnapshot module;
    module.LoadAddress = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(entry.modBaseAddr));
    module.FileName = Narrow(entry.szModule);
    const std::string path = Narrow(entry.szExePath);
    module.Version = FileVersionText(path);
    module.Directory = DirectoryOf(path);
    modules.push_back(std::move(module));
    return true;
  });
  return modules;
}

std::vector<TProcessSnapshot> SystemProcesses() {
  std::vector<TProcessSnapshot> processes;
  WalkToolhelpSnapshot<PROCESSENTRY32W>(0, [&](const PROCESSENTRY32W& entry) {
    TProcessSnapshot process;
    process.Id = entry.th32ProcessID;
    process.ExeName = Narrow(entry.szExeFile);
    ReadProcessDetails(process);
    processes.push_back(std::move(process));
    return true;
  });
  return processes;
}

std::vector<TDeviceSnapshot> HardwareDevices() {
  std::vector<TDeviceSnapshot> devices;
  const HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return devices;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) devices.push_back(ReadDevice(set, device));
  SetupDiDestroyDeviceInfoList(set);
  return devices;
}

std::string SystemDirectory() {
  char path[MAX_PATH];
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(path, length);
}
