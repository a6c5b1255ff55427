#include <gtest/gtest.h>

#include <cstring>

#include "crash/stack/ModuleExports.h"

namespace {

constexpr TAddress kBase = 0x10000000;

// A loaded image in a buffer: headers, an export directory at 0x200 naming
// two of its three routines, and its entry point.
class TImageWithExports {
 public:
  TImageWithExports() : FBytes(0x1000, 0) {
    Put16(0, 0x5a4d);
    Put32(0x3c, 0x40);
    Put32(0x40, 0x00004550);
    Put16(0x40 + 20, 0xE0);  // size of the optional header
    const std::uint32_t optional = 0x40 + 24;
    Put16(optional, 0x10b);
    Put32(optional + 16, 0x1500);  // entry point
    Put32(optional + 92, 16);      // data directories
    Put32(optional + 96, 0x200);   // export directory
    Put32(optional + 100, 0x100);
    // Ordinal base 5, three functions, two names.
    Put32(0x200 + 16, 5);
    Put32(0x200 + 20, 3);
    Put32(0x200 + 24, 2);
    Put32(0x200 + 28, 0x240);
    Put32(0x200 + 32, 0x260);
    Put32(0x200 + 36, 0x270);
    Put32(0x240, 0x1200);  // ordinal 5: "Beta"
    Put32(0x244, 0x1100);  // ordinal 6: no name
    Put32(0x248, 0x1800);  // ordinal 7: "Alpha"
    Put32(0x260, 0x280);
    Put32(0x264, 0x288);
    Put16(0x270, 2);
    Put16(0x272, 0);
    std::memcpy(&FBytes[0x280], "Alpha", 6);
    std::memcpy(&FBytes[0x288], "Beta", 5);
  }
  TBufferCodeReader Reader() const { return TBufferCodeReader(kBase, FBytes.data(), FBytes.size()); }
  void Put16(std::size_t at, std::uint16_t v) { std::memcpy(&FBytes[at], &v, 2); }
  void Put32(std::size_t at, std::uint32_t v) { std::memcpy(&FBytes[at], &v, 4); }

 private:
  std::vector<std::uint8_t> FBytes;
};

TEST(ModuleExports, NameTheNearestRoutineBelowByNameOrdinalOrEntryPoint) {
  const TImageWithExports image;
  const TBufferCodeReader reader = image.Reader();
  const TModuleExports exports(reader, kBase);
  ASSERT_EQ(exports.All().size(), 3u);
  struct Case {
    TAddress address;
    bool found;
    TAddress start;
    const char* name;
  };
  const Case cases[] = {
      {kBase + 0x1000, false, 0, ""},
      {kBase + 0x1100, true, kBase + 0x1100, "#6"},
      {kBase + 0x1234, true, kBase + 0x1200, "Beta"},
      {kBase + 0x1600, true, kBase + 0x1500, ""},  // the entry point has no name
      {kBase + 0x1900, true, kBase + 0x1800, "Alpha"},
  };
  for (const Case& c : cases) {
    TModuleExport found;
    ASSERT_EQ(exports.Below(c.address, found), c.found) << std::hex << c.address;
    if (!c.found) continue;
    EXPECT_EQ(found.Address, c.start) << std::hex << c.address;
    EXPECT_EQ(found.Name, c.name) << std::hex << c.address;
  }
}

TEST(ModuleExports, ADamagedDirectoryGivesNone) {
  TImageWithExports image;
  image.Put32(0x200 + 20, 0x7fffffff);  // an impossible function count
  const TBufferCodeReader reader = image.Reader();
  EXPECT_TRUE(TModuleExports(reader, kBase).All().empty());
  // Headers that are not an image give neither exports nor entry point.
  const std::vector<std::uint8_t> junk(64, 0xAB);
  const TBufferCodeReader junkReader(kBase, junk.data(), junk.size());
  TModuleExport found;
  EXPECT_FALSE(TModuleExports(junkReader, kBase).Below(kBase + 0x20, found));
}

}  // namespace
