#include "crash/report/ReportText.h"

#include <algorithm>

#include "crash/MEFields.h"

namespace {

const char kLineBreak[] = "\r\n";

bool IsControl(char c) { return static_cast<unsigned char>(c) < 32; }

// Line breaks become blanks and runs of blanks one blank, so that a value
// never breaks the one-line-per-field layout.
std::string OneLine(const std::string& value) {
  std::string text;
  for (char c : value) {
    const char shown = c == '\r' || c == '\n' ? ' ' : c;
    if (shown == ' ' && !text.empty() && text.back() == ' ') continue;
    text += shown;
  }
  return text;
}

}  // namespace

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += kLineBreak;
    text += lines[i];
  }
  return text;
}

std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

std::string HeaderLine(const std::string& name, const std::string& value, std::size_t nameWidth) {
  std::string line = name;
  if (line.size() < nameWidth) line.append(nameWidth - line.size(), ' ');
  return line + ": " + OneLine(value);
}

std::vector<std::string> SectionLines(const std::string& content) {
  std::vector<std::string> lines = TextLines(content);
  for (std::string& line : lines) {
    while (!line.empty() && IsControl(line.back())) line.pop_back();
    if (line.empty()) line = ".";
  }
  return lines;
}

std::string AssembleReportText(const IMEFields& header, const IMEFields& sections) {
  const auto headerItems = header.Items();
  std::size_t longest = 0;
  for (const auto& item : headerItems) longest = std::max(longest, item.first.size());
  std::string text;
  for (const auto& [name, value] : headerItems) {
    if (!text.empty()) text += kLineBreak;
    text += HeaderLine(name, value, longest + 1);
  }
  for (const auto& [name, content] : sections.Items()) {
    text += kLineBreak;
    text += kLineBreak;
    text += name.find(':') == std::string::npos ? name + ':' : name;
    for (const std::string& line : SectionLines(content)) {
      text += kLineBreak;
      text += line;
    }
  }
  return text;
}
