#include "cli/ConsoleRun.h"

#include "platform/SystemFileSystem.h"
#include "worker/DirectoryWalk.h"

namespace {
const char* const kUsageHead =
    "Usage: ravelin [--no-recursive] PATH\n"
    "\n"
    "Removes the file system compression of every file and directory inside PATH.\n"
    "PATH itself is listed but left as it is. Subdirectories are walked depth first\n"
    "unless --no-recursive is given; then the entries directly inside PATH are\n"
    "cleared, its subdirectories included, but not entered.\n"
    "\n"
    "Each compressed entry found is logged on standard output (\"Found compressed\n"
    "File: \" or \"Found compressed Dir: \" and its path), followed by \"Uncompressed OK\"\n"
    "or \"Uncompression Failed\". The directory being scanned is shown on standard\n"
    "error. Ctrl+C stops the run before the next directory; a second Ctrl+C ends it\n"
    "at once.\n";
const char* const kUsageTail =
    "\n"
    "Options:\n"
    "  --no-recursive   do not enter subdirectories\n"
    "  --help           show this text\n"
    "  --               end of options (for a PATH that begins with '-')\n"
    "\n"
    "Exit status: 0 when no clear failed, 1 when any clear failed, 2 for a usage error.";

// Walk output and the terminate request of a console run.
class TConsoleWalkHost : public IWalkHost {
 public:
  TConsoleWalkHost(const TConsoleLines& lines, std::atomic<bool>& terminate)
      : FLines(lines), FTerminate(terminate) {}
  bool TerminateRequested() override { return FTerminate.load(std::memory_order_relaxed); }
  void AddLogLine(const WideString& line) override { FLines.log(line); }
  void ShowStatusLine(const WideString& line) override { FLines.status(line); }

 private:
  const TConsoleLines& FLines;
  std::atomic<bool>& FTerminate;
};

}  // namespace

std::string ConsoleUsage() {
  // How links are treated differs between the systems: each build says its own.
  return std::string(kUsageHead) + SystemLinkRule() + "\n" + kUsageTail;
}

TConsoleOptions ParseConsoleArguments(const std::vector<WideString>& arguments) {
  TConsoleOptions options;
  bool optionsEnded = false;
  bool havePath = false;
  for (const WideString& argument : arguments) {
    if (!optionsEnded && argument == u"--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument == u"--help") {
      options.help = true;
    } else if (!optionsEnded && argument == u"--no-recursive") {
      options.recursive = false;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == u'-') {
      options.error = u"unknown option " + argument;
    } else if (havePath) {
      options.error = u"more than one PATH given";
    } else {
      options.path = argument;
      havePath = true;
    }
    if (!options.error.empty()) return options;
  }
  if (options.help) return options;
  if (!havePath)
    options.error = u"no PATH given";
  else if (options.path.empty())
    // An empty path would walk the root of the whole file system.
    options.error = u"PATH is empty";
  return options;
}

int RunConsole(const std::vector<WideString>& arguments, TVolumeControl& volume,
               IDirectoryLister& lister, const TConsoleLines& lines,
               std::atomic<bool>& terminate) {
  const TConsoleOptions options = ParseConsoleArguments(arguments);
  if (options.help) {
    lines.log(WideFromAscii(ConsoleUsage().c_str()));
    return kExitClean;
  }
  if (!options.error.empty()) {
    lines.status(u"ravelin: " + options.error);
    lines.status(WideFromAscii(ConsoleUsage().c_str()));
    return kExitUsage;
  }
  TConsoleWalkHost host(lines, terminate);
  TDirectoryWalk walk(volume, lister, host, options.recursive);
  walk.ScanDirectory(options.path);
  lines.status(ComposeWalkText("DeCompression of : ", options.path) + u" Completed OK");
  return walk.FailedClears() > 0 ? kExitClearFailed : kExitClean;
}
