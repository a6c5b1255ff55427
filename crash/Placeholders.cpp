#include "crash/Placeholders.h"

#include <cctype>
#include <cstdio>
#include <functional>

namespace {

bool MatchesAt(const std::string& text, size_t at, const std::string& pattern) {
  if (text.size() - at < pattern.size()) return false;
  for (size_t i = 0; i < pattern.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[at + i])) !=
        std::tolower(static_cast<unsigned char>(pattern[i])))
      return false;
  return true;
}

// Replaces every occurrence; the value is computed once, and only when needed.
void Replace(std::string& text, const std::string& pattern, const std::function<std::string()>& value) {
  std::string result;
  bool computed = false;
  std::string replacement;
  size_t at = 0;
  while (at < text.size()) {
    if (text[at] == '%' && MatchesAt(text, at, pattern)) {
      if (!computed) {
        replacement = value();
        computed = true;
      }
      result += replacement;
      at += pattern.size();
    } else {
      result += text[at++];
    }
  }
  if (computed) text.swap(result);
}

std::string FormatDate(const TLocalTime& now) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", now.year, now.month, now.day);
  return buffer;
}

std::string FormatTime(const TLocalTime& now) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d, %dms", now.hour, now.minute, now.second,
                now.millisecond);
  return buffer;
}

}  // namespace

std::string ExpandPlaceholders(const std::string& text, IPlaceholderSource& source,
                               const std::string& exceptMsg, const std::string& bugReport) {
  if (text.find('%') == std::string::npos) return text;
  std::string result = text;
  bool haveNow = false;
  TLocalTime now;
  auto clock = [&]() -> const TLocalTime& {
    if (!haveNow) {
      now = source.Now();
      haveNow = true;
    }
    return now;
  };
  Replace(result, "%appname%", [&] { return source.AppName(); });
  Replace(result, "%modname%", [&] { return source.ModuleName(); });
  Replace(result, "%appversion%", [&] { return source.AppVersion(); });
  Replace(result, "%modversion%", [&] { return source.ModuleVersion(); });
  Replace(result, "%exceptMsg%", [&] { return exceptMsg.empty() ? std::string("Unknown") : exceptMsg; });
  Replace(result, "%bugReport%", [&] { return bugReport; });
  Replace(result, "%LF%", [] { return std::string("\r\n"); });
  Replace(result, "%date%", [&] { return FormatDate(clock()); });
  Replace(result, "%time%", [&] { return FormatTime(clock()); });
  Replace(result, "%datetime%", [&] { return FormatDate(clock()) + ", " + FormatTime(clock()); });
  return result;
}

std::string FormatFileVersion(unsigned major, unsigned minor, unsigned release, unsigned build) {
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(release) + "." +
         std::to_string(build);
}
