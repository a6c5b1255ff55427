#pragma once
// The bug report file on the system's own file calls: opened for reading and
// writing, shared with nobody while a report is written, created with its
// missing directories. Any thread.
#include <windows.h>

#include <string>

#include "crash/report/ReportFile.h"
#include "platform/win32/HandleOwners.h"

class TWin32ReportFile : public IReportFile {
 public:
  // Check IsOpen(); the system's error is kept in LastError().
  explicit TWin32ReportFile(const std::string& path);
  bool IsOpen() const { return static_cast<bool>(FFile); }
  DWORD LastError() const { return FError; }

  bool ReadAll(std::string& content) override;
  bool WriteAt(std::uint64_t offset, const std::string& data) override;
  bool Truncate(std::uint64_t size) override;

 private:
  bool SeekTo(std::uint64_t offset);
  TFileHandle FFile;
  DWORD FError = 0;
};

// Creates every missing directory of a file's path; false when one cannot be made.
bool CreateDirectoriesOf(const std::string& path);

// The whole save; false when the file cannot be opened or written. Never throws.
bool WriteReportToWin32Path(const std::string& path, const std::string& report, const TReportFileOptions& options);
