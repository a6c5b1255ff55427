#pragma once
// Writing a report to the bug report file: the file is read whole, merged
// with the new report (see ReportFileMerge.h), written back from the first
// changed byte and cut where the new content ends.
#include <cstdint>
#include <string>

#include "crash/report/ReportFileMerge.h"

class IMESettings;

// An open bug report file, held exclusively while a report is written.
class IReportFile {
 public:
  virtual ~IReportFile() = default;
  virtual bool ReadAll(std::string& content) = 0;
  virtual bool WriteAt(std::uint64_t offset, const std::string& data) = 0;
  virtual bool Truncate(std::uint64_t size) = 0;
};

TReportFileOptions ReportFileOptionsOf(IMESettings& settings);

// False when the file could not be read or written; never throws.
bool WriteReportToFile(IReportFile& file, const std::string& report, const TReportFileOptions& options);

// A file name taken without asking the user: a short name, or one that is
// neither a network path nor starts with a drive, lies in the executable's
// directory.
std::string SilentReportFileName(const std::string& fileName, const std::string& executableDirectory);
