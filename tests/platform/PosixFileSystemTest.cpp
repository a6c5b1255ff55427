#include <errno.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "platform/EscapedUtf8.h"
#include "platform/posix/PosixDirectoryLister.h"
#include "platform/posix/PosixVolumeControl.h"
#include "tests/support/IdentityCheck.h"

namespace {

// A scratch directory of real entries: a file, a directory, a link to the
// directory, a FIFO, and names that are not UTF-8 or hold a line break.
class PosixFileSystemTest : public ::testing::Test {
 protected:
  std::string root;
  const std::string badName = "bad\xFF\xFEname";
  const std::string breakName = "line\nbreak";

  void SetUp() override {
    char pattern[] = "/tmp/ravelin-posix-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    Touch("file");
    ASSERT_EQ(mkdir((root + "/dir").c_str(), 0755), 0);
    ASSERT_EQ(symlink("dir", (root + "/link").c_str()), 0);
    ASSERT_EQ(symlink("file", (root + "/filelink").c_str()), 0);
    ASSERT_EQ(mkfifo((root + "/fifo").c_str(), 0644), 0);
    Touch(badName);
    Touch(breakName);
  }
  void TearDown() override {
    std::string command = "rm -rf '" + root + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  void Touch(const std::string& name) {
    const int fd = open((root + "/" + name).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    close(fd);
  }
  WideString Wide(const std::string& name) const {
    return DecodeEscapedUtf8(name.empty() ? root : root + "/" + name);
  }

  // Name (as bytes) to whether the lister called it a directory.
  std::map<std::string, bool> List(const WideString& pattern) {
    TPosixDirectoryLister lister;
    std::map<std::string, bool> entries;
    TFindData data;
    const FindHandle handle = lister.FindFirst(pattern, data);
    if (handle == kInvalidFindHandle) return entries;
    do {
      entries[EncodeEscapedUtf8(data.name)] = (data.attributes & kFileAttributeDirectory) != 0;
    } while (lister.FindNext(handle, data));
    lister.FindClose(handle);
    return entries;
  }
};

TEST_F(PosixFileSystemTest, ListsEveryEntryWithDotsAndNeverCallsALinkADirectory) {
  const std::map<std::string, bool> expected = {
      {".", true},     {"..", true},     {"file", false},  {"dir", true},     {"link", false},
      {"filelink", false}, {"fifo", false}, {badName, false}, {breakName, false}};
  EXPECT_EQ(List(Wide("") + u"/*"), expected);
  // A trailing separator at the join lists the same directory.
  EXPECT_EQ(List(Wide("") + u"//*"), expected);
}

TEST_F(PosixFileSystemTest, IdentitiesComeFromTheOpenedDescriptor) {
  TPosixVolumeControl volume;
  ExpectIdentitiesTellEntriesApart(volume, {{"dir", {Wide("dir"), Wide("dir/../dir"), Wide("./dir")}},
                                            {"file", {Wide("file"), Wide("dir/../file")}},
                                            {"root", {Wide(""), Wide("dir/..")}}});
}

TEST_F(PosixFileSystemTest, WhatIsNoDirectoryGivesNoListing) {
  TPosixDirectoryLister lister;
  TFindData data;
  for (const char* name : {"missing", "file", "link", "fifo"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(lister.FindFirst(Wide(name) + u"/*", data), kInvalidFindHandle);
  }
  // Longer than the system takes for a path.
  EXPECT_EQ(lister.FindFirst(Wide("") + u"/" + WideString(5000, u'x') + u"/*", data),
            kInvalidFindHandle);
}

// Entries are reached by their whole path, or relative to the directory just
// listed when they are inside it: the rules are the same either way.
TEST_F(PosixFileSystemTest, DirectoryTestLooksAtThePathItself) {
  for (const bool listedFirst : {false, true}) {
    SCOPED_TRACE(listedFirst ? "after listing" : "by the whole path");
    if (listedFirst) {
      ASSERT_FALSE(List(Wide("") + u"/*").empty());
    }
    TPosixDirectoryLister lister;
    EXPECT_TRUE(lister.IsDirectory(Wide("dir")));
    EXPECT_FALSE(lister.IsDirectory(Wide("link")));
    EXPECT_FALSE(lister.IsDirectory(Wide("file")));
    EXPECT_FALSE(lister.IsDirectory(Wide("missing")));
  }
}

TEST_F(PosixFileSystemTest, OpensFilesAndDirectoriesByTheirExactBytesAndNothingElse) {
  for (const bool listedFirst : {false, true}) {
    SCOPED_TRACE(listedFirst ? "after listing" : "by the whole path");
    if (listedFirst) {
      ASSERT_FALSE(List(Wide("") + u"//*").empty());
    }
    TPosixVolumeControl volume;
    for (const std::string& name : {std::string("file"), std::string("dir"), badName, breakName}) {
      SCOPED_TRACE(name);
      const EntryHandle handle = volume.OpenEntry(Wide(name));
      ASSERT_NE(handle, kInvalidEntryHandle);
      volume.CloseEntry(handle);
    }
    // Called on this thread with no writer anywhere: an open that waited for
    // one would never return, and the program's time limit fails the test.
    for (const char* name : {"missing", "link", "filelink", "fifo"}) {
      SCOPED_TRACE(name);
      EXPECT_EQ(volume.OpenEntry(Wide(name)), kInvalidEntryHandle);
    }
    // Nor is the FIFO left open: a writer that needs a reader finds none.
    const int writer = open((root + "/fifo").c_str(), O_WRONLY | O_NONBLOCK);
    EXPECT_EQ(writer, -1);
    EXPECT_EQ(errno, ENXIO);
    if (writer >= 0) close(writer);
  }
}

// A directory replaced after it was listed: once a new listing has begun, its
// path reaches the new directory again.
TEST_F(PosixFileSystemTest, ANewListingLetsGoOfTheDirectoryListedBefore) {
  Touch("dir/inner");
  ASSERT_EQ(List(Wide("dir") + u"/*").count("inner"), 1u);
  ASSERT_EQ(rename((root + "/dir").c_str(), (root + "/old").c_str()), 0);
  ASSERT_EQ(mkdir((root + "/dir").c_str(), 0755), 0);
  Touch("dir/fresh");
  EXPECT_TRUE(List(Wide("missing") + u"/*").empty());

  TPosixVolumeControl volume;
  const EntryHandle handle = volume.OpenEntry(Wide("dir/fresh"));
  ASSERT_NE(handle, kInvalidEntryHandle);
  TEntryIdentity identity;
  EXPECT_TRUE(volume.QueryIdentity(handle, identity));
  volume.CloseEntry(handle);
  struct stat info;
  ASSERT_EQ(stat((root + "/dir/fresh").c_str(), &info), 0);
  EXPECT_EQ(identity.file, static_cast<std::uint64_t>(info.st_ino));
}

TEST_F(PosixFileSystemTest, QueryReportsTheFlagOrFailsWithoutTouchingTheCallersFlag) {
  TPosixVolumeControl volume;
  bool compressed = true;
  EXPECT_FALSE(volume.QueryCompression(kInvalidEntryHandle, compressed));
  EXPECT_FALSE(volume.ClearCompression(kInvalidEntryHandle));
  EXPECT_TRUE(compressed);
  const EntryHandle handle = volume.OpenEntry(Wide("file"));
  ASSERT_NE(handle, kInvalidEntryHandle);
  compressed = true;
  if (volume.QueryCompression(handle, compressed)) {
    EXPECT_FALSE(compressed);  // a fresh file on the scratch volume is not compressed
  } else {
    EXPECT_TRUE(compressed);  // this file system has no flags at all
  }
  volume.CloseEntry(handle);
}

// Several entries open at once: each answers for itself, also after another
// was opened, queried or closed in between.
TEST_F(PosixFileSystemTest, EachOpenEntryAnswersForItselfWhateverWasOpenedSince) {
  TPosixVolumeControl volume;
  const EntryHandle dir = volume.OpenEntry(Wide("dir"));
  const EntryHandle file = volume.OpenEntry(Wide("file"));
  ASSERT_NE(dir, kInvalidEntryHandle);
  ASSERT_NE(file, kInvalidEntryHandle);
  struct stat dirInfo, fileInfo;
  ASSERT_EQ(stat((root + "/dir").c_str(), &dirInfo), 0);
  ASSERT_EQ(stat((root + "/file").c_str(), &fileInfo), 0);
  TEntryIdentity identity;
  ASSERT_TRUE(volume.QueryIdentity(dir, identity));
  EXPECT_EQ(identity.file, static_cast<std::uint64_t>(dirInfo.st_ino));
  ASSERT_TRUE(volume.QueryIdentity(file, identity));
  EXPECT_EQ(identity.file, static_cast<std::uint64_t>(fileInfo.st_ino));
  volume.CloseEntry(file);
  // The closed entry's number is free again and goes to the next open.
  const EntryHandle again = volume.OpenEntry(Wide("dir/.."));
  ASSERT_NE(again, kInvalidEntryHandle);
  ASSERT_TRUE(volume.QueryIdentity(again, identity));
  struct stat rootInfo;
  ASSERT_EQ(stat(root.c_str(), &rootInfo), 0);
  EXPECT_EQ(identity.file, static_cast<std::uint64_t>(rootInfo.st_ino));
  volume.CloseEntry(again);
  volume.CloseEntry(dir);
}

// Clearing the compression writes back the entry's own other flags, never
// those read from another entry.
TEST_F(PosixFileSystemTest, ClearingKeepsTheEntrysOwnOtherFlags) {
  Touch("plain");
  const int marked = open((root + "/file").c_str(), O_RDONLY);
  ASSERT_GE(marked, 0);
  int flags = 0;
  const bool flagsWork = ioctl(marked, FS_IOC_GETFLAGS, &flags) == 0 &&
                         (flags |= FS_NODUMP_FL, ioctl(marked, FS_IOC_SETFLAGS, &flags) == 0);
  close(marked);
  if (!flagsWork) GTEST_SKIP() << "the scratch file system keeps no file flags";

  TPosixVolumeControl volume;
  const EntryHandle file = volume.OpenEntry(Wide("file"));
  const EntryHandle plain = volume.OpenEntry(Wide("plain"));
  ASSERT_NE(file, kInvalidEntryHandle);
  ASSERT_NE(plain, kInvalidEntryHandle);
  bool compressed = true;
  ASSERT_TRUE(volume.QueryCompression(file, compressed));
  ASSERT_TRUE(volume.QueryCompression(plain, compressed));
  EXPECT_TRUE(volume.ClearCompression(file));
  EXPECT_TRUE(volume.ClearCompression(plain));
  volume.CloseEntry(plain);
  volume.CloseEntry(file);

  for (const auto& [name, nodump] : {std::pair<const char*, bool>{"file", true}, {"plain", false}}) {
    SCOPED_TRACE(name);
    const int fd = open((root + "/" + name).c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ioctl(fd, FS_IOC_GETFLAGS, &flags), 0);
    close(fd);
    EXPECT_EQ((flags & FS_NODUMP_FL) != 0, nodump);
    EXPECT_EQ(flags & FS_COMPR_FL, 0);
  }
}

}  // namespace
