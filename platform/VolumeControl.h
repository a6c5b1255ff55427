#pragma once
// The four operations that read and clear the compression state of one file
// or directory. The public operations hold the rules every volume shares (an
// invalid handle is never passed to the platform; any non-zero format counts
// as compressed; only "none" is ever written); a platform supplies the calls.
#include <cstdint>

#include "platform/WideString.h"

using EntryHandle = std::intptr_t;
constexpr EntryHandle kInvalidEntryHandle = -1;

constexpr std::uint16_t kCompressionFormatNone = 0;
constexpr std::uint16_t kCompressionFormatDefault = 1;

// What tells one file or directory from every other: its volume and its
// number there. Every path that reaches the entry, through links or not,
// gives the same identity.
struct TEntryIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  bool operator==(const TEntryIdentity& other) const {
    return volume == other.volume && file == other.file;
  }
  bool operator!=(const TEntryIdentity& other) const { return !(*this == other); }
};

class TVolumeControl {
 public:
  virtual ~TVolumeControl() = default;

  EntryHandle OpenEntry(const WideString& path) { return Open(path); }

  // True when the state could be read; compressed is left alone otherwise.
  bool QueryCompression(EntryHandle handle, bool& compressed);

  // True when the state was set to none.
  bool ClearCompression(EntryHandle handle);

  // True when the identity of the opened entry could be read; identity is
  // left alone otherwise.
  bool QueryIdentity(EntryHandle handle, TEntryIdentity& identity);

  void CloseEntry(EntryHandle handle) { Close(handle); }

 protected:
  // Opens for reading and writing data with read and write sharing, also a
  // directory; kInvalidEntryHandle on any failure.
  virtual EntryHandle Open(const WideString& path) = 0;
  virtual bool GetCompression(EntryHandle handle, std::uint16_t& format) = 0;
  virtual bool SetCompression(EntryHandle handle, std::uint16_t format) = 0;
  virtual bool GetIdentity(EntryHandle handle, TEntryIdentity& identity) = 0;
  virtual void Close(EntryHandle handle) = 0;
};
