// Function analysis and the listing on a small hand-assembled function with
// a switch table, and on a long straight one for the limit.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "crash/map/Disassembler.h"
#include "crash/map/FunctionAnalysis.h"
#include "crash/map/Unmangle.h"

namespace {

constexpr TAddress kBase = 0x00401000;
constexpr TAddress kTable = 0x00402000;

// Code and a table at two places, as code and read-only data lie apart.
class TTwoPartReader : public TCodeReader {
 public:
  TTwoPartReader(std::vector<std::uint8_t> code, std::vector<std::uint8_t> table)
      : FCode(std::move(code)), FTable(std::move(table)) {}
  std::size_t Read(TAddress address, void* buffer, std::size_t count) const override {
    std::size_t got = TBufferCodeReader(kBase, FCode.data(), FCode.size()).Read(address, buffer, count);
    if (got == 0) got = TBufferCodeReader(kTable, FTable.data(), FTable.size()).Read(address, buffer, count);
    return got;
  }

 private:
  std::vector<std::uint8_t> FCode, FTable;
};

TTwoPartReader SwitchFunction() {
  return TTwoPartReader(
      {
          0x55,                                      // 00 push ebp
          0x89, 0xe5,                                // 01 mov ebp, esp
          0x83, 0xf8, 0x02,                          // 03 cmp eax, 2
          0x77, 0x10,                                // 06 ja 18
          0xff, 0x24, 0x85, 0x00, 0x20, 0x40, 0x00,  // 08 jmp [eax*4 + table]
          0x31, 0xc0,                                // 0f xor eax, eax      (case 0)
          0xeb, 0x05,                                // 11 jmp 18
          0xe8, 0xe8, 0x00, 0x00, 0x00,              // 13 call 401100       (case 1)
          0xff, 0xd0,                                // 18 call eax          (case 2, default)
          0x5d,                                      // 1a pop ebp
          0xc3,                                      // 1b ret
          0xcc, 0xcc, 0xcc, 0xcc,                    // 1c never reached
      },
      {0x0f, 0x10, 0x40, 0x00, 0x13, 0x10, 0x40, 0x00, 0x18, 0x10, 0x40, 0x00, 0xff, 0xff, 0xff, 0xff});
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", from)) {
    lines.push_back(text.substr(from, at - from));
    from = at + 2;
  }
  lines.push_back(text.substr(from));
  return lines;
}

TEST(FunctionAnalysis, FollowsJumpsAndTheSwitchTableAndSeparatesCalls) {
  const TTwoPartReader reader = SwitchFunction();
  const TFunctionInfo info = AnalyseFunction(reader, kBase);
  ASSERT_TRUE(info.Valid);
  EXPECT_EQ(info.CodeBegin, kBase);
  EXPECT_EQ(info.CodeLength, 0x1cu);  // the padding after the return is not reached
  struct TExpectedArea {
    TAddress Start, End;
    TCodeAreaKind Kind;
  } expected[] = {{kBase, kBase + 0x0f, TCodeAreaKind::Instructions},
                  {kBase + 0x0f, kBase + 0x13, TCodeAreaKind::Instructions},
                  {kBase + 0x13, kBase + 0x18, TCodeAreaKind::Instructions},
                  {kBase + 0x18, kBase + 0x1c, TCodeAreaKind::Instructions},
                  // three entries, as the compare before the jump says; the
                  // fourth word is not part of it
                  {kTable, kTable + 12, TCodeAreaKind::CaseTable}};
  ASSERT_EQ(info.Areas.size(), std::size(expected));
  for (std::size_t i = 0; i < info.Areas.size(); ++i) {
    EXPECT_EQ(info.Areas[i].Start, expected[i].Start) << i;
    EXPECT_EQ(info.Areas[i].End, expected[i].End) << i;
    EXPECT_EQ(info.Areas[i].Kind, expected[i].Kind) << i;
  }
  ASSERT_EQ(info.KnownCalls.size(), 1u);
  EXPECT_EQ(info.KnownCalls[0].CallSite, kBase + 0x13);
  EXPECT_EQ(info.KnownCalls[0].ReturnAddress, kBase + 0x18);
  EXPECT_EQ(info.KnownCalls[0].Target, 0x00401100u);
  ASSERT_EQ(info.UnknownCalls.size(), 1u);
  EXPECT_EQ(info.UnknownCalls[0].ReturnAddress, kBase + 0x1a);
  EXPECT_TRUE(info.IsReturnAddress(kBase + 0x1a));
  EXPECT_FALSE(info.IsReturnAddress(kBase + 0x19));
  EXPECT_EQ(info.AreaAt(kBase + 0x1c), nullptr);
}

