// The map information embedded in this test program, read through the
// module list, against what the mingw binutils say about the same image:
// every instruction of the code (objdump), sample lines (addr2line) and
// symbol starts (nm).
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

#include "crash/map/InstructionDecoder.h"
#include "crash/map/MapResource.h"
#include "crash/map/win32/ModuleList.h"
#include "crash/map/win32/ProcessCodeReader.h"
#include "crash/map/win32/Win32MapSources.h"

namespace {

TAddress ImageBase() { return static_cast<TAddress>(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr))); }

std::ifstream Oracle(const char* name) {
  return std::ifstream(std::string(RAVELIN_MAP_ORACLE_DIR) + "/" + name);
}

__attribute__((noinline)) TAddress CallersReturnAddress() {
  return static_cast<TAddress>(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)));
}

__attribute__((noinline)) int KnownFunction(int* line) {
  const TAddress back = CallersReturnAddress(); *line = __LINE__;
  return static_cast<int>(back);
}

TEST(OwnImageMap, TheEmbeddedMapNamesThisProgramsFunctionsAndLines) {
  const TAddress function = static_cast<TAddress>(reinterpret_cast<std::uintptr_t>(&KnownFunction));
  const auto map = TModuleList::Instance().MapOfAddress(function);
  ASSERT_TRUE(map && map->Valid);
  EXPECT_EQ(map->FileName, "crash_map_tests.exe");
  EXPECT_EQ(map->Fingerprint.size(), 31u);
  EXPECT_EQ(map->UnitAt(function), "OwnImageMapTest.cpp");
  EXPECT_EQ(FunctionNameAt(function), "OwnImageMapTest.cpp.(anonymous namespace).KnownFunction");

  int expectedLine = 0;
  const TAddress back = static_cast<TAddress>(KnownFunction(&expectedLine));
  EXPECT_EQ(map->LineAt(back - 1), expectedLine);
  int line = 0;
  TAddress lowest = 0, highest = 0;
  LineOfAddress(back - 1, line, lowest, highest);
  EXPECT_EQ(line, expectedLine);

  // The same map is served from the cache.
  EXPECT_EQ(TModuleList::Instance().MapOfAddress(back).get(), map.get());
  // The ".ost" file beside the program holds the same bytes as the resource.
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string ost = path;
  ost.replace(ost.size() - 4, 4, ".ost");
  EXPECT_EQ(ReadWholeFile(ost), ModuleResource(GetModuleHandleA(nullptr), kMapResourceName, kMapResourceType));
}

TEST(OwnImageMap, LinesAndPublicsAgreeWithAddr2lineAndNm) {
  std::ifstream oracle = Oracle("address_oracle.txt");
  ASSERT_TRUE(oracle.good());
  const TAddress base = ImageBase();
  const auto map = TModuleList::Instance().MapOfAddress(base + 0x1000);
  ASSERT_TRUE(map && map->Valid);
  std::string text;
  int compared = 0, lineMismatches = 0, publicMismatches = 0;
  while (std::getline(oracle, text)) {
    std::istringstream fields(text);
    unsigned address = 0, start = 0;
    int line = 0;
    fields >> std::hex >> address >> std::dec >> line >> std::hex >> start;
    ++compared;
    const int found = map->LineAt(base + address);
    // -1: addr2line knows a line there but no function around it.
    if (line >= 0 && (found < 0 ? 0 : found) != line) {
      if (++lineMismatches <= 5) ADD_FAILURE() << std::hex << "line of +" << address << ": " << std::dec << found << " against " << line;
    }
    const TMfPublic* item = map->PublicAt(base + address);
    if (!item || item->Address != base + start) {
      if (++publicMismatches <= 5) ADD_FAILURE() << std::hex << "public of +" << address;
    }
  }
  EXPECT_GT(compared, 100);
  EXPECT_EQ(lineMismatches, 0);
  EXPECT_EQ(publicMismatches, 0);
}

TEST(OwnImageMap, DecoderAgreesWithObjdumpOnEveryInstructionOfTheCode) {
  std::ifstream oracle = Oracle("decoder_oracle.txt");
  ASSERT_TRUE(oracle.good());
  const TAddress base = ImageBase();
  std::string text;
  int compared = 0, mismatches = 0;
  while (std::getline(oracle, text)) {
    std::istringstream fields(text);
    unsigned address = 0, length = 0;
    std::string kind, target;
    fields >> std::hex >> address >> std::dec >> length >> kind >> target;
    const TInstruction instruction = DecodeInstruction(TProcessCodeReader::Instance(), base + address);
    ++compared;
    bool same = instruction.Valid && instruction.Length == length;
    if (kind == "call") same = same && instruction.IsCall();
    if (kind == "jump") same = same && instruction.IsJump();
    if (kind == "-") same = same && !instruction.IsCall() && !instruction.IsJump();
    if (target != "-")
      same = same && instruction.HasTarget && instruction.Target == base + std::stoul(target, nullptr, 16);
    else
      same = same && !instruction.HasTarget;
    if (!same && ++mismatches <= 10)
      ADD_FAILURE() << DecodeInstruction(TProcessCodeReader::Instance(), base + address, true).Text
                    << " against: " << text;
  }
  EXPECT_GT(compared, 10000);
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
