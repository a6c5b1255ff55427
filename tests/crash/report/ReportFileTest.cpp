#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "crash/MEFields.h"
#include "crash/report/ReportFile.h"
#include "crash/report/ReportText.h"
#include "crash/TIMESettings.h"
#include "crash/report/StreamReportFile.h"
#include "tests/support/FakeSettingsEnvironment.h"

namespace {

struct TReportSpec {
  std::string crc = "$11111111, $22222222, $33333333";
  bool freeze = false;
  std::string version = "1.0.0.1";
  std::string execTime = "2026-12-01 08:30";
  std::string time = "2026-12-10, 19:05:07, 42ms";
  std::size_t size = 0;  // padded with stack lines to about this size
};

std::string Report(const TReportSpec& spec) {
  TIMEFields header, sections;
  header.Add("date/time", spec.time);
  header.Add("computer name", "BUILDBOX");
  header.Add("executable", "Ravelin.exe");
  header.Add("exec. date/time", spec.execTime);
  header.Add("version", spec.version);
  header.Add("callstack crc", spec.crc);
  header.Add("exception number", "1");
  if (!spec.freeze) header.Add("exception class", "EAccessViolation");
  header.Add("exception message", spec.freeze ? "The application seems to be frozen." : "Access violation.");
  std::string stack = "00401000 Ravelin.exe Main 12 Foo";
  while (stack.size() + 600 < spec.size) stack += "\r\n00401234 Ravelin.exe Main 34 Bar";
  sections.Add("main thread ($1a4):", stack);
  return AssembleReportText(header, sections);
}

// Reports in a file: lines that begin with "date/time".
std::size_t Reports(const std::string& text) {
  std::size_t count = text.rfind("date/time", 0) == 0 ? 1 : 0;
  for (std::size_t p = text.find("\ndate/time"); p != std::string::npos; p = text.find("\ndate/time", p + 1)) ++count;
  return count;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++count;
  return count;
}

// A file in memory that records how it was written.
class TMemoryFile : public IReportFile {
 public:
  std::string Content;
  bool FailRead = false, FailWrite = false;
  std::uint64_t LastWriteOffset = UINT64_MAX;

