#include "crash/report/ValueTexts.h"

#include <cstdio>

namespace {

std::string Format2(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string Format4(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", value);
  return text;
}

std::string UnitText(std::uint64_t count, const char* unit) {
  return std::to_string(count) + ' ' + unit + (count == 1 ? "" : "s") + ' ';
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 32; }

// The drive letter of a path like "c:\...", '\0' for anything else.
char DriveLetter(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return '\0';
  const char letter = path[0];
  if (letter >= 'a' && letter <= 'z') return static_cast<char>(letter - 'a' + 'A');
  if (letter >= 'A' && letter <= 'Z') return letter;
  return '\0';
}

}  // namespace

std::string ReportDateTimeText(const TReportDateTime& time) {
  return Format4(time.Year) + '-' + Format2(time.Month) + '-' + Format2(time.Day) + ", " +
         Format2(time.Hour) + ':' + Format2(time.Minute) + ':' + Format2(time.Second) + ", " +
         std::to_string(time.Millisecond) + "ms";
}

std::string FileDateTimeText(const TReportDateTime& time) {
  return Format4(time.Year) + '-' + Format2(time.Month) + '-' + Format2(time.Day) + ' ' +
         Format2(time.Hour) + ':' + Format2(time.Minute);
}

std::string TimeSpanText(std::uint64_t milliseconds) {
  const std::uint64_t totalSeconds = milliseconds / 1000;
  const std::uint64_t days = totalSeconds / 86400;
  const std::uint64_t hours = totalSeconds / 3600 % 24;
  const std::uint64_t minutes = totalSeconds / 60 % 60;
  const std::uint64_t seconds = totalSeconds % 60;
  std::uint64_t first = minutes, second = seconds;
  const char *firstUnit = "minute", *secondUnit = "second";
  if (days > 0) {
    first = days, second = hours, firstUnit = "day", secondUnit = "hour";
  } else if (hours > 0) {
    first = hours, second = minutes, firstUnit = "hour", secondUnit = "minute";
  }
  std::string text;
  if (first > 0) text += UnitText(first, firstUnit);
  if (second > 0) text += UnitText(second, secondUnit);
  return text;
}

std::string ProgramUpTimeText(std::uint64_t milliseconds) {
  if (milliseconds < 1000) return std::to_string(milliseconds) + " milliseconds";
  return TimeSpanText(milliseconds);
}

std::string SizeText(std::uint64_t bytes, char decimalSeparator) {
  if (bytes < 1024) return std::to_string(bytes) + " Bytes";
  const std::uint64_t kb = 1024, mb = kb * 1024, gb = mb * 1024;
  std::uint64_t unit = gb;
  const char* name = " GB";
  if (bytes < mb) {
    unit = kb, name = " KB";
  } else if (bytes < gb) {
    unit = mb, name = " MB";
  }
  // Remainder times 100 stays far below 2^64, so no figure overflows.
  const std::uint64_t hundredths = bytes % unit * 100 / unit;
  const char separator = decimalSeparator == '\0' ? ',' : decimalSeparator;
  return std::to_string(bytes / unit) + separator + Format2(static_cast<int>(hundredths)) + name;
}

std::string ExceptionMessageText(const std::string& message) {
  std::string kept;
  for (char c : message)
    if (!IsControl(c) || c == '\r' || c == '\n') kept += c;
  std::size_t first = 0, last = kept.size();
  while (first < last && IsControl(kept[first])) ++first;
  while (last > first && IsControl(kept[last - 1])) --last;
  std::string text = kept.substr(first, last - first);
  if (text.empty()) text = "Unknown";
  while (!text.empty() && (text.back() == '.' || text.back() == '!')) text.pop_back();
  return text + '.';
}

std::string PhysicalMemoryText(std::uint64_t freeBytes, std::uint64_t totalBytes) {
  const std::uint64_t mb = 1024 * 1024;
  return std::to_string((freeBytes + mb / 2) / mb) + '/' + std::to_string((totalBytes + mb / 2) / mb) +
         " MB (free/total)";
}

std::string SystemResourcesText(int gdiPercent, int userPercent) {
  return Format2(gdiPercent) + '/' + Format2(userPercent) + " (gdi/user)";
}

std::string DisplayModeText(int width, int height, int bitsPerPixel, int planes) {
  return std::to_string(width) + 'x' + std::to_string(height) + ", " + std::to_string(bitsPerPixel * planes) +
         " bit";
}

std::string ProcessIdText(std::uint32_t processId) { return '$' + HexText(processId, 1); }

std::string UserNameText(const std::string& userName, bool isAdmin) {
  if (userName.empty()) return std::string();
  return isAdmin ? userName + "  <admin>" : userName;
}

std::string RegisteredOwnerText(const std::string& owner, const std::string& organisation) {
  if (organisation.empty()) return owner;
  if (owner.empty()) return organisation;
  return owner + " / " + organisation;
}

TProcessorField ProcessorField(const std::string& processorName, int count) {
  std::size_t first = 0, last = processorName.size();
  while (first < last && static_cast<unsigned char>(processorName[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(processorName[last - 1]) <= ' ') --last;
  const std::string name = processorName.substr(first, last - first);
  if (count > 1) return {"processors", std::to_string(count) + "x " + name};
  return {"processor", name};
}

std::string FileVersionText(std::uint16_t major, std::uint16_t minor, std::uint16_t release, std::uint16_t build) {
  return std::to_string(major) + '.' + std::to_string(minor) + '.' + std::to_string(release) + '.' +
         std::to_string(build);
}

std::string FreeDiskSpaceText(const TDriveSpace& windowsDrive, const TDriveSpace& executableDrive,
                              char decimalSeparator) {
  const auto part = [decimalSeparator](const TDriveSpace& drive) {
    const char letter = DriveLetter(drive.Path);
    if (letter == '\0' || !drive.FreeBytes) return std::string();
    return std::string("(") + letter + ":) " + SizeText(*drive.FreeBytes, decimalSeparator);
  };
  std::string text = part(windowsDrive);
  const char windowsLetter = DriveLetter(windowsDrive.Path);
  const char executableLetter = DriveLetter(executableDrive.Path);
  if (executableLetter != windowsLetter) {
    const std::string second = part(executableDrive);
    if (!second.empty()) text += text.empty() ? second : ' ' + second;
  }
  return text;
}

std::string HexText(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*x", digits, static_cast<unsigned>(value));
  return text;
}

std::string ChecksumText(std::uint32_t checksum) { return '$' + HexText(checksum, 8); }

std::string CallstackCrcText(std::uint32_t checksum1, std::uint32_t checksum2, std::uint32_t checksum3) {
  return ChecksumText(checksum1) + ", " + ChecksumText(checksum2) + ", " + ChecksumText(checksum3);
}
