// The readers of the files beside a module (the linker's text map, TD32
// debug data, ".jdbg" data) on content written by the test helpers, and the
// order in which the loader tries them.
#include <gtest/gtest.h>

#include "tests/crash/map/MapTestFiles.h"
#include "crash/map/JdbgReader.h"
#include "crash/map/MapLoader.h"
#include "crash/map/MapNames.h"
#include "crash/map/MapResource.h"
#include "crash/map/MapStream.h"
#include "crash/map/Td32Reader.h"
#include "crash/map/TextMapReader.h"

namespace {

constexpr TAddress kCode = 0x00401000;
constexpr TAddress kData = 0x00410000;

TMapFile EmptyModuleMap() {
  TMapFile map;
  map.FileName = "Sample.exe";
  map.Code = {kCode, 0x3000};
  map.Data = {kData, 0x1000};
  return map;
}

TMapModule SampleModule() { return {"Sample.exe", 0x00400000, {kCode, 0x3000}, {kData, 0x1000}, true}; }

std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// ---------------------------------------------------------------- text map

// Code: System 1:0000-00FF, Unit1 1:0100-01FF and 2:0000-003F (the second
// code section, placed after .text rounded up to 0x2000); data: Unit1 3:0.
std::string SampleTextMap() {
  return Lines({
      "",
      " Start         Length     Name                   Class",
      MapSectionLine(1, 0x00401000, 0x00001234, ".text", "CODE"),
      MapSectionLine(2, 0x00403000, 0x00000040, ".itext", "ICODE"),
      MapSectionLine(3, 0x00410000, 0x00000100, ".data", "DATA"),
      MapSectionLine(4, 0x00411000, 0x00000100, ".bss", "BSS"),
      "",
      "",
      "Detailed map of segments",
      "",
      MapSegmentLine(1, 0x00000000, 0x00000100, "System"),
      MapSegmentLine(1, 0x00000100, 0x00000100, "C:\\src\\Unit1.pas"),
      MapSegmentLine(2, 0x00000000, 0x00000040, "Unit1"),
      MapSegmentLine(3, 0x00000000, 0x00000020, "Unit1"),
      "",
      "",
      "  Address             Publics by Name",
      "",
      " " + MapAddress(1, 0x0) + "       @System@@HandleFinally$qqrv",
      "",
      "",
      "  Address             Publics by Value",
      "",
      " " + MapAddress(1, 0x00000000) + "       @System@@HandleFinally$qqrv",
      " " + MapAddress(1, 0x00000080) + "       System   ",
      " " + MapAddress(1, 0x00000100) + "       @Unit1@TForm1@Click$qqrp14System@TObject",
      " " + MapAddress(1, 0x00000110) + "       @System@Move$qqrpxvpvi",
      " " + MapAddress(1, 0x00000120) + "       @$xp$6TForm1",
      " " + MapAddress(2, 0x00000000) + "       @Unit1@Finalization$qqrv",
      " " + MapAddress(3, 0x00000010) + "       @Unit1@Form1",
      " " + MapAddress(4, 0x00000010) + "       @Unit1@Counter",
      "",
      "",
      "Line numbers for Unit1(C:\\src\\Unit1.pas) segment .text",
      "",
      "    10 " + MapAddress(1, 0x100) + "    11 " + MapAddress(1, 0x0F0) + "    12 " + MapAddress(1, 0x108),
      "    13 " + MapAddress(1, 0x104) + "    14 " + MapAddress(1, 0x110),
      "",
      "Line numbers for Unit1(C:\\src\\Unit1.pas) segment .itext",
      "",
      "    40 " + MapAddress(2, 0x010) + "    41 " + MapAddress(2, 0x004),
      "",
      "Bound resource files",
      "",
      "Unit1.dfm",
      "",
      "Program entry point at " + MapAddress(1, 0x00000100),
  });
}

TEST(TextMapReader, ReadsSegmentsPublicsLinesAndEntryPoint) {
  TMapFile map = EmptyModuleMap();
  ASSERT_TRUE(ReadTextMap(SampleTextMap(), map));
  map.Sort();

  ASSERT_EQ(map.Segments.size(), 4u);
  EXPECT_EQ(map.UnitAt(kCode + 0x50), "System");
  EXPECT_EQ(map.UnitAt(kCode + 0x150), "Unit1");
  EXPECT_EQ(map.UnitAt(kCode + 0x2010), "Unit1");  // the second code section follows .text rounded up
  EXPECT_EQ(map.UnitAt(kCode + 0x1300), "");
  ASSERT_NE(map.SegmentAt(false, kData + 0x10), nullptr);
  EXPECT_EQ(map.SegmentAt(false, kData + 0x10)->Unit, "Unit1");
  EXPECT_TRUE(map.SegmentAt(true, kCode + 0x150)->HasLines);
  EXPECT_FALSE(map.SegmentAt(true, kCode + 0x50)->HasLines);

  struct TCase {
    TAddress Address;
    const char* Name;  // what FunctionNameAt gives
  } names[] = {
      {kCode, "System.@HandleFinally"},
      {kCode + 0x80, "System.initialization"},  // a public named like its unit
      {kCode + 0x100, "Unit1.TForm1.Click"},
      {kCode + 0x110, "Unit1.System.Move"},  // another unit's public inside Unit1
      {kCode + 0x120, ""},                   // "@$xp$" names are skipped
      {kCode + 0x2000, "Unit1.Finalization"},
  };
  for (const TCase& c : names) EXPECT_EQ(map.FunctionNameAt(c.Address), c.Name) << std::hex << c.Address;
  EXPECT_EQ(map.PublicByName(false, "Unit1", "Form1", true), kData + 0x10);
  // Publics of sections past the data section cannot be placed.
  for (const TMfPublic& item : map.Publics) EXPECT_NE(item.Name, "Counter");

  // First line of a block: all entries, in whatever order; later lines drop
  // entries that do not go forward.
  const std::vector<std::pair<std::uint32_t, TAddress>> expected = {
      {11, kCode + 0xF0}, {10, kCode + 0x100}, {12, kCode + 0x108}, {14, kCode + 0x110},
      {41, kCode + 0x2004}, {40, kCode + 0x2010}};
  ASSERT_EQ(map.Lines.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(map.Lines[i].Line, expected[i].first) << i;
    EXPECT_EQ(map.Lines[i].Address, expected[i].second) << i;
  }
  EXPECT_EQ(map.LineAt(kCode + 0x10A), 12);
  EXPECT_EQ(map.EntryPoint, kCode + 0x100);
}

TEST(TextMapReader, SegmentLinesMustMatchEveryColumn) {
  const std::string good = MapSegmentLine(1, 0x10, 0x20, "Unit1");
  std::string noColon = good, noBlank = good, noClass = good;
  noColon[5] = '-';
  noBlank[14] = '0';
  noClass[24] = 'X';
  const struct {
    std::string Line;
    bool Segment;
  } cases[] = {
      {good, true},
      {good + "   \t ", true},
      {good.substr(0, 72), false},  // 71 characters once the leading blank is gone
      {noColon, false},
      {noBlank, false},
      {noClass, false},
      {MapSegmentLine(0, 0x10, 0x20, "Unit1"), false},  // section 0
      {MapSegmentLine(4, 0x10, 0x20, "Unit1"), false},  // past the data section (3)
      {MapSegmentLine(2, 0x10, 0x20, "Unit1"), true},
      {" 0001:0000001G 00000020 C=CODE     S=.text    G=(none)   M=Unit1      ACBP=A9", false},
  };
  for (const auto& c : cases) {
    TMapFile map = EmptyModuleMap();
    const std::string text = Lines({" Start         Length     Name                   Class",
                                    MapSectionLine(1, 0x401000, 0x1000, ".text", "CODE"),
                                    MapSectionLine(3, 0x410000, 0x100, ".data", "DATA"), "",
                                    "Detailed map of segments", "", c.Line});
    ReadTextMap(text, map);
    ASSERT_EQ(map.Segments.size(), c.Segment ? 1u : 0u) << c.Line;
    if (c.Segment) {
      EXPECT_EQ(map.Segments[0].Unit, "Unit1") << c.Line;
    }
  }
}

TEST(TextMapReader, TheDataSectionNumberPlacesAddresses) {
  const struct {
    unsigned DataSection;   // as written in the ".data" line
    TAddress SectionTwo;    // where 0002:00000010 lands
    bool SectionTwoIsCode;
  } cases[] = {
      {2, kData + 0x10, false},
      {3, kCode + 0x2000 + 0x10, true},
      {9, kCode + 0x2000 + 0x10, true},
      {10, kData + 0x10, false},  // outside 2 to 9: taken as 2
      {1, kData + 0x10, false},
  };
  for (const auto& c : cases) {
    TMapFile map = EmptyModuleMap();
    const std::string text =
        Lines({" Start         Length     Name                   Class",
               MapSectionLine(1, 0x401000, 0x1001, ".text", "CODE"),
               MapSectionLine(c.DataSection, 0x410000, 0x100, ".data", "DATA"), "", "  Address             Publics by Value",
               "", " " + MapAddress(2, 0x10) + "       Probe"});
    ASSERT_TRUE(ReadTextMap(text, map)) << c.DataSection;
    ASSERT_EQ(map.Publics.size(), 1u) << c.DataSection;
    EXPECT_EQ(map.Publics[0].Address, c.SectionTwo) << c.DataSection;
    EXPECT_EQ(map.Publics[0].Code, c.SectionTwoIsCode) << c.DataSection;
  }
}

TEST(TextMapReader, TextWithoutSegmentsOrPublicsIsNoMap) {
  const std::string full = SampleTextMap();
  const std::string cases[] = {"", "garbage\nmore garbage\n", full.substr(0, full.find("Detailed map")),
                               std::string("\0\0\0\xff\n\n\r", 7)};
  for (const std::string& text : cases) {
    TMapFile map = EmptyModuleMap();
    EXPECT_FALSE(ReadTextMap(text, map)) << text;
  }
  // Cut anywhere, the rest reads without fault; cut inside the publics, the
  // segments read so far still make a map.
  for (std::size_t cut = 0; cut < full.size(); cut += 7) {
    TMapFile map = EmptyModuleMap();
    const bool read = ReadTextMap(full.substr(0, cut), map);
    if (cut > full.find("Publics by Name")) {
      EXPECT_TRUE(read) << cut;
    }
  }
}

TEST(MapNames, UnitOfSourceName) {
  const struct {
    const char* Text;
    const char* Unit;
  } cases[] = {
      {"M=System", "System"},
      {"G=(none)   M=C:\\src\\Unit1.PAS", "Unit1"},
      {"Project1.dpr", "Project1"},
      {"M=lib|Forms.pas   ", "Forms"},
      {"C:\\src\\Main.cpp", "Main.cpp"},
      {"Unit.pascal", "Unit.pascal"},
      {".pas", ".pas"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UnitOfSourceName(c.Text), c.Unit) << c.Text;
}

// ---------------------------------------------------------------- TD32

// Alpha: source Alpha.pas, code 0x000-0x0FF with lines and a data segment;
// Beta: object name only, code 0x100-0x17F.
std::vector<TTd32Module> SampleTd32Modules() {
  TTd32Module alpha;
  alpha.Name = "Alpha";
  alpha.SourceFile = "C:\\src\\Alpha.pas";
  alpha.Segments = {{1, 0x000, 0x100}, {2, 0x000, 0x40}};
  alpha.Lines = {{0x00, 10}, {0x10, 12}, {0x40, 20}};
  alpha.Symbols = {{0x204, 1, 0x40, "Helper"}, {0x205, 2, 0x08, "DataThing"}};
  TTd32Module beta;
  beta.Name = "Beta.obj";
  beta.Segments = {{1, 0x100, 0x80}};
  return {alpha, beta};
}

std::vector<TTd32Symbol> SampleTd32Globals() {
  return {{0x205, 1, 0x000, "@Alpha@TThing@Run$qqrv"},
          {0x205, 1, 0x080, "Alpha"},
          {0x203, 1, 0x000, "@Alpha@TThing@RunAgain$qqrv"},  // same address as a procedure
          {0x203, 1, 0x100, "@Beta@Start$qqrv"},
          {0x205, 1, 0x140, "@Gamma@Far$qqrv"}};
}

TEST(Td32Reader, ReadsModulesSourceLinesAndSymbols) {
  for (const char* signature : {"FB09", "FB0A"}) {
    TMapFile map = EmptyModuleMap();
    ASSERT_TRUE(ReadTd32(WriteTd32(SampleTd32Modules(), SampleTd32Globals(), signature), map)) << signature;
    map.Sort();
    ASSERT_EQ(map.Segments.size(), 2u);  // code segments only
    EXPECT_EQ(map.UnitAt(kCode + 0x20), "Alpha");
    EXPECT_TRUE(map.SegmentAt(true, kCode + 0x20)->HasLines);
    EXPECT_EQ(map.UnitAt(kCode + 0x120), "Beta.obj");
    EXPECT_FALSE(map.SegmentAt(true, kCode + 0x120)->HasLines);

    const struct {
      TAddress Address;
      const char* Name;
    } names[] = {
        {kCode, "Alpha.TThing.Run"},
        {kCode + 0x40, "Alpha.Helper"},
        {kCode + 0x80, "Alpha.initialization"},
        {kCode + 0x100, "Beta.obj.Beta.Start"},
        {kCode + 0x140, "Beta.obj.Gamma.Far"},
    };
    for (const auto& c : names) EXPECT_EQ(map.FunctionNameAt(c.Address), c.Name) << std::hex << c.Address;
    EXPECT_EQ(map.Publics.size(), 5u);  // one per address; the data symbol is left out
    EXPECT_EQ(map.LineAt(kCode + 0x14), 12);
    EXPECT_EQ(map.LineAt(kCode + 0x60), 20);
    EXPECT_EQ(map.LineAt(kCode + 0x110), 0);  // Beta has no lines
  }
}

TEST(Td32Reader, FindsTheBlockAppendedToAFile) {
  const std::string block = WriteTd32(SampleTd32Modules(), SampleTd32Globals());
  const std::string image = std::string("MZ") + std::string(510, '\x90');
  const std::string file = AppendTd32(image, block);
  EXPECT_EQ(FindTd32Block(block), 0u);
  EXPECT_EQ(FindTd32Block(file), image.size());
  EXPECT_EQ(Td32TrailerDistance(file.substr(file.size() - kTd32TrailerSize)), block.size() + kTd32TrailerSize);
  EXPECT_EQ(FindTd32Block(image), std::string::npos);
  TMapFile map = EmptyModuleMap();
  EXPECT_TRUE(ReadTd32(file, map));

  // A trailer naming a start outside the file, or a start without the
  // signature, is no block.
  std::string far = file;
  far[far.size() - 1] = '\x7f';
  std::string wrongStart = AppendTd32(image, "XXXX" + block.substr(4));
  for (const std::string& bytes : {far, wrongStart}) {
    EXPECT_EQ(FindTd32Block(bytes), std::string::npos);
    TMapFile none = EmptyModuleMap();
    EXPECT_FALSE(ReadTd32(bytes, none));
  }
}

TEST(Td32Reader, DamagedOrTruncatedDataIsRefused) {
  const std::string block = WriteTd32(SampleTd32Modules(), SampleTd32Globals());
  for (std::size_t cut = 0; cut < block.size(); ++cut) {
    TMapFile map = EmptyModuleMap();
    EXPECT_FALSE(ReadTd32(block.substr(0, cut), map)) << cut;
  }
  // A directory that names itself as the next one must not loop.
  std::string looping = block;
  const std::size_t directory = static_cast<std::uint8_t>(block[4]) | static_cast<std::uint8_t>(block[5]) << 8;
  for (int i = 0; i < 4; ++i) looping[directory + 8 + i] = block[4 + i];
  TMapFile map = EmptyModuleMap();
  EXPECT_FALSE(ReadTd32(looping, map));
  // A subsection reaching past the end of the data.
  std::string pastEnd = block;
  pastEnd[directory + 16 + 8 + 3] = '\x10';  // the first entry's size
  EXPECT_FALSE(ReadTd32(pastEnd, map));
}

void Put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xffff);
  Put16(out, value >> 16);
}

