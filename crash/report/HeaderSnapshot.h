#pragma once
// What the collector found out about the machine, the program and the
// exception for one report header. Plain data: the Windows collector fills
// it; a value whose query failed stays empty (or unset) and its line is left
// out.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "crash/report/OsDescription.h"
#include "crash/report/ValueTexts.h"

struct TPhysicalMemory {
  std::uint64_t FreeBytes = 0, TotalBytes = 0;
};

struct TSystemResources {
  int GdiPercent = 0, UserPercent = 0;
};

struct TDisplayMode {
  int Width = 0, Height = 0, BitsPerPixel = 0, Planes = 1;
};

struct THeaderSnapshot {
  std::optional<TReportDateTime> ReportTime;
  std::string ComputerName;
  std::string WtsClientName;  // only over a remote desktop connection
  std::string UserName;
  bool UserIsAdmin = false;
  std::string RegisteredOwner, RegisteredOrganisation;
  std::optional<TOsVersion> Os;
  std::string SystemLanguage;
  std::optional<std::uint64_t> SystemUpTimeMs;
  std::optional<std::uint64_t> ProgramUpTimeMs;
  std::string ProcessorName;
  int ProcessorCount = 1;
  std::optional<TPhysicalMemory> PhysicalMemory;
  std::optional<TSystemResources> SystemResources;  // Windows 9x only
  TDriveSpace WindowsDrive, ExecutableDrive;
  char DecimalSeparator = '\0';  // the user's, '\0' when none is set
  std::optional<TDisplayMode> DisplayMode;
  std::optional<std::uint32_t> ProcessId;
  std::optional<std::uint64_t> AllocatedMemory;
  std::string CommandLine;  // only when the program got arguments
  std::string Executable;   // file name
  // The reporter's module when it is not the executable, else empty.
  std::string CurrentModule;
  // Of the executable, or of CurrentModule when that is set.
  std::optional<TReportDateTime> ModuleTime;
  std::string VersionVarText;  // the settings' version text
  std::optional<std::array<std::uint16_t, 4>> FileVersion;
  std::string BdeVersion;  // only when the database engine library is loaded
  // Header plug-ins in their settings order: name and the callback's text.
  std::vector<std::pair<std::string, std::string>> PluginFields;
  bool IsFreeze = false;
  bool HasExceptionObject = true;
  std::string ExceptionClass;
  std::string ExceptionMessage;  // raw; the class name for non-framework objects
  std::string FrozenMsg;         // the setting, for a freeze
};
