#include "platform/VolumeControl.h"

bool TVolumeControl::QueryCompression(EntryHandle handle, bool& compressed) {
  if (handle == kInvalidEntryHandle) return false;
  std::uint16_t format = kCompressionFormatNone;
  if (!GetCompression(handle, format)) return false;
  compressed = format != kCompressionFormatNone;
  return true;
}

bool TVolumeControl::ClearCompression(EntryHandle handle) {
  if (handle == kInvalidEntryHandle) return false;
  return SetCompression(handle, kCompressionFormatNone);
}

bool TVolumeControl::QueryIdentity(EntryHandle handle, TEntryIdentity& identity) {
  if (handle == kInvalidEntryHandle) return false;
  return GetIdentity(handle, identity);
}