// A module subsection with one code segment.
std::string ModuleSubsection() {
  std::string module;
  for (std::uint32_t value : {0u, 0u, 1u, 0u}) Put16(module, value);
  for (int i = 0; i < 5; ++i) Put32(module, 0);  // name, time stamp, reserved
  Put16(module, 1);
  Put16(module, 0);
  Put32(module, 0);
  Put32(module, 0x1000);
  return module;
}

// That module, and a source module whose files all name the same file
// entry, whose one line block holds lineCount lines.
std::string Td32WithSharedLines(std::uint32_t files, std::uint32_t lineCount) {
  const std::string module = ModuleSubsection();

  std::string source;
  Put16(source, files);
  Put16(source, 0);
  const std::uint32_t entry = 4 + 4 * files;
  for (std::uint32_t i = 0; i < files; ++i) Put32(source, entry);
  Put16(source, 1);
  Put32(source, 0);
  Put32(source, entry + 10);
  Put16(source, 1);
  Put16(source, lineCount);
  for (std::uint32_t i = 0; i < lineCount; ++i) Put32(source, 4 * i);
  for (std::uint32_t i = 0; i < lineCount; ++i) Put16(source, i + 1);
  return WriteTd32Block({{0x127, 1, source}, {0x120, 1, module}});
}

