#include <gtest/gtest.h>

#include <cstring>

#include "crash/stack/CallTest.h"
#include "crash/stack/PrepareStack.h"
#include "crash/stack/StackChecksum.h"
#include "tests/crash/stack/FakeProcess.h"

namespace {

// A process whose only code is the bytes given, at 0x401000.
class TRawCode : public TFakeProcess {
 public:
  explicit TRawCode(std::vector<std::uint8_t> bytes) { MapStack(kBase, bytes); }
  static constexpr TStackAddress kBase = 0x401000;
};

TEST(CallTest, KnowsTheCallFormsThatEndAtAReturnAddress) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> call;  // the bytes that end right at the value
    bool plausible;
  };
  const Case cases[] = {
      {"near relative", {0xE8, 1, 2, 3, 4}, true},
      {"register", {0xFF, 0xD0}, true},
      {"memory [ebx]", {0xFF, 0x13}, true},
      {"[ebp+8]", {0xFF, 0x55, 0x08}, true},
      {"[esp+8]", {0xFF, 0x54, 0x24, 0x08}, true},
      {"[disp32]", {0xFF, 0x15, 0, 0x20, 0x40, 0}, true},
      {"[eax+disp32]", {0xFF, 0x90, 0, 1, 0, 0}, true},
      {"[esp+disp32]", {0xFF, 0x94, 0x24, 0, 1, 0, 0}, true},
      {"[disp32+eax*4]", {0xFF, 0x14, 0x85, 0, 0x20, 0x40, 0}, true},
      {"far through memory", {0xFF, 0x1D, 0, 0x20, 0x40, 0}, true},
      {"far immediate", {0x9A, 1, 2, 3, 4, 5, 6}, true},
      {"jump through register", {0xFF, 0xE0}, false},
      {"push through memory", {0xFF, 0x35, 0, 0x20, 0x40, 0}, false},
      // ModRM says 3 bytes, but 4 stand before the value.
      {"wrong length", {0xFF, 0x55, 0x08, 0x90}, false},
      {"plain bytes", {0x90, 0x90, 0x90, 0x90, 0x90}, false},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes(16, 0x90);
    std::copy(c.call.begin(), c.call.end(), bytes.begin() + 8 - static_cast<std::ptrdiff_t>(c.call.size()));
    TRawCode process(bytes);
    EXPECT_EQ(IsCallReturnAddress(process, TRawCode::kBase + 8), c.plausible) << c.what;
  }
}

TEST(CallTest, NeedsReadableBytesAndAValueAboveSeven) {
  TRawCode process({0xE8, 0, 0, 0, 0, 0xE8, 0, 0, 0, 0, 0x90, 0x90});
  EXPECT_TRUE(IsCallReturnAddress(process, TRawCode::kBase + 10));
  // The eight bytes before begin outside the mapped code.
  EXPECT_FALSE(IsCallReturnAddress(process, TRawCode::kBase + 5));
  EXPECT_FALSE(IsCallReturnAddress(process, 7));
  EXPECT_FALSE(IsCallReturnAddress(process, 0));
}

TEST(FramePointerSlots, FollowTheChainInsideTheRangeAndStopAtAnyBadLink) {
  TFakeProcess process;
  TFakeStack stack(0x130000);
  stack.Locals(2);
  stack.Call(0x401111);
  const TStackAddress outer = stack.FramePointer();
  stack.Locals(3);
  stack.Call(0x402222);
  const TStackAddress inner = stack.FramePointer();
  stack.Locals(1);
  stack.MapInto(process);
  EXPECT_EQ(FramePointerSlots(process, inner, stack.Bottom(), stack.Top()),
            (std::vector<TStackAddress>{inner + 4, outer + 4}));
  // A bottom above the inner frame leaves its slot out but follows the chain.
  EXPECT_EQ(FramePointerSlots(process, inner, inner + 4, stack.Top()), (std::vector<TStackAddress>{outer + 4}));
  // A frame pointer that does not point into readable memory yields nothing
  // beyond its own slot test.
  EXPECT_TRUE(FramePointerSlots(process, 0x50000000, stack.Bottom(), stack.Top()).empty());
}

