#include "crash/TextItems.h"

#include <cctype>

std::vector<std::string> SplitText(const std::string& text, char separator) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    items.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return items;
    start = end + 1;
  }
}

std::string JoinText(const std::vector<std::string>& items, char separator) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += separator;
    text += items[i];
  }
  return text;
}

bool SameNameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}