TEST(Td32Reader, EntriesSharedBeyondWhatSoundDataCouldHoldAreRefused) {
  TMapFile sound = EmptyModuleMap();
  ASSERT_TRUE(ReadTd32(Td32WithSharedLines(1, 100), sound));
  EXPECT_EQ(sound.Lines.size(), 100u);
  // 2000 files naming one block of 100 lines would make 200000 lines out
  // of 8 kilobytes.
  TMapFile shared = EmptyModuleMap();
  EXPECT_FALSE(ReadTd32(Td32WithSharedLines(2000, 100), shared));

  // Directory entries naming the same bytes, each as another module's.
  const std::string module = ModuleSubsection();
  for (std::uint32_t modules : {1u, 10u}) {
    std::string bytes = "FB09";
    Put32(bytes, static_cast<std::uint32_t>(8 + module.size()));
    bytes += module;
    for (std::uint32_t value : {16u, 12u}) Put16(bytes, value);
    for (std::uint32_t value : {modules, 0u, 0u}) Put32(bytes, value);
    for (std::uint32_t i = 1; i <= modules; ++i) {
      Put16(bytes, 0x120);
      Put16(bytes, i);
      Put32(bytes, 8);
      Put32(bytes, static_cast<std::uint32_t>(module.size()));
    }
    TMapFile map = EmptyModuleMap();
    EXPECT_EQ(ReadTd32(bytes, map), modules == 1) << modules;
  }
}

