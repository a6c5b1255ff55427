#include "crash/ui/dialog/DetailTabs.h"

#include <gtest/gtest.h>

#include "crash/ui/dialog/ColumnSplit.h"

namespace {

std::vector<std::string> Titles(const std::vector<TDetailTab>& tabs) {
  std::vector<std::string> titles;
  for (const TDetailTab& tab : tabs) titles.push_back(tab.Title);
  return titles;
}

const char kModules[] =
    "00400000 Ravelin.exe               D:\\app\\\r\n"
    "10000000 a.dll       1.0           D:\\app\\\r\n"
    "7c900000 ntdll.dll   5.1.2600.5512 C:\\WINDOWS\\system32\\";

}  // namespace

TEST(DetailTabs, TabsFollowTheSectionsAsTheReportGrows) {
  // At once: the failing thread and placeholders.
  const TReportItems early = {{"main thread ($1a4):", ">> stack will be calculated soon"},
                              {"cpu registers", ">> will be calculated soon"}};
  EXPECT_EQ(Titles(DetailTabs(early)), (std::vector<std::string>{"general", "call stack", "cpu regs"}));
  const TReportItems complete = {{"main thread ($1a4):", "x"},   {"worker ($1b0):", "y"},
                                 {"cpu registers", "eax = 0"},    {"stack dump", "z"},
                                 {"disassembling", "d"},          {"modules", kModules},
                                 {"processes", "p"},              {"hardware", "h"}};
  EXPECT_EQ(Titles(DetailTabs(complete)),
            (std::vector<std::string>{"general", "call stacks", "cpu regs", "stack dump", "disasm", "modules",
                                      "processes", "hardware"}));
  EXPECT_EQ(DetailTabs(complete)[4].SectionName, "disassembling");
  EXPECT_EQ(Titles(DetailTabs({})), std::vector<std::string>{"general"});
}

TEST(DetailTabs, HeaderAndCallStacks) {
  const TReportItems header = {{"date/time", "2026-12-11"}, {"exception class", "EAccessViolation"}};
  const TReportItems sections = {
      {"main thread ($1a4):", "00401000 +010 Ravelin.exe Main  12 +2 Foo\r\n00401100 +020 Ravelin.exe Main 140 +0 Bar"},
      {"worker ($1b0):", "00402000 +004 Ravelin.exe Work   7 +1 Run\r\n>> created by main thread ($1a4) at:\r\n"
                         "00401200 +008 Ravelin.exe Main  99 +3 Start"},
      {"modules", kModules}};
  const TDetailTable general = DetailTableOf({"general", TDetailKind::Header, ""}, header, sections);
  EXPECT_EQ(general.Columns, (std::vector<std::string>{"description", "value"}));
  EXPECT_EQ(general.Rows, (std::vector<std::vector<std::string>>{{"date/time", "2026-12-11"},
                                                                   {"exception class", "EAccessViolation"}}));
  const TDetailTable stacks = DetailTableOf({"call stacks", TDetailKind::CallStacks, ""}, header, sections);
  EXPECT_EQ(stacks.Columns.size(), 7u);
  EXPECT_EQ(stacks.Columns[6], "function");
  const std::vector<std::vector<std::string>> rows = {
      {">> main thread ($1a4):"},
      {"00401000", "+010", "Ravelin.exe", "Main", "12", "+2", "Foo"},
      {"00401100", "+020", "Ravelin.exe", "Main", "140", "+0", "Bar"},
      {""},
      {">> worker ($1b0):"},
      {"00402000", "+004", "Ravelin.exe", "Work", "7", "+1", "Run"},
      {">> created by main thread ($1a4) at:"},
      {"00401200", "+008", "Ravelin.exe", "Main", "99", "+3", "Start"}};
  EXPECT_EQ(stacks.Rows, rows);
}

