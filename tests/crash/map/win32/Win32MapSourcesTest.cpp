// The files beside a module as the Windows sources read them: the TD32 block
// appended to the module's own file, partial file reads, and the days of
// last write that decide whether a ".tds" file is left over from an older
// build.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "tests/crash/map/MapTestFiles.h"
#include "crash/map/MapLoader.h"
#include "crash/map/win32/Win32MapSources.h"
#include "platform/ScopeGuard.h"
#include "platform/win32/HandleOwners.h"

namespace {

class Win32MapSourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    FDirectory = std::string(temp) + "ravelin_map_sources_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(FDirectory.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::string& name : FWritten) DeleteFileA(name.c_str());
    RemoveDirectoryA(FDirectory.c_str());
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = FDirectory + "\\" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    FWritten.push_back(path);
    return path;
  }

  // Moves the file's last write back by whole days.
  void Age(const std::string& name, int days) {
    TFileHandle file(CreateFileA((FDirectory + "\\" + name).c_str(), FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    FILETIME written;
    ASSERT_TRUE(GetFileTime(file.Get(), nullptr, nullptr, &written));
    ULARGE_INTEGER time;
    time.LowPart = written.dwLowDateTime;
    time.HighPart = written.dwHighDateTime;
    time.QuadPart -= static_cast<unsigned long long>(days) * 86400ull * 10000000ull;
    written.dwLowDateTime = time.LowPart;
    written.dwHighDateTime = time.HighPart;
    ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &written));
  }

  std::string FDirectory;
  std::vector<std::string> FWritten;
};

// A loaded module without map information of its own, so that only the
// files written here can answer.
HMODULE ForeignModule() { return GetModuleHandleA("kernel32.dll"); }

TTd32Module Td32Module(const std::string& name) {
  TTd32Module module;
  module.Name = name;
  module.Segments = {{1, 0, 0x100}};
  return module;
}

TEST_F(Win32MapSourcesTest, ReadFileRangeReadsOnlyWhatIsThere) {
  const std::string path = Write("range.bin", "0123456789");
  const struct {
    std::int64_t Offset;
    std::size_t Count;
    std::optional<std::string> Bytes;
  } cases[] = {
      {0, 4, std::string("0123")},   {6, 4, std::string("6789")}, {-3, 3, std::string("789")},
      {10, 0, std::string()},        {7, 4, std::nullopt},        {-11, 2, std::nullopt},
      {11, 0, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadFileRange(path, c.Offset, c.Count), c.Bytes) << c.Offset << " " << c.Count;
  EXPECT_EQ(ReadFileRange(FDirectory + "\\missing.bin", 0, 1), std::nullopt);
}

TEST_F(Win32MapSourcesTest, TheAppendedBlockIsReadFromTheModulesOwnFile) {
  const std::string block = WriteTd32({Td32Module("Appended")}, {});
  const std::string file = AppendTd32(std::string("MZ") + std::string(1000, '\0'), block);
  TWin32MapSources withBlock(ForeignModule(), Write("with.exe", file));
  EXPECT_EQ(withBlock.AppendedTd32(), file.substr(1002));
  TWin32MapSources without(ForeignModule(), Write("without.exe", std::string("MZ") + std::string(100, 'x')));
  EXPECT_EQ(without.AppendedTd32(), std::nullopt);
  TWin32MapSources tiny(ForeignModule(), Write("tiny.exe", "MZ"));
  EXPECT_EQ(tiny.AppendedTd32(), std::nullopt);
}

TEST_F(Win32MapSourcesTest, ATdsWrittenADayBeforeTheMapIsLeftOut) {
  const std::string exe = Write("module.exe", "MZ");
  Write("module.tds", WriteTd32({Td32Module("FromTds")}, {}));
  Write("module.map", " Detailed map of segments\n\n" + MapSegmentLine(1, 0, 0x100, "FromMap") + "\n");
  TWin32MapSources sources(ForeignModule(), exe);
  const TMapModule module{"module.exe", 0x00400000, {0x00401000, 0x1000}, {0x00410000, 0x100}, true};

  auto map = LoadMapInformation(sources, module);
  ASSERT_TRUE(map->Valid);
  EXPECT_EQ(map->UnitAt(0x00401000), "FromTds");

  Age("module.tds", 2);
  ASSERT_TRUE(sources.SideFileDay(".tds") && sources.SideFileDay(".map"));
  EXPECT_LT(*sources.SideFileDay(".tds"), *sources.SideFileDay(".map"));
  map = LoadMapInformation(sources, module);
  ASSERT_TRUE(map->Valid);
  EXPECT_EQ(map->UnitAt(0x00401000), "FromMap");
}

}  // namespace
