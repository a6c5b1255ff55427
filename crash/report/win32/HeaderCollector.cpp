#include "crash/report/win32/HeaderCollector.h"

#include <functional>
#include <vector>

#include "crash/report/win32/FileVersion.h"
#include "platform/win32/HandleOwners.h"
#include "platform/win32/ModuleFileName.h"

namespace {

// Runs one query; whatever it raises leaves its value as it was.
void Guarded(const std::function<void()>& query) {
  try {
    query();
  } catch (...) {
  }
}

TReportDateTime FromSystemTime(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The module that holds this code: the reporter's own.
HMODULE ReporterModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ReporterModule), &module);
  return module;
}

std::string RegistryText(HKEY root, const char* path, const char* value) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
  char buffer[512];
  DWORD size = sizeof buffer - 1, type = 0;
  const LONG result = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  buffer[size < sizeof buffer ? size : sizeof buffer - 1] = '\0';
  return buffer;
}

std::string LocaleText(LCID locale, LCTYPE type) {
  char buffer[128];
  return GetLocaleInfoA(locale, type, buffer, sizeof buffer) > 0 ? std::string(buffer) : std::string();
}

bool IsNt() { return (GetVersion() & 0x80000000u) == 0; }

bool UserIsAdministrator() {
  SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                0, &administrators))
    return false;
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
  FreeSid(administrators);
  return member != FALSE;
}

// Over a remote desktop connection only; the library is loaded when needed.
std::string WtsClientName() {
  if (!IsNt() || GetSystemMetrics(SM_REMOTESESSION) == 0) return {};
  TLoadedModule wts(LoadLibraryA("wtsapi32.dll"));
  if (!wts) return {};
  using TQuery = BOOL(WINAPI*)(HANDLE, DWORD, int, LPSTR*, DWORD*);
  using TFree = void(WINAPI*)(void*);
  const auto query = reinterpret_cast<TQuery>(reinterpret_cast<void*>(GetProcAddress(wts.Get(), "WTSQuerySessionInformationA")));
  const auto release = reinterpret_cast<TFree>(reinterpret_cast<void*>(GetProcAddress(wts.Get(), "WTSFreeMemory")));
  if (query == nullptr || release == nullptr) return {};
  LPSTR name = nullptr;
  DWORD size = 0;
  constexpr int kClientName = 10;  // WTSClientName
  if (!query(nullptr, static_cast<DWORD>(-1), kClientName, &name, &size) || name == nullptr) return {};
  std::string result = name;
  release(name);
  return result;
}

TOsVersion OsVersion() {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) throw 0;
  }
  TOsVersion os;
  os.Platform = info.dwPlatformId == VER_PLATFORM_WIN32_NT ? TOsPlatform::WindowsNT : TOsPlatform::Windows9x;
  os.Major = info.dwMajorVersion;
  os.Minor = info.dwMinorVersion;
  os.BuildField = info.dwBuildNumber;
  os.Workstation = info.wProductType == VER_NT_WORKSTATION;
  os.ServerR2 = GetSystemMetrics(SM_SERVERR2) != 0;
  os.TabletPc = GetSystemMetrics(SM_TABLETPC) != 0;
  os.Starter = GetSystemMetrics(SM_STARTER) != 0;
  os.MediaCenter = GetSystemMetrics(SM_MEDIACENTER) != 0;
  using TNativeInfo = void(WINAPI*)(SYSTEM_INFO*);
  const auto native = reinterpret_cast<TNativeInfo>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNativeSystemInfo")));
  if (native != nullptr) {
    SYSTEM_INFO system{};
    native(&system);
    os.X64 = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
  }
  os.ServicePack = info.szCSDVersion;
  return os;
}

TDriveSpace DriveOf(const std::string& path) {
  TDriveSpace drive;
  drive.Path = path;
  if (path.size() < 2 || path[1] != ':') return drive;
  const std::string root = path.substr(0, 2) + "\\";
  ULARGE_INTEGER free{};
  if (GetDiskFreeSpaceExA(root.c_str(), &free, nullptr, nullptr)) drive.FreeBytes = free.QuadPart;
  return drive;
}

