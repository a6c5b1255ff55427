#include "crash/ui/dialog/ColumnSplit.h"

#include <algorithm>

namespace {

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  if (!lines.empty() && lines.back().empty() && (text.empty() || text.back() == '\n')) lines.pop_back();
  return lines;
}

bool IsNoteLine(const std::string& line) { return !line.empty() && line[0] == '>'; }

std::vector<std::size_t> ColumnStarts(const std::vector<std::string>& lines, std::size_t minGap,
                                      std::size_t maxColumns) {
  std::size_t width = 0, used = 0;
  for (const std::string& line : lines) {
    if (IsNoteLine(line) || line.empty()) continue;
    width = std::max(width, line.size());
    ++used;
  }
  if (used == 0) return {};
  // blank[c]: every counted line has a blank at c, or has ended before it.
  std::vector<bool> blank(width + 1, true);
  for (const std::string& line : lines) {
    if (IsNoteLine(line) || line.empty()) continue;
    for (std::size_t c = 0; c < line.size(); ++c)
      if (line[c] != ' ') blank[c] = false;
  }
  std::vector<std::size_t> starts{0};
  std::size_t run = 0;
  for (std::size_t c = 0; c < width && starts.size() < maxColumns; ++c) {
    if (blank[c]) {
      ++run;
      continue;
    }
    if (run >= minGap && c > run) starts.push_back(c);
    run = 0;
  }
  return starts;
}

std::vector<std::string> CellsOf(const std::string& line, const std::vector<std::size_t>& starts) {
  std::vector<std::string> cells;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t begin = starts[i];
    const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : std::string::npos;
    cells.push_back(begin < line.size() ? Trim(line.substr(begin, end == std::string::npos ? end : end - begin))
                                        : std::string());
  }
  return cells;
}
