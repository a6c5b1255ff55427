#pragma once
// The file version of an executable or library from its version resource.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

std::optional<std::array<std::uint16_t, 4>> FileVersionOf(const std::string& path);
// "major.minor.release.build"; empty when the file has no version.
std::string FileVersionText(const std::string& path);
