// The start-up check of an executable's stored checksum, on this program's
// own file and on damaged copies of it, against the system's own sum.
#include <gtest/gtest.h>
#include <windows.h>
#include <imagehlp.h>

#include <fstream>
#include <iterator>
#include <string>

#include "crash/win32/FileChecksumCheck.h"

namespace {

std::string OwnPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::size_t ChecksumField(const std::string& image) {
  const std::uint32_t pe = *reinterpret_cast<const std::uint32_t*>(image.data() + 0x3c);
  return pe + 24 + 64;
}

TEST(FileChecksumCheck, ThisProgramMatchesWhatTheSystemComputes) {
  DWORD stored = 0, computed = 0;
  ASSERT_EQ(MapFileAndCheckSumA(OwnPath().c_str(), &stored, &computed), CHECKSUM_SUCCESS);
  ASSERT_NE(stored, 0u) << "the linker stores a checksum in this program";
  EXPECT_EQ(stored, computed);
  EXPECT_EQ(CheckFileChecksum(OwnPath()), TFileChecksum::Matches);
}

TEST(FileChecksumCheck, ATamperedCopyDiffersAndOneWithoutChecksumIsNotChecked) {
  const std::string image = ReadAll(OwnPath());
  ASSERT_GT(image.size(), 0x1000u);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string copy = std::string(temp) + "ravelin-checksum-" + std::to_string(GetCurrentProcessId()) + ".exe";

  std::string tampered = image;
  tampered[image.size() / 2] = static_cast<char>(tampered[image.size() / 2] ^ 0x20);
  WriteAll(copy, tampered);
  EXPECT_EQ(CheckFileChecksum(copy), TFileChecksum::Differs);

  std::string unsummed = image;
  std::fill_n(unsummed.begin() + static_cast<std::ptrdiff_t>(ChecksumField(image)), 4, '\0');
  WriteAll(copy, unsummed);
  EXPECT_EQ(CheckFileChecksum(copy), TFileChecksum::NotStored);

  WriteAll(copy, "not an image at all");
  EXPECT_EQ(CheckFileChecksum(copy), TFileChecksum::Unreadable);
  DeleteFileA(copy.c_str());
  EXPECT_EQ(CheckFileChecksum(copy), TFileChecksum::Unreadable);
}

}  // namespace
