#pragma once
// The printed report's pages: every line word-wrapped to the columns a
// printed line holds (a fixed-pitch font), an empty line kept as a blank
// one, and a new page begun when the next line does not fit. Pure; any
// thread.
#include <cstddef>
#include <string>
#include <vector>

using TPrintedPage = std::vector<std::string>;

// A line cut into pieces of at most columns characters, at the last blank
// that fits when there is one (the blank is dropped), else hard.
std::vector<std::string> WrapLine(const std::string& line, std::size_t columns);

// columns and linesPerPage are at least 1 (smaller values count as 1).
std::vector<TPrintedPage> PaginateText(const std::string& text, std::size_t columns, std::size_t linesPerPage);