TEST(FunctionAnalysis, FrameHelpersChangeWherePathsGo) {
  // jmp to the finally helper: the code after it still runs; a call of the
  // halt helper does not return; a jump to the on-exception helper is
  // followed by its handler table (one class and one catch-all entry).
  std::vector<std::uint8_t> code = {
      0xe9, 0xfb, 0x0f, 0x00, 0x00,  // 00 jmp 402000 (finally helper)
      0x90,                          // 05 nop
      0xe9, 0xf5, 0x1f, 0x00, 0x00,  // 06 jmp 403000 (on-exception helper)
      0x02, 0x00, 0x00, 0x00,        // 0b count 2
      0x00, 0x50, 0x40, 0x00, 0x1f, 0x10, 0x40, 0x00,  // 0f class 405000 -> 1f
      0x00, 0x00, 0x00, 0x00, 0x25, 0x10, 0x40, 0x00,  // 17 any -> 25
      0xe8, 0xdc, 0x3f, 0x00, 0x00,  // 1f call 405000 (halt helper)
      0xcc,                          // 24 not reached
      0xc3,                          // 25 ret
  };
  const TBufferCodeReader reader(kBase, code.data(), code.size());
  TFrameHelpers helpers;
  helpers.HandleFinally = 0x00402000;
  helpers.HandleOnException = 0x00403000;
  helpers.Halt0 = 0x00405000;
  const TFunctionInfo info = AnalyseFunction(reader, kBase, helpers);
  ASSERT_TRUE(info.Valid);
  std::vector<std::pair<TAddress, TCodeAreaKind>> areas;
  for (const TCodeArea& area : info.Areas) areas.emplace_back(area.Start, area.Kind);
  const std::vector<std::pair<TAddress, TCodeAreaKind>> expected = {
      {kBase, TCodeAreaKind::Instructions},
      {kBase + 0x0b, TCodeAreaKind::HandlerTable},
      {kBase + 0x1f, TCodeAreaKind::Instructions},
      {kBase + 0x25, TCodeAreaKind::Instructions}};
  EXPECT_EQ(areas, expected);
  EXPECT_EQ(info.Areas[0].End, kBase + 0x0b);

  TDisassemblySources sources;
  sources.Reader = &reader;
  sources.Helpers = helpers;
  sources.ClassName = [](TAddress) { return std::string(); };
  const std::vector<std::string> lines = Lines(DisassembleFunction(sources, kBase, 0, true, 0));
  // No separator after the jump to the finally helper; the table lists its
  // entries with the unnamed class as "EUnknown".
  EXPECT_EQ(lines[2], "00401005   nop");
  EXPECT_EQ(lines[3], "00401006   jmp    0x403000");
  EXPECT_EQ(lines[7], "  on EUnknown do loc_40101f");
  EXPECT_EQ(lines[8], "  else           loc_401025");
  EXPECT_EQ(lines[8].find("loc_"), lines[7].find("loc_"));
}

TDisassemblySources SourcesFor(const TCodeReader& reader) {
  TDisassemblySources sources;
  sources.Reader = &reader;
  return sources;
}

TEST(Disassembler, PlainListingOfTheSwitchFunction) {
  const TTwoPartReader reader = SwitchFunction();
  const std::string text = DisassembleFunction(SourcesFor(reader), kBase, kBase + 0x13, false, 0);
  const std::vector<std::string> expected = {
      "sub_401000:                     ; function entry point",
      "00401000   push   ebp",
      "00401001   mov    ebp, esp",
      "00401003   cmp    eax, 2",
      "00401006   ja     loc_401018",
      "00401008   jmp    dword ptr [eax*4 + 0x402000]",
      "0040100f   xor    eax, eax",
      "00401011   jmp    loc_401018",
      "00401013 > call   0x401100",
      "00401018   call   eax",
      "0040101a   pop    ebp",
      "0040101b   ret",
      "  dd loc_40100f                 ; case jump table",
      "  dd loc_401013",
      "  dd loc_401018",
  };
  EXPECT_EQ(Lines(text), expected);
  EXPECT_EQ(text.substr(text.size() - 2), "18");  // no line break after the last line
}

TEST(Disassembler, FormattedListingWithNameAndLineNumbers) {
  const TTwoPartReader reader = SwitchFunction();
  TDisassemblySources sources = SourcesFor(reader);
  sources.FunctionName = [](TAddress at) { return at == kBase ? std::string("Sample.cpp.Pick") : std::string(); };
  const std::map<TAddress, int> lines = {{0x00, 10}, {0x08, 11}, {0x0f, 12}, {0x13, 13}, {0x18, 14}};
  sources.LineAt = [&](TAddress at) {
    auto found = lines.upper_bound(at - kBase);
    return found == lines.begin() ? 0 : std::prev(found)->second;
  };
  const std::vector<std::string> expected = {
      "public Sample.cpp.Pick:         ; function entry point",
      "00401000   10 push   ebp",
      "00401001      mov    ebp, esp",
      "00401003      cmp    eax, 2",
      "00401006      ja     loc_401018",
      "00401008   11 jmp    dword ptr [eax*4 + 0x402000]",
      "",
      "; ---------------------------------------------------------",
      "",
      "loc_40100f:",
      "0040100f   12 xor    eax, eax",
      "00401011      jmp    loc_401018",
      "",
      "; ---------------------------------------------------------",
      "",
      "loc_401013:",
      "00401013 > 13 call   0x401100",
      "",
      "loc_401018:",
      "00401018   14 call   eax",
      "0040101a      pop    ebp",
      "0040101b      ret",
      "",
      "; ---------------------------------------------------------",
      "",
      "  dd loc_40100f                 ; case jump table",
      "  dd loc_401013",
      "  dd loc_401018",
  };
  EXPECT_EQ(Lines(DisassembleFunction(sources, kBase, kBase + 0x13, true, 0)), expected);
}