// ---------------------------------------------------------------- JDBG

// Units Alpha 0x000 and Beta 0x100; sources Alpha.pas, an include file at
// 0x40, Beta.pas at 0x100.
TJdbgContent SampleJdbg() {
  TJdbgContent content;
  content.Units = {{0x000, "Alpha"}, {0x100, "Beta"}};
  content.Sources = {{0x000, "C:\\src\\Alpha.pas"}, {0x040, "Alpha.inc"}, {0x100, "C:\\src\\Beta.pas"}};
  content.Symbols = {{0x000, "First"}, {0x050, "Included"}, {0x100, "TBeta.Go"}, {0x180, "Last"}};
  content.Lines = {{0x000, 100}, {0x010, 102}, {0x020, 99}, {0x100, 7}};
  return content;
}

TEST(JdbgReader, ReadsSegmentsPublicsAndLines) {
  TMapFile map = EmptyModuleMap();
  const std::string bytes = WriteJdbg(SampleJdbg());
  ASSERT_EQ(bytes.size() % 4, 0u);
  ASSERT_TRUE(ReadJdbg(bytes, map));
  map.Sort();
  ASSERT_EQ(map.Segments.size(), 3u);
  EXPECT_EQ(map.UnitAt(kCode + 0x10), "Alpha");
  EXPECT_EQ(map.UnitAt(kCode + 0x48), "Alpha.inc");
  EXPECT_EQ(map.UnitAt(kCode + 0x2fff), "Beta");  // the last source runs to the end of the code
  EXPECT_TRUE(map.SegmentAt(true, kCode)->HasLines);
  EXPECT_FALSE(map.SegmentAt(true, kCode + 0x48)->HasLines);

  const struct {
    TAddress Address;
    const char* Public;  // PublicAt(...)->Name
  } publics[] = {
      {kCode, "First"},                   // the unit is the segment's: no prefix
      {kCode + 0x60, "Alpha.Included"},   // Alpha's symbol inside the include file's segment
      {kCode + 0x100, "TBeta.Go"},
      {kCode + 0x200, "Last"},
  };
  for (const auto& c : publics) {
    ASSERT_NE(map.PublicAt(c.Address), nullptr) << std::hex << c.Address;
    EXPECT_EQ(map.PublicAt(c.Address)->Name, c.Public) << std::hex << c.Address;
  }
  EXPECT_EQ(map.LineAt(kCode + 0x18), 102);
  EXPECT_EQ(map.LineAt(kCode + 0x30), 99);  // line numbers may go back
  EXPECT_EQ(map.LineAt(kCode + 0x104), 7);
}

