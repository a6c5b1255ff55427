#include <gtest/gtest.h>

#include "crash/report/OsDescription.h"
#include "crash/report/ValueTexts.h"

namespace {

constexpr std::uint64_t kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute, kDay = 24 * kHour;

TEST(ValueTexts, DateTimes) {
  const TReportDateTime time{2026, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(ReportDateTimeText(time), "2026-03-04, 05:06:07, 8ms");
  EXPECT_EQ(ReportDateTimeText({999, 12, 31, 23, 59, 59, 999}), "0999-12-31, 23:59:59, 999ms");
  EXPECT_EQ(FileDateTimeText(time), "2026-03-04 05:06");
}

TEST(ValueTexts, TimeSpansShowTheTwoLargestUnits) {
  const struct {
    std::uint64_t ms;
    const char* text;
  } cases[] = {
      {0, ""},
      {999, ""},
      {1 * kSecond, "1 second "},
      {2 * kSecond + 999, "2 seconds "},
      {1 * kMinute, "1 minute "},
      {3 * kMinute + 1 * kSecond, "3 minutes 1 second "},
      {1 * kHour + 1 * kSecond, "1 hour "},  // minutes 0, seconds never with hours
      {2 * kHour + 5 * kMinute + 9 * kSecond, "2 hours 5 minutes "},
      {1 * kDay + 5 * kMinute, "1 day "},
      {3 * kDay + 1 * kHour + 59 * kMinute, "3 days 1 hour "},
      {400 * kDay + 23 * kHour, "400 days 23 hours "},
  };
  for (const auto& c : cases) EXPECT_EQ(TimeSpanText(c.ms), c.text) << c.ms;
}

TEST(ValueTexts, ProgramUpTimeBelowOneSecondInMilliseconds) {
  EXPECT_EQ(ProgramUpTimeText(0), "0 milliseconds");
  EXPECT_EQ(ProgramUpTimeText(999), "999 milliseconds");
  EXPECT_EQ(ProgramUpTimeText(1000), "1 second ");
  EXPECT_EQ(ProgramUpTimeText(kHour + 2 * kMinute), "1 hour 2 minutes ");
}

TEST(ValueTexts, SizeTextsTruncateToTwoDecimals) {
  const std::uint64_t kb = 1024, mb = kb * kb, gb = mb * kb;
  const struct {
    std::uint64_t bytes;
    char separator;
    const char* text;
  } cases[] = {
      {0, '\0', "0 Bytes"},
      {1023, '\0', "1023 Bytes"},
      {1024, '\0', "1,00 KB"},
      {1535, '.', "1.49 KB"},  // 1.499...: truncated, not rounded
      {1536, '.', "1.50 KB"},
      {mb - 1, '\0', "1023,99 KB"},
      {mb, '\0', "1,00 MB"},
      {15 * mb + mb / 10, '\0', "15,09 MB"},
      {gb - 1, '\0', "1023,99 MB"},
      {gb, '\0', "1,00 GB"},
      {5000 * gb + gb / 4, ',', "5000,25 GB"},
      {UINT64_MAX, '\0', "17179869183,99 GB"},
  };
  for (const auto& c : cases) EXPECT_EQ(SizeText(c.bytes, c.separator), c.text) << c.bytes;
}

TEST(ValueTexts, ExceptionMessages) {
  const struct {
    const char* message;
    const char* text;
  } cases[] = {
      {"Access violation at address 0040100A", "Access violation at address 0040100A."},
      {"Division by zero.", "Division by zero."},
      {"Stop!!..!", "Stop."},
      {"", "Unknown."},
      {"\r\n\t ", " ."},  // the blank is not a control character
      {"\r\n\t", "Unknown."},
      {"a\tb\x01" "c", "abc."},
      {"line 1\r\nline 2\r\n", "line 1\r\nline 2."},
      {"...", "."},
  };
  for (const auto& c : cases) EXPECT_EQ(ExceptionMessageText(c.message), c.text) << c.message;
}

TEST(ValueTexts, SmallHeaderValues) {
  EXPECT_EQ(PhysicalMemoryText(1536ull * 1024 - 1, 4096ull * 1024 * 1024), "1/4096 MB (free/total)");
  EXPECT_EQ(PhysicalMemoryText(1536ull * 1024, 0), "2/0 MB (free/total)");
  EXPECT_EQ(SystemResourcesText(5, 100), "05/100 (gdi/user)");
  EXPECT_EQ(DisplayModeText(1024, 768, 8, 4), "1024x768, 32 bit");
  EXPECT_EQ(ProcessIdText(0x1A4), "$1a4");
  EXPECT_EQ(UserNameText("anna", true), "anna  <admin>");
  EXPECT_EQ(UserNameText("anna", false), "anna");
  EXPECT_EQ(UserNameText("", true), "");
  EXPECT_EQ(RegisteredOwnerText("Anna", "Works Ltd"), "Anna / Works Ltd");
  EXPECT_EQ(RegisteredOwnerText("Anna", ""), "Anna");
  EXPECT_EQ(FileVersionText(1, 2, 30, 4000), "1.2.30.4000");
  EXPECT_EQ(CallstackCrcText(0x1, 0xABCDEF12, 0xFFFFFFFF), "$00000001, $abcdef12, $ffffffff");
  EXPECT_EQ(CallstackCrcText(0, 0, 0).size(), 31u);
}

TEST(ValueTexts, ProcessorNameAndCount) {
  const TProcessorField one = ProcessorField("  Some CPU 3.0GHz ", 1);
  EXPECT_EQ(one.Name, "processor");
  EXPECT_EQ(one.Value, "Some CPU 3.0GHz");
  const TProcessorField two = ProcessorField("Some CPU", 2);
  EXPECT_EQ(two.Name, "processors");
  EXPECT_EQ(two.Value, "2x Some CPU");
}

TEST(ValueTexts, FreeDiskSpaceByDrive) {
  const std::uint64_t gb = 1024ull * 1024 * 1024;
  const struct {
    TDriveSpace windows, executable;
    const char* text;
  } cases[] = {
      {{"C:\\Windows", 2 * gb}, {"c:\\Program\\app.exe", 2 * gb}, "(C:) 2,00 GB"},
      {{"C:\\Windows", 2 * gb}, {"d:\\tools\\app.exe", gb / 2}, "(C:) 2,00 GB (D:) 512,00 MB"},
      {{"C:\\Windows", 2 * gb}, {"\\\\server\\share\\app.exe", gb}, "(C:) 2,00 GB"},
      {{"C:\\Windows", std::nullopt}, {"E:\\app.exe", 100}, "(E:) 100 Bytes"},
      {{"C:\\Windows", std::nullopt}, {"C:\\app.exe", 100}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FreeDiskSpaceText(c.windows, c.executable, '\0'), c.text);
}

TOsVersion Nt(std::uint32_t major, std::uint32_t minor, std::uint32_t build) {
  TOsVersion v;
  v.Platform = TOsPlatform::WindowsNT;
  v.Major = major, v.Minor = minor, v.BuildField = build;
  return v;
}

TOsVersion Win9x(std::uint32_t major, std::uint32_t minor, std::uint32_t build) {
  TOsVersion v = Nt(major, minor, build);
  v.Platform = TOsPlatform::Windows9x;
  return v;
}

TEST(OsDescription, TheWholeTable) {
  TOsVersion xp64 = Nt(5, 2, 3790);
  xp64.Workstation = true;
  const struct {
    TOsVersion version;
    const char* name;
  } cases[] = {
      {Win9x(4, 0, 950), "Windows 95"},
      {Win9x(4, 0, 1000), "Windows 95"},
      {Win9x(4, 0, 1001), "Windows 95 OSR-2"},
      {Win9x(4, 0, 0x04001111), "Windows 95 OSR-2"},  // the high word is not the build
      {Win9x(4, 0, 0x040003E8), "Windows 95"},
      {Win9x(4, 10, 1998), "Windows 98"},
      {Win9x(4, 10, 2000), "Windows 98"},
      {Win9x(4, 10, 2001), "Windows 98 SE"},
      {Win9x(4, 10, 2700), "Windows 98 SE"},
      {Win9x(4, 10, 2701), "Windows ME"},
      {Win9x(4, 11, 0), "Windows ME"},
      {Win9x(4, 90, 3000), "Windows ME"},
      {Win9x(4, 91, 0), "Windows 9x New"},
      {Win9x(5, 0, 0), "Windows 9x New"},
      {Win9x(3, 95, 0), "None"},
      {Nt(3, 51, 1057), "Windows NT 3"},
      {Nt(4, 0, 1381), "Windows NT 4"},
      {Nt(5, 0, 2195), "Windows 2000"},
      {Nt(5, 1, 2600), "Windows XP"},
      {xp64, "Windows XP"},
      {Nt(5, 2, 3790), "Windows 2003"},
      {Nt(5, 3, 0), "Windows NT New"},
      {Nt(6, 0, 6002), "Windows Vista"},
      {Nt(6, 1, 7601), "Windows NT New"},
      {Nt(10, 0, 19045), "Windows NT New"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OsName(c.version), c.name) << c.version.Major << '.' << c.version.Minor << ' ' << c.version.BuildField;
}

TEST(OsDescription, AdditionsAndBuildNumber) {
  TOsVersion server = Nt(5, 2, 3790);
  server.ServerR2 = true;
  server.X64 = true;
  server.ServicePack = "Service Pack 2";
  EXPECT_EQ(OperatingSystemText(server), "Windows 2003 R2 x64 Service Pack 2 build 3790");

  TOsVersion xp = Nt(5, 1, 2600);
  xp.TabletPc = xp.Starter = xp.MediaCenter = true;
  EXPECT_EQ(OperatingSystemText(xp), "Windows XP Tablet PC Starter Media Center build 2600");

  TOsVersion vista = Nt(6, 0, 6002);
  vista.MediaCenter = true;  // only named below Vista
  EXPECT_EQ(OperatingSystemText(vista), "Windows Vista build 6002");

  TOsVersion me = Win9x(4, 90, 0xC0045A5A);
  me.ServicePack = " A";  // Windows 9x gets no additions
  me.X64 = true;
  EXPECT_EQ(OperatingSystemText(me), "Windows ME build 23130");
  EXPECT_EQ(OsBuildNumber(Nt(6, 0, 0x10001)), 0x10001u);
}

}  // namespace
