#include "platform/win32/Win32VolumeControl.h"

#include <windows.h>
#include <winioctl.h>
#include <winternl.h>

namespace {
HANDLE ToHandle(EntryHandle handle) { return reinterpret_cast<HANDLE>(handle); }
// The fixed part of the answer was filled, the rest did not fit.
const NTSTATUS kStatusBufferOverflow = static_cast<NTSTATUS>(0x80000005);
bool Succeeded(NTSTATUS status) { return status >= 0; }
}  // namespace

EntryHandle TWin32VolumeControl::Open(const WideString& path) {
  // Read-data and write-data only (not the generic rights), no delete
  // sharing, backup semantics so that a directory opens as well as a file.
  HANDLE handle = CreateFileW(reinterpret_cast<LPCWSTR>(path.c_str()),
                              FILE_READ_DATA | FILE_WRITE_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return kInvalidEntryHandle;
  return reinterpret_cast<EntryHandle>(handle);
}

bool TWin32VolumeControl::GetCompression(EntryHandle handle, std::uint16_t& format) {
  USHORT state = COMPRESSION_FORMAT_NONE;
  DWORD returned = 0;
  if (!DeviceIoControl(ToHandle(handle), FSCTL_GET_COMPRESSION, nullptr, 0, &state,
                       sizeof(state), &returned, nullptr))
    return false;
  format = state;
  return true;
}

bool TWin32VolumeControl::SetCompression(EntryHandle handle, std::uint16_t format) {
  USHORT state = format;
  DWORD returned = 0;
  return DeviceIoControl(ToHandle(handle), FSCTL_SET_COMPRESSION, &state, sizeof(state),
                         nullptr, 0, &returned, nullptr) != FALSE;
}

bool TWin32VolumeControl::GetIdentity(EntryHandle handle, TEntryIdentity& identity) {
  // The volume serial and the file index, as GetFileInformationByHandle gives
  // them, but through the two queries that need no access right: the handle
  // holds only read-data and write-data, and the whole-file query behind
  // GetFileInformationByHandle also wants the right to read attributes. The
  // handle reaches a link's target, so a link and its target agree.
  IO_STATUS_BLOCK status;
  FILE_INTERNAL_INFORMATION file;
  if (!Succeeded(NtQueryInformationFile(ToHandle(handle), &status, &file, sizeof file,
                                         FileInternalInformation)))
    return false;
  // Room for a label; the fixed part is filled even when the label does not fit.
  union {
    FILE_FS_VOLUME_INFORMATION info;
    char bytes[sizeof(FILE_FS_VOLUME_INFORMATION) + 64 * sizeof(WCHAR)];
  } volume;
  const NTSTATUS read = NtQueryVolumeInformationFile(ToHandle(handle), &status, &volume, sizeof volume,
                                                     FileFsVolumeInformation);
  if (!Succeeded(read) && read != kStatusBufferOverflow) return false;
  identity.volume = volume.info.VolumeSerialNumber;
  identity.file = static_cast<std::uint64_t>(file.IndexNumber.QuadPart);
  return true;
}

void TWin32VolumeControl::Close(EntryHandle handle) { CloseHandle(ToHandle(handle)); }
