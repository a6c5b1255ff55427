#pragma once
// The directory last listed on this thread, kept open after its listing ends.
// The walk lists a directory and then opens every entry in it: those opens go
// relative to the kept directory instead of resolving the whole path again,
// which on a deep tree is a large part of each open. A new listing drops it,
// so it never outlives the listing that the walk's paths come from.
#include <string>

class TListedDirectory {
 public:
  static TListedDirectory& ThisThread();

  TListedDirectory() = default;
  TListedDirectory(const TListedDirectory&) = delete;
  TListedDirectory& operator=(const TListedDirectory&) = delete;
  ~TListedDirectory() { Drop(); }

  // Takes over fd, the open directory listed as directory.
  void Keep(const std::string& directory, int fd);
  void Drop();

  // The descriptor to reach path from when path names an entry directly
  // inside the kept directory (name then points at the entry's name in
  // path); -1 otherwise.
  int Find(const std::string& path, const char*& name) const;

 private:
  std::string FDirectory;
  int FFd = -1;
};
