#include <gtest/gtest.h>

#include "crash/MEFields.h"
#include "crash/report/HeaderBuilder.h"

namespace {

// A machine where every query answered.
THeaderSnapshot FullSnapshot() {
  THeaderSnapshot s;
  s.ReportTime = TReportDateTime{2026, 12, 10, 19, 5, 7, 42};
  s.ComputerName = "BUILDBOX";
  s.WtsClientName = "THINCLIENT";
  s.UserName = "anna";
  s.UserIsAdmin = true;
  s.RegisteredOwner = "Anna";
  s.RegisteredOrganisation = "Works";
  TOsVersion os;
  os.Major = 5, os.Minor = 1, os.BuildField = 2600, os.ServicePack = "Service Pack 3";
  s.Os = os;
  s.SystemLanguage = "English";
  s.SystemUpTimeMs = 2 * 3600 * 1000 + 60 * 1000;
  s.ProgramUpTimeMs = 250;
  s.ProcessorName = "Some CPU";
  s.ProcessorCount = 2;
  s.PhysicalMemory = TPhysicalMemory{512ull << 20, 2048ull << 20};
  s.WindowsDrive = {"C:\\WINDOWS", 3ull << 30};
  s.ExecutableDrive = {"D:\\app\\Ravelin.exe", 1ull << 20};
  s.DisplayMode = TDisplayMode{1024, 768, 32, 1};
  s.ProcessId = 0x1a4;
  s.AllocatedMemory = 5ull << 20;
  s.CommandLine = "Ravelin.exe /x";
  s.Executable = "Ravelin.exe";
  s.ModuleTime = TReportDateTime{2026, 12, 1, 8, 30, 0, 0};
  s.FileVersion = std::array<std::uint16_t, 4>{1, 0, 2, 7};
  s.PluginFields = {{"license", "trial"}};
  s.ExceptionClass = "EAccessViolation";
  s.ExceptionMessage = "Access violation at address 00401000";
  return s;
}

std::vector<std::string> Names(const IMEFields& fields) {
  std::vector<std::string> names;
  for (const auto& item : fields.Items()) names.push_back(item.first);
  return names;
}

TEST(HeaderBuilder, EveryFieldInOrderWithItsValue) {
  TIMEFields header;
  TExceptionCounter counter;
  BuildHeader(header, FullSnapshot(), counter);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"date/time", "2026-12-10, 19:05:07, 42ms"},
      {"computer name", "BUILDBOX"},
      {"wts client name", "THINCLIENT"},
      {"user name", "anna  <admin>"},
      {"registered owner", "Anna / Works"},
      {"operating system", "Windows XP Service Pack 3 build 2600"},
      {"system language", "English"},
      {"system up time", "2 hours 1 minute "},
      {"program up time", "250 milliseconds"},
      {"processors", "2x Some CPU"},
      {"physical memory", "512/2048 MB (free/total)"},
      {"free disk space", "(C:) 3,00 GB (D:) 1,00 MB"},
      {"display mode", "1024x768, 32 bit"},
      {"process id", "$1a4"},
      {"allocated memory", "5,00 MB"},
      {"command line", "Ravelin.exe /x"},
      {"executable", "Ravelin.exe"},
      {"exec. date/time", "2026-12-01 08:30"},
      {"version", "1.0.2.7"},
      {"compiled with", "BCB6"},
      {"Ostrel version", "3.0e"},
      {"license", "trial"},
      {"callstack crc", "will be calculated soon"},
      {"exception number", "1"},
      {"exception class", "EAccessViolation"},
      {"exception message", "Access violation at address 00401000."},
  };
  EXPECT_EQ(header.Items(), expected);
}

TEST(HeaderBuilder, ExceptionNumbersCountFromOne) {
  TExceptionCounter counter;
  for (const char* expected : {"1", "2", "3"}) {
    TIMEFields header;
    BuildHeader(header, FullSnapshot(), counter);
    EXPECT_EQ(header.Get("exception number"), expected);
  }
}

