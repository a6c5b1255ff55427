// Lookups of map information on a small hand-made map, and its stream and
// resource forms read back.
#include <gtest/gtest.h>

#include <map>

#include "crash/map/MapLoader.h"
#include "crash/map/MapResource.h"
#include "crash/map/MapStream.h"
#include "tests/crash/map/MapTestFiles.h"

namespace {

constexpr TAddress kCode = 0x00401000;

// Two units: Alpha.cpp at 0x000-0x100 (lines), Beta.h at 0x100-0x180; a
// data segment after the code.
TMapFile SampleMap() {
  TMapFile map;
  map.FileName = "Sample.exe";
  map.Code = {kCode, 0x200};
  map.Segments = {{true, true, kCode + 0x100, 0x80, "Beta.h", true},
                  {true, true, kCode, 0x100, "Alpha.cpp", true},
                  {true, false, 0x00403000, 0x40, "Alpha.cpp", false}};
  map.Publics = {{true, true, "Alpha.Second", kCode + 0x40},
                 {true, true, "Alpha.First", kCode},
                 {true, true, "Beta.Third", kCode + 0x100},
                 {true, true, "public%7", kCode + 0x190}};
  map.Lines = {{12, kCode + 0x10}, {10, kCode}, {20, kCode + 0x40}, {300, kCode + 0x120}};
  map.EntryPoint = kCode + 0x40;
  map.Sort();
  return map;
}

TEST(MapFile, SegmentAtFindsTheSegmentOfTheKindAskedFor) {
  const TMapFile map = SampleMap();
  EXPECT_EQ(map.SegmentAt(true, kCode)->Unit, "Alpha.cpp");
  EXPECT_EQ(map.SegmentAt(true, kCode + 0xff)->Unit, "Alpha.cpp");
  EXPECT_EQ(map.SegmentAt(true, kCode + 0x100)->Unit, "Beta.h");
  EXPECT_EQ(map.SegmentAt(true, kCode + 0x180), nullptr);
  EXPECT_EQ(map.SegmentAt(true, 0x00403000), nullptr);
  EXPECT_EQ(map.SegmentAt(false, 0x00403010)->Unit, "Alpha.cpp");
  EXPECT_EQ(map.SegmentAt(false, kCode), nullptr);
}

TEST(MapFile, PublicAtAndLineAt) {
  const TMapFile map = SampleMap();
  struct TCase {
    TAddress Address;
    const char* Public;  // null: none
    int Line;
  } cases[] = {
      {kCode - 1, nullptr, 0},
      {kCode, "Alpha.First", 10},
      {kCode + 0x3f, "Alpha.First", 12},
      {kCode + 0x40, "Alpha.Second", 20},
      {kCode + 0xff, "Alpha.Second", 20},
      // Beta's code before its first line entry: the entry at 0x40 belongs to
      // another segment, so no line.
      {kCode + 0x100, "Beta.Third", 0},
      {kCode + 0x130, "Beta.Third", 300},
      // Past the code segments, still inside the code range: a public but no line.
      {kCode + 0x1ff, "public%7", 0},
      // Past the end of the code range: nothing.
      {kCode + 0x200, nullptr, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.Address);
    const TMfPublic* found = map.PublicAt(c.Address);
    if (c.Public) {
      ASSERT_NE(found, nullptr);
      EXPECT_EQ(found->Name, c.Public);
    } else {
      EXPECT_EQ(found, nullptr);
    }
    EXPECT_EQ(map.LineAt(c.Address), c.Line);
  }
}

TEST(MapFile, WithoutLinesTheSegmentSaysWhetherThereShouldBeSome) {
  TMapFile map = SampleMap();
  map.Lines.clear();
  EXPECT_EQ(map.LineAt(kCode + 0x10), -1);
  map.Segments[0].HasLines = false;  // Alpha.cpp after sorting
  EXPECT_EQ(map.LineAt(kCode + 0x10), 0);
}

TEST(MapFile, PublicByNameSearchesTheUnitsSegmentsAndTriesSourceExtensions) {
  const TMapFile map = SampleMap();
  EXPECT_EQ(map.PublicByName(true, "alpha.cpp", "Alpha.Second", true), kCode + 0x40);
  EXPECT_EQ(map.PublicByName(true, "Alpha", "Alpha.Second", true), kCode + 0x40);
  EXPECT_EQ(map.PublicByName(true, "Beta", "beta.third", false), kCode + 0x100);
  EXPECT_EQ(map.PublicByName(true, "Beta", "beta.third", true), 0u);
  // The public exists, but not inside a segment of that unit.
  EXPECT_EQ(map.PublicByName(true, "Beta", "Alpha.First", true), 0u);
  // A unit with a dot is not retried.
  EXPECT_EQ(map.PublicByName(true, "Alpha.x", "Alpha.First", true), 0u);
  EXPECT_EQ(map.PublicByName(false, "Alpha", "Alpha.First", true), 0u);
}

TEST(MapFile, FunctionNameAtNamesOnlyTheStartOfAPublic) {
  const TMapFile map = SampleMap();
  EXPECT_EQ(map.FunctionNameAt(kCode + 0x40), "Alpha.cpp.Alpha.Second");
  EXPECT_EQ(map.FunctionNameAt(kCode + 0x41), "");
  // No segment there: just the name; a numbered name tells its module.
  EXPECT_EQ(map.FunctionNameAt(kCode + 0x190), "public%7 (Sample.exe)");
}

TEST(MapFile, LineOfAddressKeepsAKnownLineInsideItsRange) {
  const TMapFile map = SampleMap();
  int line = 0;
  TAddress lowest = 0, highest = 0;
  map.LineOfAddress(kCode + 0x14, line, lowest, highest);
  EXPECT_EQ(line, 12);
  EXPECT_EQ(lowest, kCode + 0x14);
  EXPECT_EQ(highest, kCode + 0x40);
  line = 99;  // a known line is not looked up again inside [lowest, highest)
  map.LineOfAddress(kCode + 0x3f, line, lowest, highest);
  EXPECT_EQ(line, 99);
  map.LineOfAddress(kCode + 0x40, line, lowest, highest);
  EXPECT_EQ(line, 20);
  EXPECT_EQ(highest, kCode + 0x120);
  map.LineOfAddress(kCode + 0x130, line, lowest, highest);
  EXPECT_EQ(highest, kCode + 0x200);  // after the last entry: the end of the code
}

TEST(MapStream, ReadsBackWhatWasWrittenAtAnotherBase) {
  const TMapFile original = SampleMap();
  TMapFile codeOnly = original;
  codeOnly.Segments.pop_back();  // the stream holds code segments only
  const std::string stream = WriteMapStream(codeOnly);

  TMapFile moved;
  moved.Code = {0x10001000, 0x200};
  ASSERT_TRUE(ReadMapStream(stream, false, moved));
  ASSERT_EQ(moved.Segments.size(), 2u);
  EXPECT_EQ(moved.Segments[1].Unit, "Beta.h");
  EXPECT_EQ(moved.Segments[1].Start, 0x10001100u);
  ASSERT_EQ(moved.Publics.size(), 4u);
  EXPECT_EQ(moved.Publics[3].Address, 0x10001190u);
  ASSERT_EQ(moved.Lines.size(), 4u);
  EXPECT_EQ(moved.Lines[3].Line, 300u);  // a step larger than a byte
  EXPECT_EQ(moved.Lines[3].Address, 0x10001120u);
  EXPECT_EQ(moved.EntryPoint, 0x10001040u);

  // Every shorter stream is refused (the entry point is optional: a stream
  // ending right before it is whole).
  for (std::size_t cut = 0; cut + 4 < stream.size(); ++cut) {
    TMapFile partial;
    EXPECT_FALSE(ReadMapStream(stream.substr(0, cut), false, partial)) << cut;
  }
}

TEST(MapStream, MinimalFormNumbersTheNames) {
  // One segment with its line-numbers flag, two publics, no lines.
  std::string stream = std::string("\x01\0\0\0", 4) + std::string("\x10\0\0\0", 4) + std::string("\x20\0\0\0", 4) +
                       "\x01" + std::string("\x02\0\0\0", 4) + std::string("\x10\0\0\0", 4) + "\x05" +
                       std::string("\0\0\0\0", 4);
  TMapFile map;
  map.Code = {kCode, 0x100};
  ASSERT_TRUE(ReadMapStream(stream, true, map));
  EXPECT_EQ(map.Segments[0].Unit, "segment%0");
  EXPECT_TRUE(map.Segments[0].HasLines);
  EXPECT_EQ(map.Publics[1].Name, "public%1");
  EXPECT_EQ(map.Publics[1].Address, kCode + 0x15);
  EXPECT_EQ(map.LineAt(kCode + 0x15), -1);
}

TEST(MapStream, AHugeCountIsRefusedWithoutReservingForIt) {
  const std::string stream = std::string("\xff\xff\xff\x7f", 4) + "abc";
  TMapFile map;
  EXPECT_FALSE(ReadMapStream(stream, false, map));
  EXPECT_TRUE(map.Segments.empty());
}

TEST(MapResource, RoundTripAndFingerprint) {
  const std::string stream = WriteMapStream(SampleMap());
  const std::string resource = WriteMapResource(stream, 0x1234abcd, 0x00c0ffee, 0);
  TMapResourceHeader header;
  ASSERT_TRUE(ParseMapResourceHeader(resource, header));
  EXPECT_EQ(header.Version, 3u);
  EXPECT_EQ(header.BuildId1, 0x1234abcdu);
  // The payload is neither the stream nor plain zlib data.
  EXPECT_EQ(header.Payload.find("Alpha"), std::string::npos);
  EXPECT_NE(static_cast<unsigned char>(header.Payload[0]), 0x78);

  TMapFile map;
  map.Code = {kCode, 0x200};
  ASSERT_TRUE(ReadMapResource(resource, map));
  EXPECT_EQ(map.Publics.size(), 4u);
  EXPECT_EQ(map.Fingerprint, MapFingerprint(resource.size(), 0x1234abcd, 0x00c0ffee));
  EXPECT_EQ(map.Fingerprint.size(), 31u);
  char expected[40];
  std::snprintf(expected, sizeof expected, "$%08zx, $1234abcd, $00c0ffee", resource.size());
  EXPECT_EQ(map.Fingerprint, expected);
}

TEST(MapResource, ForeignOrDamagedBytesAreNoMapInformation) {
  const std::string good = WriteMapResource(WriteMapStream(SampleMap()), 1, 2, 0);
  std::string otherSignature = good;
  otherSignature[0] = 'X';
  std::string version4 = good;
  version4[18] = 4;
  std::string flipped = good;
  flipped[40] ^= 0x01;
  const std::string cases[] = {good.substr(0, 22), otherSignature, version4, good.substr(0, good.size() - 1),
                               flipped};
  for (const std::string& bytes : cases) {
    TMapFile map;
    EXPECT_FALSE(ReadMapResource(bytes, map));
  }
  // Version 2 has no identifiers and no fingerprint.
  std::string version2 = good.substr(0, 14) + good.substr(14, 4) + std::string("\2\0\0\0", 4) + good.substr(34);
  TMapFile map;
  map.Code = {kCode, 0x200};
  EXPECT_TRUE(ReadMapResource(version2, map));
  EXPECT_EQ(map.Fingerprint, "");
}

TMapModule SampleModule() { return {"Sample.exe", 0x00400000, {kCode, 0x200}, {0x00403000, 0x40}, true}; }

TEST(MapLoader, MinimalFormTakesTheNamesFromTheMatchingOstFile) {
  TMapFile full = SampleMap();
  full.Segments.pop_back();
  const std::string fullResource = WriteMapResource(WriteMapStream(full), 7, 8, 0);
  // The module's own payload: the same layout without names.
  const std::string minimalStream = std::string("\x01\0\0\0", 4) + std::string("\0\0\0\0", 4) +
                                    std::string("\x00\x01\0\0", 4) + "\x01" + std::string("\0\0\0\0", 4) +
                                    std::string("\0\0\0\0", 4);
  TFakeMapSources sources;
  sources.Embedded = WriteMapResource(minimalStream, 7, 8, kMapFlagMinimal);
  sources.Files[".ost"] = fullResource;

  sources.MinDebug = MapFingerprint(fullResource.size(), 7, 8);
  auto map = LoadMapInformation(sources, SampleModule());
  ASSERT_TRUE(map->Valid);
  EXPECT_EQ(map->UnitAt(kCode), "Alpha.cpp");
  EXPECT_EQ(map->FileName, "Sample.exe");

  // Another build's ".ost" beside the module: the numbered names stay.
  sources.MinDebug = MapFingerprint(fullResource.size(), 7, 9);
  map = LoadMapInformation(sources, SampleModule());
  ASSERT_TRUE(map->Valid);
  EXPECT_EQ(map->UnitAt(kCode), "segment%0");
}

TEST(MapLoader, FallsBackToTheOstFileAndEndsWithoutMapWhenNothingReads) {
  TFakeMapSources sources;
  sources.Embedded = std::string("not a map");
  sources.Files[".ost"] = WriteMapResource(WriteMapStream(SampleMap()), 1, 2, 0);
  auto map = LoadMapInformation(sources, SampleModule());
  ASSERT_TRUE(map->Valid);
  EXPECT_FALSE(map->Publics.empty());
  // Lines come out sorted whatever the source's order.
  for (std::size_t i = 1; i < map->Lines.size(); ++i) EXPECT_LE(map->Lines[i - 1].Address, map->Lines[i].Address);

  sources.Files.clear();
  map = LoadMapInformation(sources, SampleModule());
  EXPECT_FALSE(map->Valid);
  EXPECT_EQ(map->PublicAt(kCode), nullptr);
}

}  // namespace
