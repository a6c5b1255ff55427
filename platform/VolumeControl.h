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

class TVolumeControl {
 public:
  virtual ~TVolumeControl() = default;

  EntryHandle OpenEntry(const WideString& path) { return Open(path); }

  // True when the state could be read; compressed is left alone otherwise.
  bool QueryCompression(EntryHandle handle, bool& compressed);

  // True when the state was set to none.
  bool ClearCompression(EntryHandle handle);

  void CloseEntry(EntryHandle handle) { Close(handle); }

 protected:
  // Opens for reading and writing data with read and write sharing, also a
  // directory; kInvalidEntryHandle on any failure.
  virtual EntryHandle Open(const WideString& path) = 0;
  virtual bool GetCompression(EntryHandle handle, std::uint16_t& format) = 0;
  virtual bool SetCompression(EntryHandle handle, std::uint16_t format) = 0;
  virtual void Close(EntryHandle handle) = 0;
};
