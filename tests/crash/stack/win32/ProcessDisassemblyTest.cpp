// The listing of a function of this program, as the report shows the function
// of a trace: its name and source lines come from the embedded map, and the
// limit cuts around the marked instruction.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include "crash/stack/win32/StackTracer.h"
#include "crash/stack/win32/Win32StackEnvironment.h"

volatile int gListingSink = 0;

// Long enough for a cut on both sides, with a switch that becomes a jump table.
constexpr int kListedFunctionLine = __LINE__ + 1;
__attribute__((noinline)) int ListedFunction(int kind) {
  int result = 0;
  switch (kind) {
    case 0: result = gListingSink + 3; break;
    case 1: result = gListingSink * 7; break;
    case 2: result = gListingSink - 11; break;
    case 3: result = gListingSink ^ 0x55; break;
    case 4: result = gListingSink / 3; break;
    case 5: result = gListingSink % 5; break;
    default: result = -1; break;
  }
  for (int i = 0; i < kind; ++i) gListingSink = gListingSink + result * i;
  return result + gListingSink;
}

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool IsInstruction(const std::string& line) { return std::regex_search(line, std::regex("^[0-9a-f]{8} [ >] ")); }

TStackAddress AddressOf(const std::string& line) { return static_cast<TStackAddress>(std::stoul(line.substr(0, 8), nullptr, 16)); }

TStackAddress Start() { return static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(&ListedFunction)); }

class ProcessDisassembly : public ::testing::TestWithParam<bool> {
 protected:
  std::vector<std::string> Listing(TStackAddress marked, int limit) {
    return Lines(tracer.Disassemble(Start(), marked, GetParam(), limit));
  }
  TStackTracer tracer{SystemStackEnvironment()};
};

TEST_P(ProcessDisassembly, NamesTheFunctionAndNumbersItsSourceLines) {
  const std::vector<std::string> lines = Listing(Start(), 0);
  ASSERT_GT(lines.size(), 40u);
  EXPECT_EQ(lines[0], "public ProcessDisassemblyTest.cpp.ListedFunction:  ; function entry point");
  // The entry carries the line of the function's head, zero-padded to the
  // width of the last line's number; the mark stands in the 10th column.
  const std::string head = std::to_string(kListedFunctionLine);
  EXPECT_EQ(lines[1].substr(8, 3 + head.size() + 1), " > " + head + " ");
  EXPECT_EQ(AddressOf(lines[1]), Start());
  int numbered = 0, instructions = 0;
  for (const std::string& line : lines) {
    if (!IsInstruction(line)) continue;
    ++instructions;
    if (line[11] != ' ') ++numbered;
  }
  EXPECT_GT(numbered, 8);  // every case line starts a line of its own
  EXPECT_GT(instructions, 30);
  const bool hasSeparators = std::count(lines.begin(), lines.end(), "; ---------------------------------------------------------") > 0;
  EXPECT_EQ(hasSeparators, GetParam());
  const bool hasLabels = std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
    return std::regex_match(l, std::regex("loc_[0-9a-f]+:"));
  });
  EXPECT_EQ(hasLabels, GetParam());
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
    return l.find("  ; case jump table") != std::string::npos;
  }));
}

TEST_P(ProcessDisassembly, LimitCutsFiveLinesEachSideOfTheThirtiethButNothingBeforeTheSixth) {
  std::vector<std::string> full = Listing(Start(), 0);
  ASSERT_GT(full.size(), 36u);
  ASSERT_TRUE(IsInstruction(full[29])) << full[29];
  const TStackAddress thirtieth = AddressOf(full[29]);
  full = Listing(thirtieth, 0);
  ASSERT_EQ(full[29][9], '>');
  std::vector<std::string> expected = {"[...]"};
  expected.insert(expected.end(), full.begin() + 24, full.begin() + 35);
  expected.push_back("[...]");
  EXPECT_EQ(Listing(thirtieth, 5), expected);

  ASSERT_TRUE(IsInstruction(full[5])) << full[5];
  const TStackAddress sixth = AddressOf(full[5]);
  full = Listing(sixth, 0);
  expected.assign(full.begin(), full.begin() + 11);
  expected.push_back("[...]");
  EXPECT_EQ(Listing(sixth, 5), expected);
}

INSTANTIATE_TEST_SUITE_P(FormattedAndPlain, ProcessDisassembly, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Formatted" : "Plain"; });

}  // namespace
