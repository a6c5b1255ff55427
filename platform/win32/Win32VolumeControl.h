#pragma once
#include "platform/VolumeControl.h"

// Compression state through the NTFS volume control requests.
class TWin32VolumeControl : public TVolumeControl {
 protected:
  EntryHandle Open(const WideString& path) override;
  bool GetCompression(EntryHandle handle, std::uint16_t& format) override;
  bool SetCompression(EntryHandle handle, std::uint16_t format) override;
  bool GetIdentity(EntryHandle handle, TEntryIdentity& identity) override;
  void Close(EntryHandle handle) override;
};
