#pragma once
// The report text from its two lists: the header lines, then each section.
// Lines end with CR LF; the last line has no line break.
#include <string>
#include <vector>

class IMEFields;

std::string AssembleReportText(const IMEFields& header, const IMEFields& sections);

// One header line: the name padded to nameWidth, ": ", the value on one line.
std::string HeaderLine(const std::string& name, const std::string& value, std::size_t nameWidth);
// A section's content as report lines: trailing control characters removed,
// an empty line written as ".".
std::vector<std::string> SectionLines(const std::string& content);
// Lines joined by CR LF, without a final line break.
std::string JoinLines(const std::vector<std::string>& lines);
// The text split at LF, each piece without its trailing CR.
std::vector<std::string> TextLines(const std::string& text);
