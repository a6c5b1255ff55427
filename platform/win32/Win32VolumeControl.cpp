#include "platform/win32/Win32VolumeControl.h"

#include <windows.h>
#include <winioctl.h>

namespace {
HANDLE ToHandle(EntryHandle handle) { return reinterpret_cast<HANDLE>(handle); }
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

void TWin32VolumeControl::Close(EntryHandle handle) { CloseHandle(ToHandle(handle)); }
