#pragma once
// An in-memory volume for tests: a tree of files and directories with a
// compression format and an identity per entry, links to directories,
// switches that make single operations on an entry fail, and a record of
// every call made to it. Paths use the backslash; empty components (a doubled
// backslash) are passed over as the system does. A link is listed as a
// directory that is also a reparse point; opening or listing it reaches its
// target, as the system's calls do.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/DirectoryLister.h"
#include "platform/VolumeControl.h"

struct TSimulatedEntry {
  WideString name;
  bool isDirectory = false;
  std::uint16_t compressionFormat = kCompressionFormatNone;
  bool failOpen = false;
  bool failQuery = false;
  bool failClear = false;
  bool failIdentity = false;
  TEntryIdentity identity;                // unique per entry
  TSimulatedEntry* linkTarget = nullptr;  // set on a link: the directory it reaches
  std::vector<std::unique_ptr<TSimulatedEntry>> children;  // in listing order
};

struct TSimulatedCall {
  std::string operation;  // "Open", "GetCompression", "SetCompression", "GetIdentity",
                          // "Close", "FindFirst", "FindNext", "FindClose", "IsDirectory"
  WideString path;        // as passed in, or of the entry the handle refers to
  bool operator==(const TSimulatedCall& other) const {
    return operation == other.operation && path == other.path;
  }
};

class TSimulatedVolume : public TVolumeControl, public IDirectoryLister {
 public:
  TSimulatedVolume();

  // Adds the entry and any missing directories above it; returns the entry.
  TSimulatedEntry& AddDirectory(const WideString& path, std::uint16_t format = 0);
  TSimulatedEntry& AddFile(const WideString& path, std::uint16_t format = 0);
  // A link at path to the existing directory target (a link is followed).
  TSimulatedEntry& AddDirectoryLink(const WideString& path, const WideString& target);
  // The entry at path; nullptr when there is none.
  TSimulatedEntry* Find(const WideString& path);

  const std::vector<TSimulatedCall>& Calls() const { return FCalls; }
  std::vector<WideString> PathsOf(const std::string& operation) const;
  int OpenHandles() const;
  // Called after each call is recorded, for tests that act in the middle of a walk.
  std::function<void(const TSimulatedCall&)> OnCall;

  FindHandle FindFirst(const WideString& pattern, TFindData& data) override;
  bool FindNext(FindHandle handle, TFindData& data) override;
  void FindClose(FindHandle handle) override;
  bool IsDirectory(const WideString& path) override;
  char16_t PathSeparator() const override { return u'\\'; }

 protected:
  EntryHandle Open(const WideString& path) override;
  bool GetCompression(EntryHandle handle, std::uint16_t& format) override;
  bool SetCompression(EntryHandle handle, std::uint16_t format) override;
  bool GetIdentity(EntryHandle handle, TEntryIdentity& identity) override;
  void Close(EntryHandle handle) override;

 private:
  struct TOpenEntry {
    TSimulatedEntry* entry;
    WideString path;
    bool open;
  };
  struct TListing {
    WideString pattern;
    std::vector<TFindData> entries;
    size_t next;
    bool open;
  };

  TSimulatedEntry& Add(const WideString& path, bool isDirectory, std::uint16_t format);
  void Record(const std::string& operation, const WideString& path);
  TOpenEntry* OpenEntryOf(EntryHandle handle);
  TListing* ListingOf(FindHandle handle);

  TSimulatedEntry FRoot;
  std::uint64_t FNextFileNumber = 1;
  std::vector<TOpenEntry> FHandles;
  std::vector<TListing> FListings;
  std::vector<TSimulatedCall> FCalls;
};