TEST(HeaderBuilder, ModuleFieldsVersionAndFreeze) {
  THeaderSnapshot s = FullSnapshot();
  s.CurrentModule = "Reporter.dll";
  s.VersionVarText = "2.1 beta";
  s.BdeVersion = "5.2.0.2";
  s.IsFreeze = true;
  s.FrozenMsg = "The application seems to be frozen.";
  TIMEFields header;
  TExceptionCounter counter;
  BuildHeader(header, s, counter);
  EXPECT_EQ(header.Get("current module"), "Reporter.dll");
  EXPECT_EQ(header.Get("module date/time"), "2026-12-01 08:30");
  EXPECT_EQ(header.IndexOf("exec. date/time"), -1);
  EXPECT_EQ(header.Get("version"), "2.1 beta");
  EXPECT_EQ(header.Get("bde version"), "5.2.0.2");
  EXPECT_EQ(header.IndexOf("exception class"), -1);
  EXPECT_EQ(header.Get("exception message"), "The application seems to be frozen.");
}

TEST(HeaderBuilder, ExceptionMessageOnlyWhenItSaysMoreThanTheClass) {
  const struct {
    bool hasObject;
    const char* className;
    const char* message;
    const char* shownClass;
    const char* shownMessage;
  } cases[] = {
      {true, "EMyError", "EMyError", "EMyError", ""},
      {true, "EMyError", "Bad thing happened!", "EMyError", "Bad thing happened."},
      {true, "EMyError", "", "EMyError", "Unknown."},
      {false, "", "", "Unknown", ""},
  };
  for (const auto& c : cases) {
    THeaderSnapshot s = FullSnapshot();
    s.HasExceptionObject = c.hasObject;
    s.ExceptionClass = c.className;
    s.ExceptionMessage = c.message;
    TIMEFields header;
    TExceptionCounter counter;
    BuildHeader(header, s, counter);
    EXPECT_EQ(header.Get("exception class"), c.shownClass) << c.message;
    EXPECT_EQ(header.Get("exception message"), c.shownMessage) << c.message;
  }
}

TEST(HeaderBuilder, FailedQueriesLeaveTheirLinesOut) {
  THeaderSnapshot s;  // nothing answered
  s.Executable = "Ravelin.exe";
  s.ExceptionClass = "EMyError";
  s.ExceptionMessage = "EMyError";
  TIMEFields header;
  TExceptionCounter counter;
  BuildHeader(header, s, counter);
  EXPECT_EQ(Names(header), std::vector<std::string>({"executable", "compiled with", "Ostrel version",
                                                     "callstack crc", "exception number", "exception class"}));
}

TEST(HeaderBuilder, LaterFieldsLandDirectlyBeforeTheChecksumsWhateverWasLeftOut) {
  for (bool sparse : {false, true}) {
    THeaderSnapshot s = FullSnapshot();
    if (sparse) s.ComputerName.clear(), s.WtsClientName.clear(), s.Os.reset(), s.PluginFields.clear();
    TIMEFields header;
    TExceptionCounter counter;
    BuildHeader(header, s, counter);
    header.Add("contact name", "Anna");
    header.Add("contact e-mail", "anna@example.org");
    AddFingerprintFields(header, {"Ravelin.exe|0123456789abcdef", "broken entry", "Other.dll|fedcba"});
    const int crc = header.IndexOf("callstack crc");
    ASSERT_GE(crc, 4);
    EXPECT_EQ(header.Name(crc - 4), "contact name") << sparse;
    EXPECT_EQ(header.Name(crc - 3), "contact e-mail");
    EXPECT_EQ(header.Name(crc - 2), "Ravelin.exe.ost");
    EXPECT_EQ(header.Get("Ravelin.exe.ost"), "0123456789abcdef");
    EXPECT_EQ(header.Name(crc - 1), "Other.dll.ost");
    EXPECT_EQ(header.Name(crc - 5), sparse ? "Ostrel version" : "license");
  }
}

TEST(HeaderBuilder, ChecksumsReplaceThePlaceholderInPlace) {
  TIMEFields header;
  TExceptionCounter counter;
  BuildHeader(header, FullSnapshot(), counter);
  const int crc = header.IndexOf("callstack crc");
  SetCallstackChecksums(header, 0x12345678, 0x9abcdef0, 0x0badf00d);
  EXPECT_EQ(header.IndexOf("callstack crc"), crc);
  EXPECT_EQ(header.Get("callstack crc"), "$12345678, $9abcdef0, $0badf00d");
}

}  // namespace
