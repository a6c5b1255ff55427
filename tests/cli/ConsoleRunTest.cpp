#include "cli/ConsoleRun.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/EscapedUtf8.h"
#include "platform/simulated/SimulatedVolume.h"

namespace {

using Strings = std::vector<std::string>;

struct ConsoleRun {
  TSimulatedVolume volume;
  std::atomic<bool> terminate{false};
  Strings out, err;

  int operator()(const std::vector<WideString>& arguments) {
    TConsoleLines lines;
    lines.log = [this](const WideString& line) { out.push_back(EncodeEscapedUtf8(line)); };
    lines.status = [this](const WideString& line) { err.push_back(EncodeEscapedUtf8(line)); };
    return RunConsole(arguments, volume, volume, lines, terminate);
  }
};

TEST(ConsoleArguments, ParsesOptionsAndOnePath) {
  struct Case {
    std::vector<WideString> arguments;
    bool recursive, help;
    WideString path;
    std::string error;
  };
  const Case cases[] = {
      {{u"C:\\d"}, true, false, u"C:\\d", ""},
      {{u"--no-recursive", u"C:\\d"}, false, false, u"C:\\d", ""},
      {{u"C:\\d", u"--no-recursive"}, false, false, u"C:\\d", ""},
      {{u"--", u"-dir"}, true, false, u"-dir", ""},
      {{u"-"}, true, false, u"-", ""},
      {{u"--help"}, true, true, u"", ""},
      {{}, true, false, u"", "no PATH given"},
      {{u""}, true, false, u"", "PATH is empty"},
      {{u"a", u"b"}, true, false, u"a", "more than one PATH given"},
      {{u"--recursive", u"a"}, true, false, u"", "unknown option --recursive"},
      {{u"-x"}, true, false, u"", "unknown option -x"},
  };
  for (const Case& c : cases) {
    const TConsoleOptions options = ParseConsoleArguments(c.arguments);
    SCOPED_TRACE(c.error);
    EXPECT_EQ(options.recursive, c.recursive);
    EXPECT_EQ(options.help, c.help);
    EXPECT_EQ(options.path, c.path);
    EXPECT_EQ(EncodeEscapedUtf8(options.error), c.error);
  }
}

TEST(ConsoleRun, LogLinesGoToOutputStatusLinesToErrorAndTheExitCodeTellsFailedClears) {
  ConsoleRun run;
  run.volume.AddFile(u"C:\\d\\a", 1);
  run.volume.AddFile(u"C:\\d\\S\\x", 1);
  EXPECT_EQ(run({u"C:\\d"}), kExitClean);
  EXPECT_EQ(run.out, (Strings{"Found compressed File: C:\\d\\a", "Uncompressed OK",
                              "Found compressed File: C:\\d\\S\\x", "Uncompressed OK"}));
  EXPECT_EQ(run.err, (Strings{"Scanning directory : C:\\d", "Scanning directory : C:\\d\\S",
                              "DeCompression of : C:\\d Completed OK"}));

  ConsoleRun failing;
  failing.volume.AddFile(u"C:\\d\\a", 1).failClear = true;
  failing.volume.AddFile(u"C:\\d\\b", 1);
  EXPECT_EQ(failing({u"--no-recursive", u"C:\\d"}), kExitClearFailed);
  EXPECT_EQ(failing.out, (Strings{"Found compressed File: C:\\d\\b", "Uncompressed OK",
                                  "Found compressed File: C:\\d\\a", "Uncompression Failed"}));
}

TEST(ConsoleRun, BadStartPathsGiveAStatusLineAndAnEmptyRun) {
  ConsoleRun run;
  run.volume.AddFile(u"C:\\file", 1);
  for (const WideString& path : {WideString(u"C:\\missing"), WideString(u"C:\\file")}) {
    run.out.clear();
    run.err.clear();
    EXPECT_EQ(run({path}), kExitClean);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err.size(), 2u);
  }
  EXPECT_TRUE(run.volume.PathsOf("Open").empty());
}

TEST(ConsoleRun, TheInterruptRequestStopsBeforeTheNextDirectory) {
  ConsoleRun run;
  run.volume.AddFile(u"C:\\d\\S\\x", 1);
  run.volume.AddFile(u"C:\\d\\a", 1);
  run.volume.OnCall = [&](const TSimulatedCall& call) {
    if (call.operation == "SetCompression") run.terminate = true;
  };
  EXPECT_EQ(run({u"C:\\d"}), kExitClean);
  EXPECT_EQ(run.out, (Strings{"Found compressed File: C:\\d\\a", "Uncompressed OK"}));
  EXPECT_EQ(run.volume.PathsOf("FindFirst").size(), 1u);
}

TEST(ConsoleRun, UsageErrorsAndHelpTouchNothing) {
  ConsoleRun run;
  run.volume.AddFile(u"a", 1);
  EXPECT_EQ(run({}), kExitUsage);
  EXPECT_EQ(run({u""}), kExitUsage);
  ASSERT_GE(run.err.size(), 2u);
  EXPECT_EQ(run.err[0], "ravelin: no PATH given");
  EXPECT_EQ(run.err[1].rfind("Usage: ravelin [--no-recursive] PATH", 0), 0u);
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(run({u"--help"}), kExitClean);
  ASSERT_EQ(run.out.size(), 1u);
  EXPECT_NE(run.out[0].find("--no-recursive"), std::string::npos);
  EXPECT_TRUE(run.volume.Calls().empty());
}

TEST(ConsoleRun, HelpTellsHowThisBuildTreatsLinks) {
  ConsoleRun run;
  ASSERT_EQ(run({u"--help"}), kExitClean);
  ASSERT_EQ(run.out.size(), 1u);
  const std::string& help = run.out[0];
#ifdef _WIN32
  // Links to directories are walked here; only a loop is cut.
  EXPECT_EQ(help.find("never followed"), std::string::npos);
  EXPECT_NE(help.find("A link to a directory is entered like a directory, except one that leads back\n"
                      "into a directory the walk is already inside: that one is skipped.\n"),
            std::string::npos);
#else
  EXPECT_NE(help.find("\nat once.\nSymbolic links are never followed.\n\nOptions:"), std::string::npos);
#endif
  size_t start = 0;
  while (start < help.size()) {
    const size_t end = std::min(help.find('\n', start), help.size());
    EXPECT_LE(end - start, 82u) << help.substr(start, end - start);
    start = end + 1;
  }
}

}  // namespace