TEST(Disassembler, LimitKeepsFiveLinesAroundTheMarkedOne) {
  std::vector<std::uint8_t> code(40, 0x90);
  code.push_back(0xc3);
  const TBufferCodeReader reader(kBase, code.data(), code.size());
  // The label is the first line: the 30th line is the 29th instruction.
  const std::vector<std::string> thirtieth = Lines(DisassembleFunction(SourcesFor(reader), kBase, kBase + 28, false, 5));
  ASSERT_EQ(thirtieth.size(), 13u);
  EXPECT_EQ(thirtieth[0], "[...]");
  EXPECT_EQ(thirtieth[1], "00401017   nop");
  EXPECT_EQ(thirtieth[6], "0040101c > nop");
  EXPECT_EQ(thirtieth[11], "00401021   nop");
  EXPECT_EQ(thirtieth[12], "[...]");

  const std::vector<std::string> sixth = Lines(DisassembleFunction(SourcesFor(reader), kBase, kBase + 4, false, 5));
  ASSERT_EQ(sixth.size(), 12u);
  EXPECT_EQ(sixth[0], "sub_401000:                     ; function entry point");
  EXPECT_EQ(sixth[5], "00401004 > nop");
  EXPECT_EQ(sixth[11], "[...]");

  // Near the end nothing follows the cut; a mark outside lists it all.
  const std::vector<std::string> last = Lines(DisassembleFunction(SourcesFor(reader), kBase, kBase + 40, false, 5));
  EXPECT_EQ(last.back(), "00401028 > ret");
  EXPECT_EQ(Lines(DisassembleFunction(SourcesFor(reader), kBase, 0x500000, false, 5)).size(), 42u);
}

TEST(Disassembler, NothingForCodeThatCannotBeReadAndAnErrorForAreasThatOverlap) {
  const std::uint8_t invalid[] = {0x0f, 0x04};
  const TBufferCodeReader reader(kBase, invalid, sizeof invalid);
  EXPECT_EQ(DisassembleFunction(SourcesFor(reader), kBase, kBase, false, 0), "");
  EXPECT_EQ(DisassembleFunction(SourcesFor(reader), 0x10, 0x10, false, 0), "");
  // A table entry that jumps into the middle of an instruction: two areas
  // share bytes and cannot be put in order.
  const TTwoPartReader overlapping(
      {0x83, 0xf8, 0x01, 0xff, 0x24, 0x85, 0x00, 0x20, 0x40, 0x00, 0xb8, 0x01, 0x02, 0x03, 0x04, 0xc3},
      {0x0a, 0x10, 0x40, 0x00, 0x0b, 0x10, 0x40, 0x00});
  EXPECT_EQ(DisassembleFunction(SourcesFor(overlapping), kBase, kBase, false, 0), kDisassemblyOrderError);
}

TEST(Unmangle, LinkerNamesGiveUnitAndName) {
  const struct {
    const char* Linker;
    const char* Unit;
    const char* Name;
  } cases[] = {
      {"@Ellistbox@TCustomElListBox@SetTopIndex$qqri", "Ellistbox", "TCustomElListBox.SetTopIndex"},
      {"@Classes@TList@$bdtr$qqrv", "Classes", "TList.Destroy"},
      {"@Classes@TList@$bctr$qqrv", "Classes", "TList.Create"},
      {"@System@@HandleFinally$qqrv", "System", "@HandleFinally"},
      {"@Ab$qv", "", "Ab"},
      {"_main", "", "_main"},
      {"TRavelinMainForm::ScanClick", "", "TRavelinMainForm.ScanClick"},
      {"@Unit@Name", "Unit", "Name"},
      {"@Unit@", "", "@Unit.Create"},
      {"@Unit@X. ", "Unit", "X.?"},
      {"@%Set$i%@Text", "", "Set.Text"},
  };
  for (const auto& c : cases) {
    const TUnmangledName result = UnmangleName(c.Linker);
    EXPECT_EQ(result.Unit, c.Unit) << c.Linker;
    EXPECT_EQ(result.Name, c.Name) << c.Linker;
  }
}

}  // namespace
