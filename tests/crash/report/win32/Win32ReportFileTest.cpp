// The bug report file on the system's file calls: created with its missing
// directories, held exclusively while written, merged and cut like any file.
#include <gtest/gtest.h>
#include <windows.h>

#include "crash/MEFields.h"
#include "crash/report/ReportText.h"
#include "crash/report/win32/Win32ReportFile.h"

namespace {

std::string Report(const std::string& time) {
  TIMEFields header, sections;
  header.Add("date/time", time);
  header.Add("executable", "Ravelin.exe");
  header.Add("version", "1.0.0.1");
  header.Add("callstack crc", "$11111111, $22222222, $33333333");
  header.Add("exception class", "EAccessViolation");
  sections.Add("main thread ($1a4):", "00401000 Ravelin.exe Main 12 Foo");
  return AssembleReportText(header, sections);
}

std::string ReadFileText(const std::string& path) {
  TWin32ReportFile file(path);
  std::string content;
  EXPECT_TRUE(file.IsOpen() && file.ReadAll(content));
  return content;
}

class Win32ReportFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "ravelin-report-" + std::to_string(GetCurrentProcessId());
    path = root + "\\deeper\\still\\bugreport.txt";
  }
  void TearDown() override {
    DeleteFileA(path.c_str());
    RemoveDirectoryA((root + "\\deeper\\still").c_str());
    RemoveDirectoryA((root + "\\deeper").c_str());
    RemoveDirectoryA(root.c_str());
  }
  std::string root, path;
};

TEST_F(Win32ReportFile, CreatesItsDirectoriesAndMergesARepeatedReport) {
  TReportFileOptions options;
  ASSERT_TRUE(WriteReportToWin32Path(path, Report("2026-12-10, 19:05:07, 42ms"), options));
  ASSERT_TRUE(WriteReportToWin32Path(path, Report("2026-12-10, 19:06:00, 7ms"), options));
  const std::string content = ReadFileText(path);
  EXPECT_EQ(content.find("19:05:07"), std::string::npos);  // the older report went into the newer one
  EXPECT_NE(content.find("count           : 2\r\n"), std::string::npos) << content;
  EXPECT_EQ(content.substr(content.size() - 4), "\r\n\r\n");
}

TEST_F(Win32ReportFile, IsHeldExclusivelyAndRewrittenWithoutAppending) {
  TReportFileOptions options;
  options.AppendBugReps = false;
  {
    TWin32ReportFile open(path);
    ASSERT_TRUE(open.IsOpen());
    EXPECT_FALSE(WriteReportToWin32Path(path, Report("2026-12-10, 19:05:07, 42ms"), options));
  }
  ASSERT_TRUE(WriteReportToWin32Path(path, Report("2026-12-10, 19:05:07, 42ms") + std::string(5000, 'x'), options));
  const std::string last = Report("2026-12-10, 19:06:00, 7ms");
  ASSERT_TRUE(WriteReportToWin32Path(path, last, options));
  EXPECT_EQ(ReadFileText(path), last + "\r\n\r\n");
}

TEST(Win32ReportFilePath, ADirectoryThatCannotBeMadeFailsTheSave) {
  // A file stands where a directory would have to be.
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string blocker = std::string(temp) + "ravelin-blocker-" + std::to_string(GetCurrentProcessId());
  { TWin32ReportFile file(blocker); ASSERT_TRUE(file.IsOpen()); }
  EXPECT_FALSE(WriteReportToWin32Path(blocker + "\\sub\\bugreport.txt", Report("2026-12-10, 19:05:07, 42ms"), {}));
  DeleteFileA(blocker.c_str());
}

}  // namespace
