#include "worker/DirectoryWalk.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "text/ElWideStringList.h"
#include "platform/simulated/SimulatedVolume.h"
#include "tests/support/RecordingWalkHost.h"

namespace {

using Strings = std::vector<std::string>;

std::string Utf8(const WideString& text) { return EncodeEscapedUtf8(text); }

Strings Utf8All(const std::vector<WideString>& texts) {
  Strings result;
  for (const WideString& text : texts) result.push_back(Utf8(text));
  return result;
}

class DirectoryWalkTest : public ::testing::Test {
 protected:
  TSimulatedVolume volume;
  TRecordingWalkHost host;

  bool Scan(const WideString& path, bool recursive = true) {
    TDirectoryWalk walk(volume, volume, host, recursive);
    const bool result = walk.ScanDirectory(path);
    failedClears = walk.FailedClears();
    return result;
  }
  int failedClears = 0;
};

// C:\d lists a, S, b, T; S holds x, T holds y. Everything but T is compressed.
void BuildTree(TSimulatedVolume& volume) {
  volume.AddDirectory(u"C:\\d");
  volume.AddFile(u"C:\\d\\a", 1);
  volume.AddDirectory(u"C:\\d\\S", 1);
  volume.AddFile(u"C:\\d\\S\\x", 1);
  volume.AddFile(u"C:\\d\\b", 1);
  volume.AddDirectory(u"C:\\d\\T");
  volume.AddFile(u"C:\\d\\T\\y", 1);
}

TEST_F(DirectoryWalkTest, HandlesEntriesLastListedFirstThenEntersSubdirectoriesInListingOrder) {
  BuildTree(volume);
  EXPECT_TRUE(Scan(u"C:\\d"));
  EXPECT_EQ(host.events, (Strings{
                             "status: Scanning directory : C:\\d",
                             "log: Found compressed File: C:\\d\\b",
                             "log: Uncompressed OK",
                             "log: Found compressed Dir: C:\\d\\S",
                             "log: Uncompressed OK",
                             "log: Found compressed File: C:\\d\\a",
                             "log: Uncompressed OK",
                             "status: Scanning directory : C:\\d\\S",
                             "log: Found compressed File: C:\\d\\S\\x",
                             "log: Uncompressed OK",
                             "status: Scanning directory : C:\\d\\T",
                             "log: Found compressed File: C:\\d\\T\\y",
                             "log: Uncompressed OK",
                         }));
  // Every entry, compressed or not, is opened and queried once, in reverse listing order.
  EXPECT_EQ(Utf8All(volume.PathsOf("Open")),
            (Strings{"C:\\d\\T", "C:\\d\\b", "C:\\d\\S", "C:\\d\\a", "C:\\d\\S\\x", "C:\\d\\T\\y"}));
  EXPECT_EQ(volume.PathsOf("GetCompression"), volume.PathsOf("Open"));
  EXPECT_EQ(volume.PathsOf("Close"), volume.PathsOf("Open"));
  EXPECT_EQ(Utf8All(volume.PathsOf("SetCompression")),
            (Strings{"C:\\d\\b", "C:\\d\\S", "C:\\d\\a", "C:\\d\\S\\x", "C:\\d\\T\\y"}));
  EXPECT_EQ(volume.Find(u"C:\\d\\S\\x")->compressionFormat, kCompressionFormatNone);
  EXPECT_EQ(volume.OpenHandles(), 0);
  EXPECT_EQ(failedClears, 0);
}

TEST_F(DirectoryWalkTest, CallsEachEntryInTheVolumeOrder) {
  volume.AddFile(u"C:\\d\\f", 2);
  volume.AddFile(u"C:\\d\\g");
  Scan(u"C:\\d");
  std::vector<std::string> calls;
  for (const TSimulatedCall& call : volume.Calls()) calls.push_back(call.operation + " " + Utf8(call.path));
  EXPECT_EQ(calls, (Strings{"FindFirst C:\\d\\*", "FindNext C:\\d\\*", "FindNext C:\\d\\*",
                            "FindNext C:\\d\\*", "FindNext C:\\d\\*", "FindClose C:\\d\\*",
                            "Open C:\\d\\g", "GetCompression C:\\d\\g", "Close C:\\d\\g",
                            "Open C:\\d\\f", "GetCompression C:\\d\\f", "IsDirectory C:\\d\\f",
                            "SetCompression C:\\d\\f", "Close C:\\d\\f"}));
}

TEST_F(DirectoryWalkTest, WithoutRecursionSubdirectoriesAreClearedButNotEntered) {
  BuildTree(volume);
  EXPECT_TRUE(Scan(u"C:\\d", false));
  EXPECT_EQ(host.Logs(), (Strings{"Found compressed File: C:\\d\\b", "Uncompressed OK",
                                  "Found compressed Dir: C:\\d\\S", "Uncompressed OK",
                                  "Found compressed File: C:\\d\\a", "Uncompressed OK"}));
  EXPECT_EQ(Utf8All(volume.PathsOf("FindFirst")), (Strings{"C:\\d\\*"}));
  EXPECT_EQ(volume.Find(u"C:\\d\\S\\x")->compressionFormat, 1);
}

TEST_F(DirectoryWalkTest, FailuresOfSingleEntriesAreReducedToTheirResult) {
  struct Case {
    const char* name;
    bool TSimulatedEntry::*failure;
    Strings logs;
    Strings operations;
  };
  const Case cases[] = {
      {"open", &TSimulatedEntry::failOpen, {}, {"Open"}},
      {"query", &TSimulatedEntry::failQuery, {}, {"Open", "GetCompression", "Close"}},
      {"clear",
       &TSimulatedEntry::failClear,
       {"Found compressed File: C:\\d\\bad", "Uncompression Failed"},
       {"Open", "GetCompression", "IsDirectory", "SetCompression", "Close"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TSimulatedVolume fresh;
    TRecordingWalkHost freshHost;
    fresh.AddFile(u"C:\\d\\good", 1);
    fresh.AddFile(u"C:\\d\\bad", 1).*(c.failure) = true;
    TDirectoryWalk walk(fresh, fresh, freshHost, true);
    EXPECT_TRUE(walk.ScanDirectory(u"C:\\d"));
    Strings logs = c.logs;
    logs.push_back("Found compressed File: C:\\d\\good");  // the walk goes on
    logs.push_back("Uncompressed OK");
    EXPECT_EQ(freshHost.Logs(), logs);
    Strings operations;
    for (const TSimulatedCall& call : fresh.Calls())
      if (call.path == u"C:\\d\\bad") operations.push_back(call.operation);
    EXPECT_EQ(operations, c.operations);
    EXPECT_EQ(walk.FailedClears(), c.failure == &TSimulatedEntry::failClear ? 1 : 0);
    EXPECT_EQ(fresh.OpenHandles(), 0);
  }
}

TEST_F(DirectoryWalkTest, AnyNonZeroFormatCountsAsCompressed) {
  const std::pair<std::uint16_t, bool> cases[] = {{0, false}, {1, true}, {2, true}, {0xFFFF, true}};
  for (const auto& [format, compressed] : cases) {
    SCOPED_TRACE(format);
    TSimulatedVolume fresh;
    TRecordingWalkHost freshHost;
    fresh.AddFile(u"C:\\d\\f", format);
    TDirectoryWalk walk(fresh, fresh, freshHost, true);
    walk.ScanDirectory(u"C:\\d");
    EXPECT_EQ(freshHost.Logs().size(), compressed ? 2u : 0u);
    EXPECT_EQ(fresh.Find(u"C:\\d\\f")->compressionFormat, kCompressionFormatNone);
  }
}

TEST_F(DirectoryWalkTest, TerminateFinishesTheCurrentDirectoryAndEntersNoOther) {
  BuildTree(volume);
  volume.AddFile(u"C:\\d\\S\\deep\\z", 1);
  // Requested while the first entry of the start directory is being handled.
  volume.OnCall = [&](const TSimulatedCall& call) {
    if (call.operation == "Open") host.terminate = true;
  };
  EXPECT_TRUE(Scan(u"C:\\d"));
  EXPECT_EQ(Utf8All(volume.PathsOf("Open")),
            (Strings{"C:\\d\\T", "C:\\d\\b", "C:\\d\\S", "C:\\d\\a"}));
  EXPECT_EQ(Utf8All(volume.PathsOf("FindFirst")), (Strings{"C:\\d\\*"}));
  EXPECT_EQ(host.events.front(), "status: Scanning directory : C:\\d");
  EXPECT_EQ(std::count_if(host.events.begin(), host.events.end(),
                          [](const std::string& e) { return e.rfind("status:", 0) == 0; }),
            1);
}

TEST_F(DirectoryWalkTest, TerminateBeforeTheStartDoesNothing) {
  BuildTree(volume);
  host.terminate = true;
  EXPECT_FALSE(Scan(u"C:\\d"));
  EXPECT_TRUE(host.events.empty());
  EXPECT_TRUE(volume.Calls().empty());
}

TEST_F(DirectoryWalkTest, TheStartPathIsListedButNeverOpened) {
  volume.AddDirectory(u"C:\\d", 1);
  volume.AddFile(u"C:\\d\\f", 1);
  Scan(u"C:\\d");
  EXPECT_EQ(Utf8All(volume.PathsOf("Open")), (Strings{"C:\\d\\f"}));
  EXPECT_EQ(volume.Find(u"C:\\d")->compressionFormat, 1);
}

TEST_F(DirectoryWalkTest, PathsAreJoinedAsTheyStand) {
  struct Case {
    WideString start;
    Strings statuses;
    Strings opened;
  };
  const Case cases[] = {
      // A start path ending in a backslash doubles it at every join.
      {u"C:\\d\\",
       {"Scanning directory : C:\\d\\", "Scanning directory : C:\\d\\\\e"},
       {"C:\\d\\\\e", "C:\\d\\\\e\\f"}},
      // The empty path lists the root ("\*"); entry paths begin with one backslash.
      {u"",
       {"Scanning directory : ", "Scanning directory : \\C:", "Scanning directory : \\C:\\d",
        "Scanning directory : \\C:\\d\\e"},
       {"\\top", "\\C:", "\\C:\\d", "\\C:\\d\\e", "\\C:\\d\\e\\f"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.start));
    TSimulatedVolume fresh;
    fresh.AddFile(u"C:\\d\\e\\f", 1);
    fresh.AddFile(u"top", 1);
    TRecordingWalkHost freshHost;
    TDirectoryWalk walk(fresh, fresh, freshHost, true);
    walk.ScanDirectory(c.start);
    Strings statuses;
    for (const std::string& event : freshHost.events)
      if (event.rfind("status: ", 0) == 0) statuses.push_back(event.substr(8));
    EXPECT_EQ(statuses, c.statuses);
    EXPECT_EQ(Utf8All(fresh.PathsOf("Open")), c.opened);
  }
}

TEST_F(DirectoryWalkTest, AListingThatFindsNothingShowsOnlyItsStatusLine) {
  volume.AddDirectory(u"C:\\empty");
  volume.AddFile(u"C:\\file", 1);
  const WideString starts[] = {u"C:\\empty", u"C:\\missing", u"C:\\file"};
  for (const WideString& start : starts) {
    SCOPED_TRACE(Utf8(start));
    host.events.clear();
    EXPECT_FALSE(Scan(start));
    EXPECT_EQ(host.events, Strings{"status: Scanning directory : " + Utf8(start)});
  }
  EXPECT_TRUE(volume.PathsOf("Open").empty());
  EXPECT_EQ(volume.OpenHandles(), 0);
}

TEST_F(DirectoryWalkTest, TextsGoThroughTheCodePageWhileTheFileSystemGetsTheExactPath) {
  // A directory named in characters the code page cannot hold is still a
  // directory; the text shows them as the default character.
  const WideString dir = u"C:\\d\\\u65E5\u672C";
  const WideString odd = u"C:\\d\\line\nbreak \xD800 \u00E9";
  volume.AddDirectory(dir, 1);
  volume.AddFile(odd, 1);
  Scan(u"C:\\d", false);
  EXPECT_EQ(host.Logs(), (Strings{"Found compressed File: C:\\d\\line\nbreak ? \u00E9",
                                  "Uncompressed OK", "Found compressed Dir: C:\\d\\??",
                                  "Uncompressed OK"}));
  EXPECT_EQ(volume.PathsOf("SetCompression"), (std::vector<WideString>{odd, dir}));
  EXPECT_EQ(volume.PathsOf("IsDirectory"), (std::vector<WideString>{odd, dir}));
}

TEST_F(DirectoryWalkTest, AnExceptionWhileShowingALineEndsTheWalkAndClosesTheEntry) {
  BuildTree(volume);
  host.onEvent = [](const std::string& event) {
    if (event == "log: Found compressed Dir: C:\\d\\S") throw std::runtime_error("shown badly");
  };
  TDirectoryWalk walk(volume, volume, host, true);
  EXPECT_THROW(walk.ScanDirectory(u"C:\\d"), std::runtime_error);
  EXPECT_EQ(Utf8All(volume.PathsOf("Open")), (Strings{"C:\\d\\T", "C:\\d\\b", "C:\\d\\S"}));
  EXPECT_EQ(Utf8All(volume.PathsOf("SetCompression")), Strings{"C:\\d\\b"});
  EXPECT_EQ(volume.OpenHandles(), 0);
  EXPECT_EQ(Utf8(walk.LogLine()), "Found compressed Dir: C:\\d\\S");
  EXPECT_EQ(Utf8(walk.StatusLine()), "Scanning directory : C:\\d");
}

TEST_F(DirectoryWalkTest, ListDirectoryTakesWhatItIsAskedFor) {
  BuildTree(volume);
  struct Case {
    bool directories, files;
    Strings names;
  };
  const Case cases[] = {{true, true, {"a", "S", "b", "T"}},
                        {true, false, {"S", "T"}},
                        {false, true, {"a", "b"}},
                        {false, false, {}}};
  TDirectoryWalk walk(volume, volume, host, true);
  for (const Case& c : cases) {
    TElWideStringList list;
    EXPECT_EQ(walk.ListDirectory(u"C:\\d\\*", &list, c.directories, c.files),
              static_cast<int>(c.names.size()));
    Strings names;
    for (int i = 0; i < list.GetCount(); ++i) {
      names.push_back(Utf8(list.Get(i)));
      EXPECT_EQ(list.GetObject(i), list.Get(i) == u"S" || list.Get(i) == u"T"
                                       ? reinterpret_cast<void*>(1)
                                       : nullptr);
    }
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(walk.ListDirectory(u"C:\\d\\*", nullptr, c.directories, c.files),
              static_cast<int>(c.names.size()));
  }
  EXPECT_EQ(walk.ListDirectory(u"C:\\missing\\*", nullptr, true, true), 0);
  EXPECT_EQ(volume.OpenHandles(), 0);
}

Strings StatusesOf(const TRecordingWalkHost& host) {
  Strings statuses;
  for (const std::string& event : host.events)
    if (event.rfind("status: ", 0) == 0) statuses.push_back(event.substr(8));
  return statuses;
}

TEST_F(DirectoryWalkTest, ADirectoryAlreadyOnTheCurrentPathIsNotEnteredAgain) {
  struct Case {
    const char* name;
    std::vector<std::pair<WideString, WideString>> links;  // link, target
    Strings statuses;
  };
  const Case cases[] = {
      {"a link to its own directory",
       {{u"C:\\d\\A\\self", u"C:\\d\\A"}},
       {"Scanning directory : C:\\d", "Scanning directory : C:\\d\\A",
        "Scanning directory : C:\\d\\A\\A1", "Skipping directory loop : C:\\d\\A\\self",
        "Scanning directory : C:\\d\\B"}},
      {"a link two levels up",
       {{u"C:\\d\\A\\A1\\up", u"C:\\d\\A"}},
       {"Scanning directory : C:\\d", "Scanning directory : C:\\d\\A",
        "Scanning directory : C:\\d\\A\\A1", "Skipping directory loop : C:\\d\\A\\A1\\up",
        "Scanning directory : C:\\d\\B"}},
      // The start directory is listed, never opened: its identity is learnt
      // one level down, when the link is entered once.
      {"a link to the start directory",
       {{u"C:\\d\\B\\top", u"C:\\d"}},
       {"Scanning directory : C:\\d", "Scanning directory : C:\\d\\A",
        "Scanning directory : C:\\d\\A\\A1", "Scanning directory : C:\\d\\B",
        "Scanning directory : C:\\d\\B\\top", "Scanning directory : C:\\d\\B\\top\\A",
        "Scanning directory : C:\\d\\B\\top\\A\\A1",
        "Skipping directory loop : C:\\d\\B\\top\\B"}},
      // Not loops: the same directory reached twice side by side is walked twice.
      {"links to a sibling",
       {{u"C:\\d\\A\\toB", u"C:\\d\\B"}, {u"C:\\d\\toB", u"C:\\d\\B"}},
       {"Scanning directory : C:\\d", "Scanning directory : C:\\d\\A",
        "Scanning directory : C:\\d\\A\\A1", "Scanning directory : C:\\d\\A\\toB",
        "Scanning directory : C:\\d\\B", "Scanning directory : C:\\d\\toB"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TSimulatedVolume fresh;
    fresh.AddDirectory(u"C:\\d\\A\\A1");
    fresh.AddFile(u"C:\\d\\B\\f", 1);
    for (const auto& [link, target] : c.links) fresh.AddDirectoryLink(link, target);
    TRecordingWalkHost freshHost;
    TDirectoryWalk walk(fresh, fresh, freshHost, true);
    EXPECT_TRUE(walk.ScanDirectory(u"C:\\d"));
    EXPECT_EQ(StatusesOf(freshHost), c.statuses);
    // B's file is cleared through whichever path reaches it first, once.
    EXPECT_EQ(fresh.PathsOf("SetCompression").size(), 1u);
    EXPECT_EQ(fresh.OpenHandles(), 0);
  }
}

TEST_F(DirectoryWalkTest, TheIdentityIsReadOnTheDirectorysOwnHandleAndOnlyForDirectoriesToEnter) {
  volume.AddDirectory(u"C:\\d\\S", 1);
  volume.AddFile(u"C:\\d\\f", 1);
  volume.AddDirectory(u"C:\\d\\T").failIdentity = true;
  volume.AddDirectory(u"C:\\d\\U").failQuery = true;
  Scan(u"C:\\d");
  Strings calls;
  for (const TSimulatedCall& call : volume.Calls())
    if (call.operation != "FindFirst" && call.operation != "FindNext" && call.operation != "FindClose")
      calls.push_back(call.operation + " " + Utf8(call.path));
  EXPECT_EQ(calls, (Strings{"Open C:\\d\\U", "GetCompression C:\\d\\U", "GetIdentity C:\\d\\U",
                            "Close C:\\d\\U", "Open C:\\d\\T", "GetCompression C:\\d\\T",
                            "GetIdentity C:\\d\\T", "Close C:\\d\\T", "Open C:\\d\\f",
                            "GetCompression C:\\d\\f", "IsDirectory C:\\d\\f",
                            "SetCompression C:\\d\\f", "Close C:\\d\\f", "Open C:\\d\\S",
                            "GetCompression C:\\d\\S", "IsDirectory C:\\d\\S",
                            "SetCompression C:\\d\\S", "GetIdentity C:\\d\\S", "Close C:\\d\\S"}));
  // A directory whose identity could not be read is entered as before.
  EXPECT_EQ(StatusesOf(host), (Strings{"Scanning directory : C:\\d", "Scanning directory : C:\\d\\S",
                                       "Scanning directory : C:\\d\\T", "Scanning directory : C:\\d\\U"}));

  TSimulatedVolume flat;
  flat.AddDirectory(u"C:\\d\\S", 1);
  TRecordingWalkHost flatHost;
  TDirectoryWalk walk(flat, flat, flatHost, false);
  walk.ScanDirectory(u"C:\\d");
  EXPECT_TRUE(flat.PathsOf("GetIdentity").empty());
}

}  // namespace
