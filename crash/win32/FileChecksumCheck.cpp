#include "crash/win32/FileChecksumCheck.h"

#include <windows.h>

#include <cstring>

#include "crash/ImageChecksum.h"
#include "platform/win32/HandleOwners.h"

TFileChecksum CheckFileChecksum(const std::string& path) {
  TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return TFileChecksum::Unreadable;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > 0x7fffffff)
    return TFileChecksum::Unreadable;
  TKernelHandle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return TFileChecksum::Unreadable;
  TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
  if (!view) return TFileChecksum::Unreadable;
  const auto* bytes = static_cast<const std::uint8_t*>(view.Get());
  const std::size_t length = static_cast<std::size_t>(size.QuadPart);
  const std::optional<std::size_t> field = ImageChecksumOffset(bytes, length);
  if (!field) return TFileChecksum::Unreadable;
  std::uint32_t stored = 0;
  std::memcpy(&stored, bytes + *field, sizeof stored);
  if (stored == 0) return TFileChecksum::NotStored;
  return ImageFileChecksum(bytes, length, *field) == stored ? TFileChecksum::Matches : TFileChecksum::Differs;
}
