#include "crash/report/HeaderBuilder.h"

#include "crash/MEFields.h"

const char kCallstackCrcField[] = "callstack crc";
const char kCallstackCrcPending[] = "will be calculated soon";

namespace {

using TFieldList = std::vector<std::pair<std::string, std::string>>;

template <typename T, typename F>
std::string IfSet(const std::optional<T>& value, F text) {
  return value ? text(*value) : std::string();
}

std::string VersionText(const THeaderSnapshot& s) {
  if (!s.VersionVarText.empty()) return s.VersionVarText;
  if (!s.FileVersion) return std::string();
  const auto& v = *s.FileVersion;
  return FileVersionText(v[0], v[1], v[2], v[3]);
}

std::string ExceptionMessageField(const THeaderSnapshot& s) {
  if (s.IsFreeze) return s.FrozenMsg;
  const std::string className = s.HasExceptionObject ? s.ExceptionClass : "Unknown";
  const std::string message = ExceptionMessageText(s.HasExceptionObject ? s.ExceptionMessage : className);
  // A message that only repeats the class name says nothing more.
  if (StripControls(s.ExceptionMessage) == className || message == className || message == className + '.')
    return std::string();
  return message;
}

void AddMachineFields(TFieldList& f, const THeaderSnapshot& s) {
  f.emplace_back("date/time", IfSet(s.ReportTime, ReportDateTimeText));
  f.emplace_back("computer name", s.ComputerName);
  f.emplace_back("wts client name", s.WtsClientName);
  f.emplace_back("user name", UserNameText(s.UserName, s.UserIsAdmin));
  f.emplace_back("registered owner", RegisteredOwnerText(s.RegisteredOwner, s.RegisteredOrganisation));
  f.emplace_back("operating system", IfSet(s.Os, OperatingSystemText));
  f.emplace_back("system language", s.SystemLanguage);
  f.emplace_back("system up time", IfSet(s.SystemUpTimeMs, TimeSpanText));
  f.emplace_back("program up time", IfSet(s.ProgramUpTimeMs, ProgramUpTimeText));
  const TProcessorField processor = ProcessorField(s.ProcessorName, s.ProcessorCount);
  f.emplace_back(processor.Name, s.ProcessorName.empty() ? std::string() : processor.Value);
  f.emplace_back("physical memory", IfSet(s.PhysicalMemory, [](const TPhysicalMemory& m) {
                   return PhysicalMemoryText(m.FreeBytes, m.TotalBytes);
                 }));
  f.emplace_back("system resources", IfSet(s.SystemResources, [](const TSystemResources& r) {
                   return SystemResourcesText(r.GdiPercent, r.UserPercent);
                 }));
  f.emplace_back("free disk space", FreeDiskSpaceText(s.WindowsDrive, s.ExecutableDrive, s.DecimalSeparator));
  f.emplace_back("display mode", IfSet(s.DisplayMode, [](const TDisplayMode& d) {
                   return DisplayModeText(d.Width, d.Height, d.BitsPerPixel, d.Planes);
                 }));
}

void AddProgramFields(TFieldList& f, const THeaderSnapshot& s) {
  f.emplace_back("process id", IfSet(s.ProcessId, ProcessIdText));
  f.emplace_back("allocated memory",
                 IfSet(s.AllocatedMemory, [&s](std::uint64_t bytes) { return SizeText(bytes, s.DecimalSeparator); }));
  f.emplace_back("command line", s.CommandLine);
  f.emplace_back("executable", s.Executable);
  f.emplace_back("current module", s.CurrentModule);
  f.emplace_back(s.CurrentModule.empty() ? "exec. date/time" : "module date/time",
                 IfSet(s.ModuleTime, FileDateTimeText));
  f.emplace_back("version", VersionText(s));
  f.emplace_back("bde version", s.BdeVersion);
  f.emplace_back("compiled with", "BCB6");
  f.emplace_back("Ostrel version", "3.0e");
  for (const auto& plugin : s.PluginFields) f.push_back(plugin);
}

}  // namespace

TFieldList CollectHeaderFields(const THeaderSnapshot& s, std::uint64_t exceptionNumber) {
  TFieldList f;
  AddMachineFields(f, s);
  AddProgramFields(f, s);
  f.emplace_back(kCallstackCrcField, kCallstackCrcPending);
  f.emplace_back("exception number", std::to_string(exceptionNumber));
  if (!s.IsFreeze) f.emplace_back("exception class", s.HasExceptionObject ? s.ExceptionClass : "Unknown");
  f.emplace_back("exception message", ExceptionMessageField(s));
  return f;
}

void BuildHeader(IMEFields& header, const THeaderSnapshot& snapshot, TExceptionCounter& counter) {
  const TFieldList fields = CollectHeaderFields(snapshot, counter.Next());
  header.BeginUpdate();
  header.SetInsertIndex(0);
  for (const auto& [name, value] : fields) header.Add(name, value);
  header.SetInsertIndex(header.IndexOf(kCallstackCrcField));
  header.EndUpdate();
}

void SetCallstackChecksums(IMEFields& header, std::uint32_t checksum1, std::uint32_t checksum2,
                           std::uint32_t checksum3) {
  header.Add(kCallstackCrcField, CallstackCrcText(checksum1, checksum2, checksum3));
}

void AddFingerprintFields(IMEFields& header, const std::vector<std::string>& fingerprints) {
  header.BeginUpdate();
  for (const std::string& entry : fingerprints) {
    const std::size_t bar = entry.find('|');
    if (bar == std::string::npos || bar == 0) continue;
    header.Add(entry.substr(0, bar) + ".ost", entry.substr(bar + 1));
  }
  header.EndUpdate();
}
