// The files beside a module as the Windows sources read them: the TD32 block
// appended to the module's own file, partial file reads, and the days of
// last write that decide whether a ".tds" file is left over from an older
// build.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
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

// A DLL without code whose debug directory has one TD32 entry: its data
// mapped inside the one section, or only in the file after it.
std::string DllWithTd32(const std::string& td32, bool mapped) {
  constexpr DWORD kSection = 0x1000, kRaw = 0x200, kDataInSection = 0x20;
  const DWORD rawSize = (kDataInSection + static_cast<DWORD>(td32.size()) + 0x1ff) & ~0x1ffu;
  std::string file(kRaw + rawSize, '\0');
  IMAGE_DOS_HEADER dos{};
  dos.e_magic = IMAGE_DOS_SIGNATURE;
  dos.e_lfanew = 0x40;
  IMAGE_NT_HEADERS32 nt{};
  nt.Signature = IMAGE_NT_SIGNATURE;
  nt.FileHeader.Machine = IMAGE_FILE_MACHINE_I386;
  nt.FileHeader.NumberOfSections = 1;
  nt.FileHeader.SizeOfOptionalHeader = sizeof(IMAGE_OPTIONAL_HEADER32);
  nt.FileHeader.Characteristics = IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_32BIT_MACHINE | IMAGE_FILE_DLL;
  IMAGE_OPTIONAL_HEADER32& optional = nt.OptionalHeader;
  optional.Magic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
  optional.SizeOfInitializedData = rawSize;
  optional.BaseOfCode = optional.BaseOfData = kSection;
  optional.ImageBase = 0x10000000;
  optional.SectionAlignment = 0x1000;
  optional.FileAlignment = 0x200;
  optional.MajorOperatingSystemVersion = optional.MajorSubsystemVersion = 4;
  optional.SizeOfImage = kSection + ((rawSize + 0xfff) & ~0xfffu);
  optional.SizeOfHeaders = kRaw;
  optional.Subsystem = IMAGE_SUBSYSTEM_WINDOWS_GUI;
  optional.SizeOfStackReserve = optional.SizeOfHeapReserve = 0x100000;
  optional.SizeOfStackCommit = optional.SizeOfHeapCommit = 0x1000;
  optional.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
  optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_DEBUG] = {kSection, sizeof(IMAGE_DEBUG_DIRECTORY)};
  IMAGE_SECTION_HEADER section{};
  std::memcpy(section.Name, ".rdata", 6);
  section.Misc.VirtualSize = rawSize;
  section.VirtualAddress = kSection;
  section.SizeOfRawData = rawSize;
  section.PointerToRawData = kRaw;
  section.Characteristics = IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ;
  IMAGE_DEBUG_DIRECTORY debug{};
  debug.Type = kTd32DebugType;
  debug.SizeOfData = static_cast<DWORD>(td32.size());
  debug.AddressOfRawData = mapped ? kSection + kDataInSection : 0;
  debug.PointerToRawData = mapped ? kRaw + kDataInSection : static_cast<DWORD>(file.size());
  std::memcpy(&file[0], &dos, sizeof dos);
  std::memcpy(&file[0x40], &nt, sizeof nt);
  std::memcpy(&file[0x40 + sizeof nt], &section, sizeof section);
  std::memcpy(&file[kRaw], &debug, sizeof debug);
  if (mapped)
    file.replace(kRaw + kDataInSection, td32.size(), td32);
  else
    file += td32;
  return file;
}

TEST_F(Win32MapSourcesTest, TheDebugDirectoryLeadsToTheTd32Data) {
  const std::string td32 = WriteTd32({Td32Module("FromDebugDirectory")}, {});
  for (bool mapped : {true, false}) {
    const std::string path = Write(mapped ? "mapped.dll" : "unmapped.dll", DllWithTd32(td32, mapped));
    TLoadedModule dll(LoadLibraryA(path.c_str()));
    ASSERT_TRUE(dll) << mapped << " " << GetLastError();
    TWin32MapSources sources(dll.Get(), path);
    EXPECT_EQ(sources.DebugDirectoryTd32(), td32) << mapped;
    const auto base = static_cast<std::uintptr_t>(reinterpret_cast<std::uintptr_t>(dll.Get()));
    const TMapModule module{"x.dll", base, {static_cast<TAddress>(base + 0x1000), 0x1000}, {}, true};
    const auto map = LoadMapInformation(sources, module);
    ASSERT_TRUE(map->Valid) << mapped;
    EXPECT_EQ(map->UnitAt(static_cast<TAddress>(base + 0x1000)), "FromDebugDirectory") << mapped;
  }
  // A module without such an entry.
  EXPECT_EQ(TWin32MapSources(ForeignModule(), "kernel32.dll").DebugDirectoryTd32(), std::nullopt);
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
