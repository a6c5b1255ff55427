// The Windows console front end under Wine on a real link loop: Unix symbolic
// links inside Wine's Z: drive, which Wine lists as directory reparse points
// and which the Windows walk enters. A link back into a directory the walk is
// already inside must not be entered again, or the walk would go on until the
// path is too long. Skipped, with the reason, when the Windows build is absent
// or Wine cannot run it here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/Shell.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

std::string WindowsPath(const fs::path& path) {
  std::string text = "Z:" + path.string();
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

// The lines of text that begin with prefix, without it, sorted.
Strings LinesAfter(const std::string& text, const std::string& prefix) {
  Strings lines;
  std::istringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

class WineLinkLoopTest : public ::testing::Test {
 protected:
  fs::path work;
  std::string wineRun, exe;

  void SetUp() override {
    const char* source = std::getenv("RAVELIN_SOURCE_DIR");
    const char* binary = std::getenv("RAVELIN_BINARY_DIR");
    ASSERT_TRUE(source != nullptr && binary != nullptr);
    wineRun = std::string(source) + "/scripts/wine-run";
    exe = (fs::path(binary).parent_path() / "win32" / "cli" / "ravelin-cli.exe").string();
    if (!fs::exists(exe)) GTEST_SKIP() << "the Windows build has no " << exe;
    std::string help;
    if (Shell("timeout 300 " + Quote(wineRun) + " " + Quote(exe) + " --help 2>&1", &help) != 0 ||
        help.find("Usage: ravelin") == std::string::npos)
      GTEST_SKIP() << "Wine cannot run the Windows build here: " << help;
    char pattern[] = "/tmp/ravelin-loop-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    work = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    if (!work.empty()) fs::remove_all(work, ignored);  // links are removed, not followed
  }
};

TEST_F(WineLinkLoopTest, LinksBackIntoTheWalkAreSkippedAndTheRunEnds) {
  // top/self -> top, top/sub/up -> top: each path through them leads back.
  const fs::path top = work / "top";
  fs::create_directories(top / "sub");
  std::ofstream(top / "sub" / "file") << "x";
  fs::create_directory_symlink(".", top / "self");
  fs::create_directory_symlink("..", top / "sub" / "up");

  std::string errors;
  const std::string command = "timeout 600 " + Quote(wineRun) + " " + Quote(exe) + " " +
                              Quote(WindowsPath(top)) + " 2>&1 >/dev/null";
  EXPECT_EQ(Shell(command, &errors), 0) << errors;  // 124: still walking when the time ran out

  const std::string t = WindowsPath(top);
  // The start directory is listed, never opened, so a link to it is entered
  // once; every way back after that is skipped.
  EXPECT_EQ(LinesAfter(errors, "Scanning directory : "),
            (Strings{t, t + "\\self", t + "\\self\\sub", t + "\\sub", t + "\\sub\\up"}))
      << errors;
  EXPECT_EQ(LinesAfter(errors, "Skipping directory loop : "),
            (Strings{t + "\\self\\self", t + "\\self\\sub\\up", t + "\\sub\\up\\self",
                     t + "\\sub\\up\\sub"}))
      << errors;
  EXPECT_NE(errors.find("DeCompression of : " + t + " Completed OK"), std::string::npos) << errors;
}

}  // namespace
