#pragma once
// The bug report file on the standard library's streams, for the host (and
// any system without its own file layer).
#include <filesystem>
#include <fstream>
#include <string>

#include "crash/report/ReportFile.h"

class TStreamReportFile : public IReportFile {
 public:
  // Creates the missing directories and the file; check IsOpen().
  explicit TStreamReportFile(const std::string& path);
  bool IsOpen() const { return FStream.is_open(); }

  bool ReadAll(std::string& content) override;
  bool WriteAt(std::uint64_t offset, const std::string& data) override;
  bool Truncate(std::uint64_t size) override;

 private:
  std::filesystem::path FPath;
  std::fstream FStream;
};

// The whole save: directories and file created as needed, false when the
// file cannot be opened or written. Never throws.
bool WriteReportToPath(const std::string& path, const std::string& report, const TReportFileOptions& options);