  bool ReadAll(std::string& content) override {
    content = Content;
    return !FailRead;
  }
  bool WriteAt(std::uint64_t offset, const std::string& data) override {
    if (FailWrite) return false;
    LastWriteOffset = offset;
    if (Content.size() < offset + data.size()) Content.resize(offset + data.size());
    Content.replace(offset, data.size(), data);
    return true;
  }
  bool Truncate(std::uint64_t size) override {
    Content.resize(size);
    return true;
  }
};

TEST(ReportFile, ReportsAreAppendedEachWithAnEmptyLine) {
  TMemoryFile file;
  TReportFileOptions options;
  const std::string first = Report({});
  TReportSpec other;
  other.crc = "$99999999, $22222222, $33333333";
  const std::string second = Report(other);
  ASSERT_TRUE(WriteReportToFile(file, first, options));
  EXPECT_EQ(file.Content, first + "\r\n\r\n");
  ASSERT_TRUE(WriteReportToFile(file, second, options));
  EXPECT_EQ(file.Content, first + "\r\n\r\n" + second + "\r\n\r\n");
  EXPECT_EQ(file.LastWriteOffset, first.size() + 4);  // the old reports are not rewritten
}

TEST(ReportFile, RepeatedExceptionMergesWithACountAfterTheChecksums) {
  TMemoryFile file;
  TReportFileOptions options;  // DupExceptDef 1
  TReportSpec other;
  other.crc = "$99999999, $22222222, $33333333";
  const std::string unrelated = Report(other);
  file.Content = Report({}) + "\r\n\r\n" + unrelated + "\r\n\r\n";
  TReportSpec again;
  again.crc = "$11111111, $22222222, $44444444";  // only the third checksum differs
  again.time = "2026-12-10, 20:00:00, 1ms";
  ASSERT_TRUE(WriteReportToFile(file, Report(again), options));
  EXPECT_EQ(Reports(file.Content), 2u);
  EXPECT_EQ(file.Content.find(unrelated), 0u);  // the older report went, the unrelated one stays
  EXPECT_NE(file.Content.find("callstack crc     : $11111111, $22222222, $44444444\r\n"
                              "count             : 2\r\n"
                              "exception number  : 1"),
            std::string::npos)
      << file.Content;

  // A third one counts on from the merged report.
  again.crc = "$11111111, $22222222, $55555555";
  ASSERT_TRUE(WriteReportToFile(file, Report(again), options));
  EXPECT_EQ(Reports(file.Content), 2u);
  EXPECT_EQ(Occurrences(file.Content, "count"), 1u);
  EXPECT_NE(file.Content.find("count             : 3\r\n"), std::string::npos);
  EXPECT_EQ(file.Content.substr(file.Content.size() - 4), "\r\n\r\n");
}

TEST(ReportFile, DuplicateDefinitionsAndMatchingRules) {
  const std::string base = "$11111111, $22222222, $33333333";
  const struct {
    const char* name;
    TReportSpec spec;
    TReportFileOptions options;
    bool merged;
  } cases[] = {
      {"def 0: first checksum", {"$11111111, $99999999, $99999999"}, {true, 0, true, 0, true, 2}, true},
      {"def 1: second differs", {"$11111111, $99999999, $33333333"}, {}, false},
      {"def 2: third differs", {"$11111111, $22222222, $99999999"}, {true, 0, true, 2, true, 2}, false},
      {"def 2: all equal", {base}, {true, 0, true, 2, true, 2}, true},
      {"merging off", {base}, {true, 0, false, 1, true, 2}, false},
      {"other version", {base, false, "1.0.0.2"}, {}, false},
      {"no version, other build time", {base, false, "", "2026-12-02 09:00"}, {}, false},
      {"short checksums", {"$11111111, $22222222"}, {}, false},
  };
  for (const auto& c : cases) {
    TMemoryFile file;
    TReportSpec old;
    old.version = c.spec.version;  // the old report differs only where the case says
    if (std::string(c.name) == "other version") old.version = "1.0.0.1";
    if (std::string(c.name) == "short checksums") old.crc = c.spec.crc;
    file.Content = Report(old) + "\r\n\r\n";
    ASSERT_TRUE(WriteReportToFile(file, Report(c.spec), c.options));
    EXPECT_EQ(Reports(file.Content), c.merged ? 1u : 2u) << c.name;
    EXPECT_EQ(Occurrences(file.Content, "count "), c.merged ? 1u : 0u) << c.name;
  }
}

TEST(ReportFile, FreezesMergeByTheirOwnDefinition) {
  TReportFileOptions options;  // DupFreezeDef 2
  TReportSpec freeze;
  freeze.freeze = true;
  TMemoryFile file;
  file.Content = Report(freeze) + "\r\n\r\n";
  TReportSpec almost = freeze;
  almost.crc = "$11111111, $22222222, $99999999";
  ASSERT_TRUE(WriteReportToFile(file, Report(almost), options));
  EXPECT_EQ(Reports(file.Content), 2u);
  ASSERT_TRUE(WriteReportToFile(file, Report(freeze), options));
  EXPECT_EQ(Reports(file.Content), 2u);
  EXPECT_NE(file.Content.find("count             : 2"), std::string::npos) << file.Content;
  // An exception with the same checksums is not the same as the freeze.
  ASSERT_TRUE(WriteReportToFile(file, Report({}), options));
  EXPECT_EQ(Reports(file.Content), 3u);
}

TEST(ReportFile, ChecksumDigitsOutsideTheChecksumLineDoNotMerge) {
  TMemoryFile file;
  TIMEFields header, sections;
  header.Add("date/time", "2026-12-10, 19:05:07, 42ms");
  header.Add("executable", "Ravelin.exe");
  header.Add("version", "1.0.0.1");
  header.Add("process id", "$11111111");
  header.Add("callstack crc", "$abababab, $22222222, $33333333");
  header.Add("exception class", "EAccessViolation");
  file.Content = AssembleReportText(header, sections) + "\r\n\r\n";
  TReportFileOptions options;
  options.DupExceptDef = 0;
  TReportSpec spec;
  spec.execTime = "";
  ASSERT_TRUE(WriteReportToFile(file, Report(spec), options));
  EXPECT_EQ(Reports(file.Content), 2u);
}

TEST(ReportFile, OversizedFileLosesItsOldestReports) {
  TMemoryFile file;
  int n = 0;
  while (file.Content.size() < 150000) {
    TReportSpec spec;
    spec.crc = "$" + std::to_string(10000000 + n++) + ", $22222222, $33333333";
    spec.size = 10000;
    file.Content += Report(spec) + "\r\n\r\n";
  }
  const std::string old = file.Content;
  TReportSpec fresh;
  fresh.size = 10000;
  fresh.crc = "$abcdef00, $22222222, $33333333";
  const std::string report = Report(fresh);
  ASSERT_TRUE(WriteReportToFile(file, report, TReportFileOptions{}));
  const std::string kept = file.Content.substr(0, file.Content.size() - report.size() - 4);
  EXPECT_LT(kept.size(), 75000u);
  EXPECT_GT(kept.size(), 75000u - 11000u);  // only as many reports as needed went
  EXPECT_EQ(kept.rfind("date/time", 0), 0u);  // cut at a report start
  EXPECT_EQ(old.substr(old.size() - kept.size()), kept);
  EXPECT_EQ(file.Content.substr(kept.size()), report + "\r\n\r\n");
}

TEST(ReportFile, TrimmingAndMergingTogether) {
  // The repeated report lies among the kept ones: it goes as well.
  TMemoryFile file;
  std::string repeated;
  for (int n = 0; n < 15; ++n) {
    TReportSpec spec;
    spec.crc = "$" + std::to_string(10000000 + n) + ", $22222222, $33333333";
    spec.size = 10000;
    file.Content += Report(spec) + "\r\n\r\n";
    if (n == 13) repeated = Report(spec);
  }
  TReportSpec again;
  again.crc = "$10000013, $22222222, $77777777";
  ASSERT_TRUE(WriteReportToFile(file, Report(again), TReportFileOptions{}));
  EXPECT_EQ(file.Content.find(repeated), std::string::npos);
  EXPECT_EQ(file.Content.rfind("date/time", 0), 0u);
  EXPECT_LT(file.Content.size(), 75000u);
  EXPECT_NE(file.Content.find("count "), std::string::npos);
}

TEST(ReportFile, FileWithoutReportStartsIsNeverTrimmed) {
  TMemoryFile file;
  file.Content = std::string(150000, 'x') + "\r\nno report here\r\n";
  const std::string old = file.Content;
  ASSERT_TRUE(WriteReportToFile(file, Report({}), TReportFileOptions{}));
  EXPECT_EQ(file.Content, old + Report({}) + "\r\n\r\n");
}

TEST(ReportFile, ForeignContentWithoutFinalLineBreakKeepsTheReportOnItsOwnLine) {
  TMemoryFile file;
  file.Content = "notes";
  ASSERT_TRUE(WriteReportToFile(file, Report({}), TReportFileOptions{}));
  EXPECT_EQ(file.Content, "notes\r\n" + Report({}) + "\r\n\r\n");
  // ... so that it is found again.
  ASSERT_TRUE(WriteReportToFile(file, Report({}), TReportFileOptions{}));
  EXPECT_EQ(Reports(file.Content), 1u);
  EXPECT_EQ(file.Content.rfind("notes\r\n", 0), 0u);
}

TEST(ReportFile, WithoutAppendingTheFileHoldsOnlyTheLastReport) {
  TMemoryFile file;
  file.Content = Report({}) + "\r\n\r\n" + std::string(5000, 'y');
  TReportFileOptions options;
  options.AppendBugReps = false;
  TReportSpec spec;
  spec.crc = "$00000000, $00000000, $00000000";
  ASSERT_TRUE(WriteReportToFile(file, Report(spec), options));
  EXPECT_EQ(file.Content, Report(spec) + "\r\n\r\n");
}

TEST(ReportFile, FailuresAreReported) {
  TMemoryFile unreadable;
  unreadable.FailRead = true;
  EXPECT_FALSE(WriteReportToFile(unreadable, Report({}), TReportFileOptions{}));
  TMemoryFile unwritable;
  unwritable.FailWrite = true;
  EXPECT_FALSE(WriteReportToFile(unwritable, Report({}), TReportFileOptions{}));
}

TEST(ReportFile, HeaderValuesOfAReportText) {
  const std::string report = Report({});
  EXPECT_EQ(ReportHeaderValue(report, "Callstack CRC"), "$11111111, $22222222, $33333333");
  EXPECT_EQ(ReportHeaderValue(report, "count"), std::nullopt);
  // Section lines are not header fields.
  EXPECT_EQ(ReportHeaderValue("a : 1\r\n\r\nb : 2", "b"), std::nullopt);
  EXPECT_EQ(DuplicateKey(report, TReportFileOptions{}), "$11111111, $22222222");
}

TEST(ReportFile, SilentFileNames) {
  const struct {
    const char* name;
    const char* path;
  } cases[] = {
      {"bugreport.txt", "C:\\app\\bugreport.txt"},
      {"logs\\bug.txt", "C:\\app\\logs\\bug.txt"},
      {"D:\\bug.txt", "D:\\bug.txt"},
      {"\\\\server\\share\\bug.txt", "\\\\server\\share\\bug.txt"},
      {"a:", "C:\\app\\a:"},  // too short for a drive path
      {"", "C:\\app\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(SilentReportFileName(c.name, "C:\\app\\"), c.path) << c.name;
  EXPECT_EQ(SilentReportFileName("bug.txt", "C:\\app"), "C:\\app\\bug.txt");
}

class StreamReportFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FDirectory = std::filesystem::temp_directory_path() /
                 ("ravelin-report-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(FDirectory);
  }
  void TearDown() override { std::filesystem::remove_all(FDirectory); }
  std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::filesystem::path FDirectory;
};

TEST_F(StreamReportFileTest, CreatesDirectoriesMergesAndTruncates) {
  const std::filesystem::path path = FDirectory / "a" / "b" / "bugreport.txt";
  const std::string first = Report({});
  ASSERT_TRUE(WriteReportToPath(path.string(), first, TReportFileOptions{}));
  EXPECT_EQ(Read(path), first + "\r\n\r\n");
  TReportSpec again;
  again.crc = "$11111111, $22222222, $44444444";
  ASSERT_TRUE(WriteReportToPath(path.string(), Report(again), TReportFileOptions{}));
  const std::string merged = Read(path);
  EXPECT_EQ(Reports(merged), 1u);
  EXPECT_NE(merged.find("count "), std::string::npos);
  // A shorter rewrite leaves nothing of the longer old content behind.
  TReportFileOptions rewrite;
  rewrite.AppendBugReps = false;
  ASSERT_TRUE(WriteReportToPath(path.string(), "date/time : x", rewrite));
  EXPECT_EQ(Read(path), "date/time : x\r\n\r\n");
}

TEST_F(StreamReportFileTest, UnwritablePlaceFails) {
  std::filesystem::create_directories(FDirectory);
  std::ofstream(FDirectory / "file") << "x";
  // A directory cannot be made below a file.
  EXPECT_FALSE(WriteReportToPath((FDirectory / "file" / "bug.txt").string(), Report({}), TReportFileOptions{}));
  EXPECT_FALSE(WriteReportToPath(FDirectory.string(), Report({}), TReportFileOptions{}));
}

}  // namespace

namespace {

TEST(ReportFile, OptionsComeFromTheSettings) {
  TFakeSettingsEnvironment environment;  // no resource: the built-in values
  TIMESettings settings(environment, TFakeSettingsEnvironment::kExecutable);
  const TReportFileOptions options = ReportFileOptionsOf(settings);
  EXPECT_TRUE(options.AppendBugReps);
  EXPECT_EQ(options.BugRepFileSize, 100000);
  EXPECT_TRUE(options.NoDupExcepts);
  EXPECT_EQ(options.DupExceptDef, 1);
  EXPECT_TRUE(options.NoDupFreezes);
  EXPECT_EQ(options.DupFreezeDef, 2);
}

}  // namespace
