#include "platform/win32/ModuleFileName.h"

#include <vector>

#include "platform/CodePage.h"

WideString ModuleFilePath(HMODULE module) {
  // A path that fills the buffer may be cut short: grow it and ask again, up
  // to the longest path the system has.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::vector<wchar_t> path(size);
    const DWORD length = GetModuleFileNameW(module, path.data(), size);
    if (length == 0) return WideString();
    if (length < size) return WideString(reinterpret_cast<const char16_t*>(path.data()), length);
  }
  return WideString();
}

std::string ModuleFileName(HMODULE module) { return WideToNarrow(ModuleFilePath(module)); }

std::string ModuleFileNameOnly(HMODULE module) {
  const std::string path = ModuleFileName(module);
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
