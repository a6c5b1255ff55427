#pragma once
// The value rules of the bug report header: how each captured figure is
// written. Pure functions; the collector supplies the figures.
#include <cstdint>
#include <optional>
#include <string>

// A point in local time as the system reports it.
struct TReportDateTime {
  int Year = 0, Month = 0, Day = 0;
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// "2026-12-10, 19:05:07, 42ms"
std::string ReportDateTimeText(const TReportDateTime& time);
// "2026-12-10 19:05": the last-write time of an executable or module.
std::string FileDateTimeText(const TReportDateTime& time);

// The two largest non-zero units, each followed by a blank: "2 days 3 hours ".
// Empty below one second.
std::string TimeSpanText(std::uint64_t milliseconds);
// As TimeSpanText, but below one second "N milliseconds".
std::string ProgramUpTimeText(std::uint64_t milliseconds);

// "512 Bytes", "1,50 KB", "2,00 GB": two truncated decimals after the given
// separator (',' when the user has none, passed as '\0').
std::string SizeText(std::uint64_t bytes, char decimalSeparator);

// The message as the header shows it: control characters other than line
// breaks removed, trimmed, "Unknown" when empty, one "." at the end.
std::string ExceptionMessageText(const std::string& message);

// "1234/4096 MB (free/total)", each rounded to the nearest megabyte.
std::string PhysicalMemoryText(std::uint64_t freeBytes, std::uint64_t totalBytes);
// "45/67 (gdi/user)"
std::string SystemResourcesText(int gdiPercent, int userPercent);
// "1024x768, 32 bit"
std::string DisplayModeText(int width, int height, int bitsPerPixel, int planes);
// "$1a4"
std::string ProcessIdText(std::uint32_t processId);
// The user, with "  <admin>" for a member of the administrators group.
std::string UserNameText(const std::string& userName, bool isAdmin);
// "owner / organisation", the organisation only when set.
std::string RegisteredOwnerText(const std::string& owner, const std::string& organisation);
// The header's processor field: its name ("processor" or "processors") and value.
struct TProcessorField {
  std::string Name, Value;
};
TProcessorField ProcessorField(const std::string& processorName, int count);
// "1.2.3.4"
std::string FileVersionText(std::uint16_t major, std::uint16_t minor, std::uint16_t release, std::uint16_t build);

// One drive's share of "free disk space": the path decides the drive.
struct TDriveSpace {
  std::string Path;                      // the Windows directory or the executable
  std::optional<std::uint64_t> FreeBytes;  // none when the query failed
};
// "(C:) 1,50 GB (D:) 20,00 GB": the executable's drive only when it is another
// one; a network path (leading backslash) or an unknown size gives nothing.
std::string FreeDiskSpaceText(const TDriveSpace& windowsDrive, const TDriveSpace& executableDrive,
                              char decimalSeparator);

// Lower-case hexadecimal, zero-padded to at least digits.
std::string HexText(std::uint32_t value, int digits);

// "$" and eight lower-case hexadecimal digits.
std::string ChecksumText(std::uint32_t checksum);
// The final "callstack crc" value: "$0123abcd, $..., $..." (31 characters).
std::string CallstackCrcText(std::uint32_t checksum1, std::uint32_t checksum2, std::uint32_t checksum3);
