#include "crash/report/win32/FileVersion.h"

#include <windows.h>

#include <vector>

std::optional<std::array<std::uint16_t, 4>> FileVersionOf(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
      length < sizeof *fixed)
    return std::nullopt;
  return std::array<std::uint16_t, 4>{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                                      HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
}

std::string FileVersionText(const std::string& path) {
  const std::optional<std::array<std::uint16_t, 4>> v = FileVersionOf(path);
  if (!v) return {};
  return std::to_string((*v)[0]) + "." + std::to_string((*v)[1]) + "." + std::to_string((*v)[2]) + "." +
         std::to_string((*v)[3]);
}
