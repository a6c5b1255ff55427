// The console front end on a real compressing file system: a btrfs image the
// test loop-mounts, entries compressed with chattr +c, the flags read back
// with lsattr. Reported as skipped, with the reason, where mounting is not allowed.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/Shell.h"

namespace {

using Strings = std::vector<std::string>;

// The entry names of a directory in the order the file system lists them.
Strings ListingOrder(const std::string& directory) {
  Strings names;
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsSymlink(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool CompressedByLsattr(const std::string& path) {
  std::string output;
  if (Shell("lsattr -d " + Quote(path) + " 2>/dev/null", &output) != 0) return false;
  return output.substr(0, output.find(' ')).find('c') != std::string::npos;
}

// What the walk must log for a tree: per directory, the compressed entries
// last listed first, then each subdirectory in listing order.
void ExpectedLog(const std::string& directory, Strings& log) {
  const Strings names = ListingOrder(directory);
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    const std::string path = directory + "/" + *it;
    if (IsSymlink(path) || !CompressedByLsattr(path)) continue;
    log.push_back((IsDirectory(path) ? "Found compressed Dir: " : "Found compressed File: ") + path);
    log.push_back("Uncompressed OK");
  }
  for (const std::string& name : names)
    if (IsDirectory(directory + "/" + name)) ExpectedLog(directory + "/" + name, log);
}

class BtrfsEndToEndTest : public ::testing::Test {
 protected:
  std::string work, image, mountPoint;
  bool mounted = false;

  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "loop-mounting a btrfs image needs root";
    for (const char* tool : {"mkfs.btrfs", "mount", "chattr", "lsattr"})
      if (!HasCommand(tool)) GTEST_SKIP() << tool << " is not installed";
    char pattern[] = "/tmp/ravelin-btrfs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    work = pattern;
    image = work + "/volume.img";
    mountPoint = work + "/mnt";
    ASSERT_EQ(mkdir(mountPoint.c_str(), 0755), 0);
    ASSERT_EQ(Shell("truncate -s 256M " + Quote(image)), 0);
    ASSERT_EQ(Shell("mkfs.btrfs -q -f " + Quote(image) + " >/dev/null 2>&1"), 0);
    std::string why;
    if (Shell("mount -o loop " + Quote(image) + " " + Quote(mountPoint) + " 2>&1", &why) != 0)
      GTEST_SKIP() << "this machine does not allow loop mounts: " << why;
    mounted = true;
  }

  void TearDown() override {
    if (mounted) Shell("umount " + Quote(mountPoint));
    if (!work.empty()) Shell("rm -rf " + Quote(work));
  }

  void Write(const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    file << std::string(10000, 'x');
  }
  void Compress(const std::string& path) {
    ASSERT_EQ(Shell("chattr +c " + Quote(path)), 0) << path;
    ASSERT_TRUE(CompressedByLsattr(path)) << path;
  }
};

std::string RavelinBinary() {
  const char* dir = std::getenv("RAVELIN_BINARY_DIR");
  return std::string(dir ? dir : ".") + "/cli/ravelin";
}

TEST_F(BtrfsEndToEndTest, ClearsEveryCompressedEntryInsideThePathAndLogsThemInWalkOrder) {
  const std::string outside = mountPoint + "/outside";
  const std::string tree = mountPoint + "/tree";
  ASSERT_EQ(mkdir(outside.c_str(), 0755), 0);
  ASSERT_EQ(mkdir(tree.c_str(), 0755), 0);
  Write(outside + "/kept");
  Compress(outside + "/kept");
  const Strings files = {"a", "b", "plain", "line\nbreak", "bad\xFF\xFEname", "sub/x",
                         "sub/deeper/y", "sub/z", "other/w"};
  ASSERT_EQ(mkdir((tree + "/sub").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((tree + "/sub/deeper").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((tree + "/other").c_str(), 0755), 0);
  for (const std::string& file : files) Write(tree + "/" + file);
  for (const char* name : {"a", "b", "line\nbreak", "bad\xFF\xFEname", "sub", "sub/x",
                                  "sub/deeper", "sub/deeper/y", "other/w"})
    Compress(tree + "/" + name);
  Compress(tree);  // the start path itself is never touched
  ASSERT_EQ(symlink("../outside", (tree + "/link").c_str()), 0);
  ASSERT_EQ(symlink("../outside/kept", (tree + "/filelink").c_str()), 0);

  Strings expected;
  ExpectedLog(tree, expected);
  ASSERT_EQ(expected.size(), 18u);

  std::string output;
  const std::string command = Quote(RavelinBinary()) + " " + Quote(tree) + " 2>/dev/null";
  EXPECT_EQ(Shell(command, &output), 0);
  Strings lines;
  // Names hold line breaks: split on the texts' own starts instead of on '\n'.
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    while (end != std::string::npos && end + 1 < output.size() &&
           output.compare(end + 1, 6, "Found ") != 0 && output.compare(end + 1, 6, "Uncomp") != 0)
      end = output.find('\n', end + 1);
    if (end == std::string::npos) end = output.size();
    lines.push_back(output.substr(start, end - start));
    start = end + 1;
  }
  // The name that is not UTF-8 is shown through the code page, each odd byte as '?'.
  for (std::string& line : expected) {
    const size_t bad = line.find("bad\xFF\xFEname");
    if (bad != std::string::npos) line.replace(bad, 9, "bad??name");
  }
  EXPECT_EQ(lines, expected);

  for (const char* name : {"a", "b", "line\nbreak", "bad\xFF\xFEname", "sub", "sub/x",
                                  "sub/deeper", "sub/deeper/y", "other/w"})
    EXPECT_FALSE(CompressedByLsattr(tree + "/" + name)) << name;
  EXPECT_TRUE(CompressedByLsattr(tree));
  EXPECT_TRUE(CompressedByLsattr(outside + "/kept"));
}

TEST_F(BtrfsEndToEndTest, WithoutRecursionSubdirectoriesAreClearedButNotEntered) {
  const std::string tree = mountPoint + "/tree";
  ASSERT_EQ(mkdir(tree.c_str(), 0755), 0);
  ASSERT_EQ(mkdir((tree + "/sub").c_str(), 0755), 0);
  Write(tree + "/sub/x");
  Compress(tree + "/sub/x");
  Compress(tree + "/sub");
  std::string output;
  EXPECT_EQ(Shell(Quote(RavelinBinary()) + " --no-recursive " + Quote(tree) + " 2>/dev/null",
                  &output),
            0);
  EXPECT_EQ(output, "Found compressed Dir: " + tree + "/sub\nUncompressed OK\n");
  EXPECT_FALSE(CompressedByLsattr(tree + "/sub"));
  EXPECT_TRUE(CompressedByLsattr(tree + "/sub/x"));
}

}  // namespace
