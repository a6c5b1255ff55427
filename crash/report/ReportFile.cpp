#include "crash/report/ReportFile.h"

#include <exception>

#include "crash/IMESettings.h"

TReportFileOptions ReportFileOptionsOf(IMESettings& settings) {
  TReportFileOptions options;
  options.AppendBugReps = settings.AppendBugReps();
  options.BugRepFileSize = settings.BugRepFileSize();
  options.NoDupExcepts = settings.NoDupExcepts();
  options.DupExceptDef = settings.DupExceptDef();
  options.NoDupFreezes = settings.NoDupFreezes();
  options.DupFreezeDef = settings.DupFreezeDef();
  return options;
}

bool WriteReportToFile(IReportFile& file, const std::string& report, const TReportFileOptions& options) {
  try {
    std::string old;
    if (!file.ReadAll(old)) return false;
    const std::string content = MergeReportIntoFile(old, report, options);
    std::size_t same = 0;
    while (same < old.size() && same < content.size() && old[same] == content[same]) ++same;
    if (same < content.size() && !file.WriteAt(same, content.substr(same))) return false;
    return file.Truncate(content.size());
  } catch (const std::exception&) {
    return false;  // out of memory: the save fails, the caller goes on
  }
}

std::string SilentReportFileName(const std::string& fileName, const std::string& executableDirectory) {
  const bool absolute = fileName.size() >= 3 && (fileName[0] == '\\' || fileName[1] == ':');
  if (absolute) return fileName;
  if (executableDirectory.empty() || executableDirectory.back() == '\\' || executableDirectory.back() == '/')
    return executableDirectory + fileName;
  return executableDirectory + '\\' + fileName;
}
