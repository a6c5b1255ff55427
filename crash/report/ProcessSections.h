#pragma once
// The "modules" and "processes" sections: column lists of the process's
// module images and of the system's processes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TModuleSnapshot {
  std::uint32_t LoadAddress = 0;
  std::string FileName;   // without directory
  std::string Version;    // empty when the file has none
  std::string Directory;  // with its trailing backslash
};

// One line per module in ascending address order.
std::string ModulesSection(std::vector<TModuleSnapshot> modules);

// Priority class values as the system reports them.
enum : std::uint32_t {
  kNormalPriorityClass = 0x20,
  kIdlePriorityClass = 0x40,
  kHighPriorityClass = 0x80,
  kRealtimePriorityClass = 0x100,
  kBelowNormalPriorityClass = 0x4000,
  kAboveNormalPriorityClass = 0x8000,
};
// "normal", ..., "$" and hexadecimal for any other value.
std::string PriorityClassText(std::uint32_t priorityClass);

struct TProcessSnapshot {
  std::uint32_t Id = 0;
  std::string ExeName;
  std::optional<std::uint32_t> SessionId;      // Windows NT only
  std::optional<std::uint32_t> PriorityClass;  // none when it cannot be read
  std::string Directory;                       // as the system gives it
};

// "\SystemRoot\System32\..." moves to the system directory, a leading "\??\"
// goes; anything else stays.
std::string RewriteSystemPath(const std::string& path, const std::string& systemDirectory);

// One line per process in the system's order; the session column only when
// some session id is not 0.
std::string ProcessesSection(const std::vector<TProcessSnapshot>& processes, const std::string& systemDirectory);
