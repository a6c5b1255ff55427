#pragma once
// The body of a run: lists a directory, clears the compression of every
// compressed entry in it (last listed first) and then, when recursive, walks
// each subdirectory in listing order, depth first. A subdirectory that is the
// same directory as one the walk is already inside (reached again through a
// link) is not entered: that walk would never end.
#include <vector>

#include "platform/DirectoryLister.h"
#include "platform/VolumeControl.h"
#include "platform/WideString.h"
#include "worker/WalkHost.h"

class TElWideStringList;

class TDirectoryWalk {
 public:
  TDirectoryWalk(TVolumeControl& volume, IDirectoryLister& lister, IWalkHost& host,
                 bool recursive);

  // True when the listing took at least one entry.
  bool ScanDirectory(const WideString& path);
  // Number of entries taken; names go to list (when given) with the object 1
  // for a directory and null otherwise. "." and ".." are never taken.
  int ListDirectory(const WideString& pattern, TElWideStringList* list,
                    bool includeDirectories, bool includeFiles);
  // True when the entry was compressed and its compression was cleared.
  bool DecompressEntry(const WideString& path);

  bool Recursive() const { return FRecursive; }
  // The texts last handed over; empty until the first of each.
  const WideString& LogLine() const { return FLogLine; }
  const WideString& StatusLine() const { return FStatusLine; }
  // How many clears failed (each logged "Uncompression Failed").
  int FailedClears() const { return FFailedClears; }

 private:
  bool ScanDirectory(const WideString& path, const TEntryIdentity* identity);
  bool DecompressEntry(const WideString& path, TEntryIdentity* identity, bool& identified);
  bool OnCurrentPath(const TEntryIdentity& identity) const;
  void ChildPath(const WideString& path, const WideString& name, WideString& child) const;
  void HandOverLogLine(const WideString& line);
  void HandOverStatusLine(const WideString& line);

  TVolumeControl& FVolume;
  IDirectoryLister& FLister;
  IWalkHost& FHost;
  bool FRecursive;
  WideString FLogLine;
  WideString FStatusLine;
  int FFailedClears = 0;
  // The identities of the directories being walked, outermost first; the
  // start directory is never opened, so its identity is not among them.
  std::vector<TEntryIdentity> FCurrentPath;
};

// A fixed literal and a path, composed in the narrow system code page: a
// character of the path the code page cannot hold is shown as its default
// character. Only texts go through here; the file system gets the exact path.
WideString ComposeWalkText(const char* literal, const WideString& path);