TEST(DetailTabs, KnownSectionsGetTheirColumns) {
  const TReportItems sections = {
      {"modules", kModules},
      {"cpu registers", "eax = 00000001\r\nebx = 0012ff00"},
      {"stack dump",
       "0012ff00  01 02 03 04 05 06 07 08 - 41 42 43 44 45 46 47 48  ........ABCDEFGH\r\n"
       "0012ff10  11 12 13 14 15 16 17 18 - 49 4a 4b 4c 4d 4e 4f 50  ........IJKLMNOP"},
      {"processes", "0004 System      0 normal       \r\nbeef Ravelin.exe 1 below normal D:\\app\\"},
      {"processes2", "x"}};
  const TDetailTable modules = DetailTableOf({"modules", TDetailKind::Section, "modules"}, {}, sections);
  EXPECT_EQ(modules.Columns, (std::vector<std::string>{"handle", "file name", "version", "path"}));
  EXPECT_EQ(modules.Rows[0], (std::vector<std::string>{"00400000", "Ravelin.exe", "", "D:\\app\\"}));
  EXPECT_EQ(modules.Rows[2], (std::vector<std::string>{"7c900000", "ntdll.dll", "5.1.2600.5512",
                                                       "C:\\WINDOWS\\system32\\"}));
  const TDetailTable registers = DetailTableOf({"cpu regs", TDetailKind::Section, "cpu registers"}, {}, sections);
  EXPECT_EQ(registers.Columns, (std::vector<std::string>{"reg.", "content"}));
  EXPECT_EQ(registers.Rows[1], (std::vector<std::string>{"ebx", "0012ff00"}));
  const TDetailTable dump = DetailTableOf({"stack dump", TDetailKind::Section, "stack dump"}, {}, sections);
  ASSERT_EQ(dump.Rows.size(), 2u);
  EXPECT_EQ(dump.Rows[0], (std::vector<std::string>{"0012ff00", "01 02 03 04 05 06 07 08 - 41 42 43 44 45 46 47 48",
                                                    "........ABCDEFGH"}));
  const TDetailTable processes = DetailTableOf({"processes", TDetailKind::Section, "processes"}, {}, sections);
  EXPECT_EQ(processes.Columns, (std::vector<std::string>{"id", "file name", "session", "priority", "path"}));
  EXPECT_EQ(processes.Rows[1], (std::vector<std::string>{"beef", "Ravelin.exe", "1", "below normal", "D:\\app\\"}));
}

TEST(DetailTabs, PlaceholdersAndUnalignedTextStayText) {
  const TReportItems sections = {{"modules", ">> will be calculated soon"},
                                 {"hardware", "Display adapters\r\n  Wine display driver"},
                                 {"notes", "key one   value one\r\nkey two   value two"},
                                 {"single", "a  b"}};
  const auto table = [&](const char* name) { return DetailTableOf({name, TDetailKind::Section, name}, {}, sections); };
  EXPECT_TRUE(table("modules").Columns.empty());
  EXPECT_EQ(table("modules").Text, ">> will be calculated soon");
  EXPECT_TRUE(table("hardware").Columns.empty());
  EXPECT_EQ(table("hardware").Text, "Display adapters\r\n  Wine display driver");
  EXPECT_TRUE(table("single").Columns.empty());
  // Aligned text of an unknown section is split, without column names.
  const TDetailTable notes = table("notes");
  EXPECT_EQ(notes.Columns.size(), 2u);
  EXPECT_EQ(notes.Rows[1], (std::vector<std::string>{"key two", "value two"}));
}

TEST(ColumnSplit, LinesAndCells) {
  EXPECT_EQ(SplitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(SplitLines("").empty());
  // Leading blanks start no column; a short line has ended.
  const std::vector<std::string> lines = {"  12 ab", "   3 cd   x", ">> note"};
  const std::vector<std::size_t> starts = ColumnStarts(lines, 1, 10);
  EXPECT_EQ(starts, (std::vector<std::size_t>{0, 5, 10}));
  EXPECT_EQ(CellsOf(lines[0], starts), (std::vector<std::string>{"12", "ab", ""}));
  // The cap: the last column takes the rest.
  EXPECT_EQ(CellsOf(lines[1], ColumnStarts(lines, 1, 2)), (std::vector<std::string>{"3", "cd   x"}));
}
