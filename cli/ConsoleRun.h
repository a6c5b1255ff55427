#pragma once
// The console front end: parses its arguments and runs the walk with the log
// lines on one stream and the status lines on the other.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "platform/DirectoryLister.h"
#include "platform/VolumeControl.h"
#include "platform/WideString.h"

enum TExitCode { kExitClean = 0, kExitClearFailed = 1, kExitUsage = 2 };

struct TConsoleOptions {
  bool recursive = true;
  bool help = false;
  WideString path;
  WideString error;  // non-empty: a usage error, said in this text
};

TConsoleOptions ParseConsoleArguments(const std::vector<WideString>& arguments);

struct TConsoleLines {
  std::function<void(const WideString&)> log;     // standard output
  std::function<void(const WideString&)> status;  // standard error
};

// Runs the command for arguments (without the program name) and returns the
// exit code. terminate is the Ctrl+C request, looked at before each directory.
int RunConsole(const std::vector<WideString>& arguments, TVolumeControl& volume,
               IDirectoryLister& lister, const TConsoleLines& lines,
               std::atomic<bool>& terminate);

// The text of --help, lines ending in "\n" but the last.
std::string ConsoleUsage();