TEST(JdbgReader, RefusesWhatIsNotSoundData) {
  const std::string good = WriteJdbg(SampleJdbg());
  TJdbgContent unchecked = SampleJdbg();
  unchecked.ChecksumValid = false;
  const std::string noChecksum = WriteJdbg(unchecked);

  std::string badChecksum = good;
  badChecksum[12] ^= 0x01;
  std::string changedName = good;
  changedName[good.find("Alpha")] = 'a';  // the stored checksum no longer fits
  std::string otherSignature = good;
  otherSignature[0] = 'X';
  std::string version2 = noChecksum;
  version2[4] = 2;
  TJdbgContent longName = SampleJdbg();
  longName.Symbols[1].Name = std::string(256, 'n');
  TJdbgContent longestName = SampleJdbg();
  longestName.Symbols[1].Name = std::string(255, 'n');
  std::string wordsPastEnd = noChecksum;
  wordsPastEnd[32] = '\x7f';
  const struct {
    std::string Bytes;
    bool Accepted;
    const char* What;
  } cases[] = {
      {good, true, "sound"},
      {noChecksum, true, "checksum not marked valid"},
      {good + std::string(1, '\0'), false, "length 1 over a multiple of 4"},
      {good + std::string("\0\0", 2), false, "length 2 over"},
      {good + std::string("\0\0\0", 3), false, "length 3 over"},
      {badChecksum, false, "stored checksum changed"},
      {changedName, false, "content changed under a valid checksum"},
      {otherSignature, false, "signature"},
      {version2, false, "version 2"},
      {good.substr(0, 32), false, "shorter than 35 bytes"},
      {wordsPastEnd, false, "words table past the end"},
      {WriteJdbg(longestName), true, "a name of 255 characters"},
      {WriteJdbg(longName), false, "a name of 256 characters"},
  };
  for (const auto& c : cases) {
    TMapFile map = EmptyModuleMap();
    EXPECT_EQ(ReadJdbg(c.Bytes, map), c.Accepted) << c.What;
  }
  // Without a checksum to catch it, a file cut short still fails on its
  // tables rather than reading past them.
  for (std::size_t cut = kJdbgHeaderSize; cut < noChecksum.size(); cut += 4) {
    TMapFile map = EmptyModuleMap();
    EXPECT_FALSE(ReadJdbg(noChecksum.substr(0, cut), map)) << cut;
  }
}

