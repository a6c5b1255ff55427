#pragma once
#include <cstdint>
#include <string>

#include "platform/VolumeControl.h"

// Compression state through the file attribute flags (FS_COMPR_FL) of file
// systems that compress per file.
//
// The walk uses one handle at a time and asks each entry the same few things:
// what the opening status already told (the identity) and the flags last
// read are kept for that handle and dropped when it is closed, so no request
// reaches the system twice for one entry.
class TPosixVolumeControl : public TVolumeControl {
 protected:
  EntryHandle Open(const WideString& path) override;
  bool GetCompression(EntryHandle handle, std::uint16_t& format) override;
  bool SetCompression(EntryHandle handle, std::uint16_t format) override;
  bool GetIdentity(EntryHandle handle, TEntryIdentity& identity) override;
  void Close(EntryHandle handle) override;

 private:
  struct TKnown {
    EntryHandle handle = kInvalidEntryHandle;
    TEntryIdentity identity;
    bool flagsRead = false;
    int flags = 0;
  };
  TKnown FKnown;
  std::string FPathBytes;  // kept between opens for its storage
};
