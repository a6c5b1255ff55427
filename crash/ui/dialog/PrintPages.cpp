#include "crash/ui/dialog/PrintPages.h"

#include <algorithm>

#include "crash/ui/dialog/ColumnSplit.h"

std::vector<std::string> WrapLine(const std::string& line, std::size_t columns) {
  columns = std::max<std::size_t>(columns, 1);
  std::vector<std::string> pieces;
  std::string rest = line;
  while (rest.size() > columns) {
    std::size_t cut = rest.rfind(' ', columns);
    std::size_t next = cut + 1;
    if (cut == std::string::npos || cut == 0) {
      cut = columns;
      next = columns;
    }
    pieces.push_back(rest.substr(0, cut));
    rest.erase(0, next);
  }
  pieces.push_back(rest);
  return pieces;
}

std::vector<TPrintedPage> PaginateText(const std::string& text, std::size_t columns, std::size_t linesPerPage) {
  linesPerPage = std::max<std::size_t>(linesPerPage, 1);
  std::vector<TPrintedPage> pages;
  TPrintedPage page;
  for (const std::string& line : SplitLines(text)) {
    for (std::string& piece : WrapLine(line, columns)) {
      if (page.size() == linesPerPage) {
        pages.push_back(std::move(page));
        page.clear();
      }
      page.push_back(std::move(piece));
    }
  }
  if (!page.empty()) pages.push_back(std::move(page));
  return pages;
}
