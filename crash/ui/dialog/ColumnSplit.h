#pragma once
// Splitting a report section's aligned text into columns: a column starts
// where every line has a run of at least minGap blanks (or has ended) just
// before it. Lines beginning with ">" are notes that span the row and take
// no part. Pure; any thread.
#include <cstddef>
#include <string>
#include <vector>

// The lines of a text, split at CR LF (or a lone LF).
std::vector<std::string> SplitLines(const std::string& text);

// The start of every column, the first always 0; at most maxColumns (the
// last column then takes the rest of the line). Empty when there are no
// lines to split.
std::vector<std::size_t> ColumnStarts(const std::vector<std::string>& lines, std::size_t minGap,
                                      std::size_t maxColumns);

// The cells of one line at the given column starts, blanks trimmed.
std::vector<std::string> CellsOf(const std::string& line, const std::vector<std::size_t>& starts);

// True for a line that spans the row (a note such as ">> created by").
bool IsNoteLine(const std::string& line);