std::string WindowsDirectory() {
  char path[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(path, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(path, length);
}

// Committed memory of the process outside module images.
std::uint64_t AllocatedMemory() {
  std::uint64_t total = 0;
  MEMORY_BASIC_INFORMATION info{};
  const char* at = nullptr;
  while (VirtualQuery(at, &info, sizeof info) == sizeof info) {
    if (info.State == MEM_COMMIT && info.Type != MEM_IMAGE) total += info.RegionSize;
    const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

// The command line when the program got arguments: anything after its own name.
std::string CommandLineWithArguments() {
  const std::string line = GetCommandLineA();
  std::size_t at = 0;
  if (!line.empty() && line[0] == '"') {
    const std::size_t close = line.find('"', 1);
    at = close == std::string::npos ? line.size() : close + 1;
  } else {
    at = line.find_first_of(" \t");
    if (at == std::string::npos) at = line.size();
  }
  return line.find_first_not_of(" \t", at) == std::string::npos ? std::string() : line;
}

std::optional<TReportDateTime> LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  FILETIME local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &time))
    return std::nullopt;
  return FromSystemTime(time);
}

void CollectMachine(THeaderSnapshot& s) {
  Guarded([&] {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    s.ReportTime = FromSystemTime(now);
  });
  Guarded([&] {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    if (GetComputerNameA(name, &size)) s.ComputerName.assign(name, size);
  });
  Guarded([&] { s.WtsClientName = WtsClientName(); });
  Guarded([&] {
    char name[257];
    DWORD size = sizeof name;
    if (GetUserNameA(name, &size)) s.UserName = name;
    s.UserIsAdmin = IsNt() && UserIsAdministrator();
  });
  Guarded([&] {
    const char* key = IsNt() ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion" : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    s.RegisteredOwner = RegistryText(HKEY_LOCAL_MACHINE, key, "RegisteredOwner");
    s.RegisteredOrganisation = RegistryText(HKEY_LOCAL_MACHINE, key, "RegisteredOrganization");
  });
  Guarded([&] { s.Os = OsVersion(); });
  Guarded([&] { s.SystemLanguage = LocaleText(LOCALE_SYSTEM_DEFAULT, LOCALE_SENGLANGUAGE); });
  Guarded([&] { s.SystemUpTimeMs = GetTickCount(); });
  Guarded([&] {
    s.ProcessorName = RegistryText(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                                   "ProcessorNameString");
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    s.ProcessorCount = static_cast<int>(system.dwNumberOfProcessors);
  });
  Guarded([&] {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status)) s.PhysicalMemory = TPhysicalMemory{status.ullAvailPhys, status.ullTotalPhys};
  });
  Guarded([&] {
    const std::string separator = LocaleText(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL);
    s.DecimalSeparator = separator.empty() ? '\0' : separator[0];
  });
  Guarded([&] {
    s.WindowsDrive = DriveOf(WindowsDirectory());
    s.ExecutableDrive = DriveOf(ModuleFileName(nullptr));
  });
  Guarded([&] {
    TWindowDC screen(nullptr);
    if (!screen) return;
    s.DisplayMode = TDisplayMode{GetDeviceCaps(screen.Get(), HORZRES), GetDeviceCaps(screen.Get(), VERTRES),
                                 GetDeviceCaps(screen.Get(), BITSPIXEL), GetDeviceCaps(screen.Get(), PLANES)};
  });
}

void CollectProgram(THeaderSnapshot& s, const THeaderCollectorInput& input) {
  Guarded([&] {
    LARGE_INTEGER now{}, frequency{};
    if (input.StartCounter != 0 && QueryPerformanceCounter(&now) && QueryPerformanceFrequency(&frequency) &&
        frequency.QuadPart > 0)
      s.ProgramUpTimeMs = static_cast<std::uint64_t>((now.QuadPart - input.StartCounter) * 1000 / frequency.QuadPart);
  });
  Guarded([&] { s.ProcessId = GetCurrentProcessId(); });
  Guarded([&] { s.AllocatedMemory = AllocatedMemory(); });
  Guarded([&] { s.CommandLine = CommandLineWithArguments(); });
  Guarded([&] {
    const std::string executable = ModuleFileName(nullptr);
    s.Executable = FileNameOf(executable);
    const HMODULE reporter = ReporterModule();
    const std::string own = reporter != nullptr && reporter != GetModuleHandleA(nullptr) ? ModuleFileName(reporter) : "";
    s.CurrentModule = FileNameOf(own);
    const std::string timed = own.empty() ? executable : own;
    s.ModuleTime = LastWriteTime(timed);
    s.FileVersion = FileVersionOf(timed);
  });
  Guarded([&] {
    const HMODULE bde = GetModuleHandleA("idapi32.dll");
    if (bde == nullptr) return;
    s.BdeVersion = FileVersionText(ModuleFileName(bde));
  });
}

}  // namespace

LONGLONG ReporterStartCounter() {
  LARGE_INTEGER now{};
  return QueryPerformanceCounter(&now) ? now.QuadPart : 0;
}

THeaderSnapshot CollectHeaderSnapshot(const THeaderCollectorInput& input) {
  THeaderSnapshot s;
  CollectMachine(s);
  CollectProgram(s, input);
  s.VersionVarText = input.VersionVarText;
  s.PluginFields = input.PluginFields;
  s.IsFreeze = input.IsFreeze;
  s.HasExceptionObject = input.HasExceptionObject;
  s.ExceptionClass = input.ExceptionClass;
  s.ExceptionMessage = input.ExceptionMessage;
  s.FrozenMsg = input.FrozenMsg;
  return s;
}
