#include "platform/win32/ModuleFileName.h"

#include <vector>

std::string ModuleFileName(HMODULE module) {
  // A path that fills the buffer may be cut short: grow it and ask again, up
  // to the longest path the system has.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::vector<char> path(size);
    const DWORD length = GetModuleFileNameA(module, path.data(), size);
    if (length == 0) return std::string();
    if (length < size) return std::string(path.data(), length);
  }
  return std::string();
}

std::string ModuleFileNameOnly(HMODULE module) {
  const std::string path = ModuleFileName(module);
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
