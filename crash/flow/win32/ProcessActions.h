#pragma once
// What the handling of an exception does to the process and the desktop:
// closing and restarting the process at once, the report on the clipboard
// and in the bug report file. Any thread.
#include <array>
#include <cstdint>
#include <string>

class IMESettings;

// Ends the process at once with exit code 1; no shutdown code runs.
[[noreturn]] void CloseProcess();
// Starts the same command line as a new process that takes over the
// exception history, then ends this process at once with exit code 2 (also
// when the new process could not be started).
[[noreturn]] void RestartProcess(const std::array<std::uint64_t, 10>& history);
// The text in the system code page on the clipboard; false when it is busy.
bool CopyTextToClipboard(const std::string& text);
// Appends the report to the settings' bug report file without asking: a
// name without a drive or network path lies in the executable's directory.
bool SaveReportSilently(IMESettings& settings, const std::string& report);
