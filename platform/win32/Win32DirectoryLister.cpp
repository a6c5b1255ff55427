#include "platform/win32/Win32DirectoryLister.h"

#include <windows.h>

namespace {
void TakeEntry(const WIN32_FIND_DATAW& found, TFindData& data) {
  data.name = reinterpret_cast<const char16_t*>(found.cFileName);
  data.attributes = found.dwFileAttributes;
}
}  // namespace

FindHandle TWin32DirectoryLister::FindFirst(const WideString& pattern, TFindData& data) {
  WIN32_FIND_DATAW found;
  HANDLE handle = FindFirstFileW(reinterpret_cast<LPCWSTR>(pattern.c_str()), &found);
  if (handle == INVALID_HANDLE_VALUE) return kInvalidFindHandle;
  TakeEntry(found, data);
  return reinterpret_cast<FindHandle>(handle);
}

bool TWin32DirectoryLister::FindNext(FindHandle handle, TFindData& data) {
  WIN32_FIND_DATAW found;
  if (!FindNextFileW(reinterpret_cast<HANDLE>(handle), &found)) return false;
  TakeEntry(found, data);
  return true;
}

void TWin32DirectoryLister::FindClose(FindHandle handle) {
  ::FindClose(reinterpret_cast<HANDLE>(handle));
}

bool TWin32DirectoryLister::IsDirectory(const WideString& path) {
  // The exact wide path: a narrow conversion would lose characters the code
  // page cannot hold and misreport such a directory as a file.
  const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.c_str()));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
