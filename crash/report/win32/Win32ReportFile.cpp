#include "crash/report/win32/Win32ReportFile.h"

#include <exception>

bool CreateDirectoriesOf(const std::string& path) {
  const std::size_t last = path.find_last_of("\\/");
  if (last == std::string::npos || last == 0) return true;
  // Skips the drive ("C:\") or the server and share of a network path.
  std::size_t from = 0;
  if (path.size() > 2 && path[1] == ':') from = 3;
  if (path.rfind("\\\\", 0) == 0) {
    from = path.find_first_of("\\/", 2);
    from = from == std::string::npos ? path.size() : path.find_first_of("\\/", from + 1);
    if (from == std::string::npos) return true;
  }
  for (std::size_t at = path.find_first_of("\\/", from); at != std::string::npos && at <= last;
       at = path.find_first_of("\\/", at + 1)) {
    const std::string directory = path.substr(0, at);
    if (directory.empty() || GetFileAttributesA(directory.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    if (!CreateDirectoryA(directory.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return true;
}

TWin32ReportFile::TWin32ReportFile(const std::string& path) {
  if (!CreateDirectoriesOf(path)) {
    FError = GetLastError();
    return;
  }
  FFile.Reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!FFile) FError = GetLastError();
}

bool TWin32ReportFile::SeekTo(std::uint64_t offset) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(FFile.Get(), to, nullptr, FILE_BEGIN) != FALSE;
}

bool TWin32ReportFile::ReadAll(std::string& content) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(FFile.Get(), &size) || size.QuadPart > 0x7fffffff || !SeekTo(0)) return false;
  content.assign(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    DWORD read = 0;
    const DWORD want = static_cast<DWORD>(content.size() - done);
    if (!ReadFile(FFile.Get(), &content[done], want, &read, nullptr) || read == 0) return false;
    done += read;
  }
  return true;
}

bool TWin32ReportFile::WriteAt(std::uint64_t offset, const std::string& data) {
  if (!SeekTo(offset)) return false;
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD written = 0;
    const DWORD want = static_cast<DWORD>(data.size() - done);
    if (!WriteFile(FFile.Get(), data.data() + done, want, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

bool TWin32ReportFile::Truncate(std::uint64_t size) { return SeekTo(size) && SetEndOfFile(FFile.Get()) != FALSE; }

bool WriteReportToWin32Path(const std::string& path, const std::string& report, const TReportFileOptions& options) {
  try {
    TWin32ReportFile file(path);
    return file.IsOpen() && WriteReportToFile(file, report, options);
  } catch (const std::exception&) {
    return false;
  }
}