// ---------------------------------------------------------------- loader

// Every source gives a map whose only segment names the source.
TFakeMapSources AllSources() {
  TFakeMapSources sources;
  TMapFile embedded;
  embedded.Code = {kCode, 0x3000};
  embedded.Segments = {{true, true, kCode, 0x100, "FromEmbedded", false}};
  sources.Embedded = WriteMapResource(WriteMapStream(embedded), 1, 2, 0);
  TTd32Module module;
  module.Name = "FromTds";
  module.Segments = {{1, 0, 0x100}};
  sources.Files[".tds"] = WriteTd32({module}, {});
  module.Name = "FromOwnFile";
  sources.Files[""] = AppendTd32("MZ", WriteTd32({module}, {}));
  sources.Files[".map"] = Lines({"Detailed map of segments", "", MapSegmentLine(1, 0, 0x100, "FromMap")});
  TMapFile ost = embedded;
  ost.Segments[0].Unit = "FromOst";
  sources.Files[".ost"] = WriteMapResource(WriteMapStream(ost), 1, 2, 0);
  TJdbgContent jdbg;
  jdbg.Sources = {{0, "FromJdbg"}};
  sources.Files[".jdbg"] = WriteJdbg(jdbg);
  return sources;
}

std::string LoadedFrom(TFakeMapSources& sources, bool codeInOneSection = true) {
  TMapModule module = SampleModule();
  module.CodeInOneSection = codeInOneSection;
  const auto map = LoadMapInformation(sources, module);
  return map->Valid ? map->UnitAt(kCode) : "(none)";
}

