#include "crash/report/StreamReportFile.h"

#include <filesystem>
#include <system_error>

TStreamReportFile::TStreamReportFile(const std::string& path) : FPath(path) {
  std::error_code error;
  const std::filesystem::path& file = FPath;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  if (!std::filesystem::exists(file, error)) std::ofstream(file, std::ios::binary);
  FStream.open(file, std::ios::in | std::ios::out | std::ios::binary);
}

bool TStreamReportFile::ReadAll(std::string& content) {
  FStream.clear();
  if (!FStream.seekg(0, std::ios::end)) return false;
  const std::streamoff size = FStream.tellg();
  if (size < 0 || !FStream.seekg(0)) return false;
  content.assign(static_cast<std::size_t>(size), '\0');
  return static_cast<bool>(FStream.read(content.data(), size));
}

bool TStreamReportFile::WriteAt(std::uint64_t offset, const std::string& data) {
  FStream.clear();
  if (!FStream.seekp(static_cast<std::streamoff>(offset))) return false;
  return static_cast<bool>(FStream.write(data.data(), static_cast<std::streamsize>(data.size()))) &&
         static_cast<bool>(FStream.flush());
}

bool TStreamReportFile::Truncate(std::uint64_t size) {
  // Closed while it is cut: a system may refuse to resize a file that is open.
  FStream.close();
  if (FStream.fail()) return false;
  std::error_code error;
  std::filesystem::resize_file(FPath, size, error);
  FStream.open(FPath, std::ios::in | std::ios::out | std::ios::binary);
  return !error && FStream.is_open();
}

bool WriteReportToPath(const std::string& path, const std::string& report, const TReportFileOptions& options) {
  try {
    TStreamReportFile file(path);
    return file.IsOpen() && WriteReportToFile(file, report, options);
  } catch (const std::exception&) {
    return false;
  }
}
