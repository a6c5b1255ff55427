#include "crash/report/ProcessSections.h"

#include <algorithm>

#include "crash/report/ReportText.h"
#include "crash/report/ValueTexts.h"

namespace {

std::string Padded(const std::string& text, std::size_t width) {
  return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

template <typename T, typename F>
std::size_t Widest(const std::vector<T>& items, F text) {
  std::size_t width = 0;
  for (const T& item : items) width = std::max(width, text(item).size());
  return width;
}

}  // namespace

std::string ModulesSection(std::vector<TModuleSnapshot> modules) {
  std::stable_sort(modules.begin(), modules.end(),
                   [](const TModuleSnapshot& a, const TModuleSnapshot& b) { return a.LoadAddress < b.LoadAddress; });
  const std::size_t nameWidth = Widest(modules, [](const TModuleSnapshot& m) { return m.FileName; }) + 1;
  const std::size_t versionWidth = Widest(modules, [](const TModuleSnapshot& m) { return m.Version; }) + 1;
  std::vector<std::string> lines;
  for (const TModuleSnapshot& m : modules)
    lines.push_back(HexText(m.LoadAddress, 8) + ' ' + Padded(m.FileName, nameWidth) + Padded(m.Version, versionWidth) +
                    m.Directory);
  return JoinLines(lines);
}

std::string PriorityClassText(std::uint32_t priorityClass) {
  switch (priorityClass) {
    case kNormalPriorityClass: return "normal";
    case kIdlePriorityClass: return "idle";
    case kHighPriorityClass: return "high";
    case kRealtimePriorityClass: return "realtime";
    case kBelowNormalPriorityClass: return "below normal";
    case kAboveNormalPriorityClass: return "above normal";
    default: return '$' + HexText(priorityClass, 1);
  }
}

std::string RewriteSystemPath(const std::string& path, const std::string& systemDirectory) {
  static const std::string systemRoot = "\\SystemRoot\\System32\\";
  static const std::string device = "\\??\\";
  if (StartsWithNoCase(path, systemRoot)) {
    std::string directory = systemDirectory;
    if (directory.empty() || directory.back() != '\\') directory += '\\';
    return directory + path.substr(systemRoot.size());
  }
  if (path.compare(0, device.size(), device) == 0) return path.substr(device.size());
  return path;
}

std::string ProcessesSection(const std::vector<TProcessSnapshot>& processes, const std::string& systemDirectory) {
  // The system idle process has no name of its own.
  const auto name = [](const TProcessSnapshot& p) { return p.Id == 0 ? std::string("Idle") : p.ExeName; };
  const auto session = [](const TProcessSnapshot& p) {
    return p.SessionId ? std::to_string(*p.SessionId) : std::string();
  };
  const auto priority = [](const TProcessSnapshot& p) {
    return p.PriorityClass ? PriorityClassText(*p.PriorityClass) : std::string();
  };
  const bool showSessions = std::any_of(processes.begin(), processes.end(), [](const TProcessSnapshot& p) {
    return p.SessionId && *p.SessionId != 0;
  });
  const int idDigits =
      static_cast<int>(Widest(processes, [](const TProcessSnapshot& p) { return HexText(p.Id, 1); }));
  const std::size_t nameWidth = Widest(processes, name) + 1;
  const std::size_t sessionWidth = Widest(processes, session) + 1;
  const std::size_t priorityWidth = Widest(processes, priority) + 1;
  std::vector<std::string> lines;
  for (const TProcessSnapshot& p : processes) {
    std::string line = HexText(p.Id, idDigits) + ' ' + Padded(name(p), nameWidth);
    if (showSessions) line += Padded(session(p), sessionWidth);
    line += Padded(priority(p), priorityWidth) + RewriteSystemPath(p.Directory, systemDirectory);
    lines.push_back(line);
  }
  return JoinLines(lines);
}