TEST(FramePointerSlots, StopWhenTheSavedValueDoesNotGrow) {
  TFakeProcess process;
  TFakeStack stack(0x130000);
  stack.Push(0x12FFF0);  // a saved frame pointer below its own slot: a loop
  const TStackAddress looping = stack.Bottom();
  stack.Push(0x401111);
  stack.Push(looping);
  stack.MapInto(process);
  EXPECT_EQ(FramePointerSlots(process, stack.Bottom(), stack.Bottom() - 4, stack.Top()),
            (std::vector<TStackAddress>{stack.Bottom() + 4}));
}

// Sure flag and address of each entry (copied out of the packed entries).
std::vector<std::pair<int, TStackAddress>> Entries(const TPreparedStack& prepared) {
  std::vector<std::pair<int, TStackAddress>> entries;
  for (const TDAPreStackItem& item : prepared) entries.emplace_back(item.Sure, TStackAddress(item.Address));
  return entries;
}

class PrepareStackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    process.AddModule("Chain.exe", 0x400000,
                      {{"main", 10, {{TFakeStep::Call, "A", 11}}},
                       {"A", 20, {{TFakeStep::Call, "B", 21}, {TFakeStep::Call, "B", 22}}},
                       {"B", 30, {{TFakeStep::Nop, "", 31}, {TFakeStep::Nop, "", 32}}}},
                      true);
    stack.Locals(2);
    stack.Call(process.ReturnAddress("main", 0));
    stack.Locals(1, process.ReturnAddress("A", 0));  // a stale value that looks like a return address
    stack.Locals(1);
    stack.Call(process.ReturnAddress("A", 1));
    stack.Locals(2);
    stack.MapInto(process);
  }
  TFakeProcess process;
  TFakeStack stack{0x130000};
};

TEST_F(PrepareStackTest, KeepsEveryPlausibleSlotFromTheTopDownAndMarksTheFrameSlots) {
  const TPreparedStack prepared =
      PrepareStack(process, stack.FramePointer(), stack.Top(), stack.Bottom(), false, 0);
  EXPECT_EQ(Entries(prepared), (std::vector<std::pair<int, TStackAddress>>{
                                   {1, process.ReturnAddress("main", 0)},
                                   {0, process.ReturnAddress("A", 0)},
                                   {1, process.ReturnAddress("A", 1)},
                               }));
}

TEST_F(PrepareStackTest, StopsAtTheExceptionAddressAndGivesUpOnAnUnreadableRange) {
  const TPreparedStack stopped = PrepareStack(process, stack.FramePointer(), stack.Top(), stack.Bottom(), true,
                                              process.ReturnAddress("A", 0));
  EXPECT_EQ(Entries(stopped),
            (std::vector<std::pair<int, TStackAddress>>{{1, process.ReturnAddress("main", 0)}}));
  EXPECT_TRUE(PrepareStack(process, stack.FramePointer(), stack.Top() + 0x1000, stack.Bottom(), false, 0).empty());
  EXPECT_TRUE(PrepareStack(process, stack.FramePointer(), stack.Bottom(), stack.Top(), false, 0).empty());
}

TEST(StackChecksum, IsTheTableUpdateOfCrc32WithoutInversion) {
  // With the usual inversions at both ends it is the standard CRC-32.
  EXPECT_EQ(~Crc32Update(~0u, std::string("123456789")), 0xCBF43926u);
  EXPECT_EQ(Crc32Update(0, std::string()), 0u);
  EXPECT_EQ(Crc32UpdateValue(0x12345678, 0xA1B2C3D4),
            Crc32Update(0x12345678, std::string("\xD4\xC3\xB2\xA1", 4)));
}

}  // namespace
