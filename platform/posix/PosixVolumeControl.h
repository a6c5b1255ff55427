#pragma once
#include "platform/VolumeControl.h"

// Compression state through the file attribute flags (FS_COMPR_FL) of file
// systems that compress per file.
class TPosixVolumeControl : public TVolumeControl {
 protected:
  EntryHandle Open(const WideString& path) override;
  bool GetCompression(EntryHandle handle, std::uint16_t& format) override;
  bool SetCompression(EntryHandle handle, std::uint16_t format) override;
  bool GetIdentity(EntryHandle handle, TEntryIdentity& identity) override;
  void Close(EntryHandle handle) override;
};