// Each step takes away the source that answered the step before.
TEST(MapLoader, TriesTheSourcesInOrder) {
  TFakeMapSources sources = AllSources();
  const struct {
    const char* From;
    const char* Extension;  // of the file that gave it; null: the embedded resource
  } order[] = {{"FromEmbedded", nullptr}, {"FromTds", ".tds"}, {"FromOwnFile", ""},
               {"FromMap", ".map"},       {"FromOst", ".ost"}, {"FromJdbg", ".jdbg"}};
  for (const auto& step : order) {
    EXPECT_EQ(LoadedFrom(sources), step.From);
    if (step.Extension)
      sources.Files.erase(step.Extension);
    else
      sources.Embedded.reset();
  }
  EXPECT_EQ(LoadedFrom(sources), "(none)");
}

TEST(MapLoader, Td32ComesFromTheDebugDirectoryFirstAndOnlyForCodeInOneSection) {
  TFakeMapSources sources = AllSources();
  sources.Embedded.reset();
  TTd32Module module;
  module.Name = "FromDebugDirectory";
  module.Segments = {{1, 0, 0x100}};
  sources.DebugTd32 = WriteTd32({module}, {});
  EXPECT_EQ(LoadedFrom(sources), "FromDebugDirectory");
  EXPECT_EQ(LoadedFrom(sources, false), "FromMap");
}

TEST(MapLoader, ATdsOlderThanTheMapBesideItIsIgnored) {
  const struct {
    std::int64_t TdsDay;
    std::int64_t MapDay;
    bool WithOwnTd32;
    const char* From;
  } cases[] = {
      {100, 101, false, "FromMap"},      // written a day before the map: left over
      {100, 101, true, "FromOwnFile"},   // ...and the module's own debug data serves instead
      {101, 101, false, "FromTds"},      // same day
      {102, 101, false, "FromTds"},
  };
  for (const auto& c : cases) {
    TFakeMapSources sources = AllSources();
    sources.Embedded.reset();
    if (!c.WithOwnTd32) sources.Files.erase("");
    sources.Days[".tds"] = c.TdsDay;
    sources.Days[".map"] = c.MapDay;
    EXPECT_EQ(LoadedFrom(sources), c.From) << c.TdsDay << " " << c.MapDay;
  }
}

TEST(MapLoader, DamagedSourcesFallThroughToTheNext) {
  TFakeMapSources sources = AllSources();
  sources.Embedded = sources.Embedded->substr(0, 30);
  sources.Files[".tds"].resize(sources.Files[".tds"].size() / 2);
  sources.Files[""] = "MZ";
  sources.Files[".map"] = "Detailed map of segments\n\n 0001:";
  sources.Files[".ost"].resize(40);
  EXPECT_EQ(LoadedFrom(sources), "FromJdbg");
  sources.Files[".jdbg"] += std::string(1, '\0');
  EXPECT_EQ(LoadedFrom(sources), "(none)");
}

TEST(MapLoader, LinesComeOutSortedFromEveryReader) {
  TFakeMapSources sources;
  sources.Files[".map"] = SampleTextMap();  // its first-line entries are out of order
  auto map = LoadMapInformation(sources, SampleModule());
  ASSERT_TRUE(map->Valid);
  ASSERT_GT(map->Lines.size(), 2u);
  for (std::size_t i = 1; i < map->Lines.size(); ++i) EXPECT_LE(map->Lines[i - 1].Address, map->Lines[i].Address);
  EXPECT_EQ(map->LineAt(kCode + 0xF4), 11);
}

}  // namespace
