#include "crash/report/ReportFileMerge.h"

#include <algorithm>
#include <vector>

#include "crash/TextItems.h"

namespace {

const std::string kReportStart = "date/time";
const std::string kCallstackCrc = "callstack crc";
const std::string kCount = "count";
const char kLineBreak[] = "\r\n";
constexpr std::size_t kCallstackCrcLength = 31;

struct TRange {
  std::size_t Start = 0, End = 0;
};

std::size_t LineStart(const std::string& text, std::size_t position) {
  const std::size_t previous = position == 0 ? std::string::npos : text.rfind('\n', position - 1);
  return previous == std::string::npos ? 0 : previous + 1;
}

std::size_t LineEnd(const std::string& text, std::size_t position) {
  const std::size_t end = text.find('\n', position);
  return end == std::string::npos ? text.size() : end;
}

// The line without its line break characters.
std::string LineAt(const std::string& text, std::size_t start) {
  std::string line = text.substr(start, LineEnd(text, start) - start);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The field name of a header line ("name   : value"), nullopt for other lines.
std::optional<std::string> LineName(const std::string& line) {
  const std::size_t colon = line.find(": ");
  if (colon == std::string::npos) return std::nullopt;
  std::size_t end = colon;
  while (end > 0 && line[end - 1] == ' ') --end;
  return line.substr(0, end);
}

// Where the header line of name starts, npos when absent.
std::size_t HeaderLineStart(const std::string& report, const std::string& name) {
  std::size_t start = 0;
  while (start < report.size()) {
    const std::string line = LineAt(report, start);
    if (line.empty()) break;
    const std::optional<std::string> lineName = LineName(line);
    if (lineName && SameNameNoCase(*lineName, name)) return start;
    const std::size_t end = LineEnd(report, start);
    if (end == report.size()) break;
    start = end + 1;
  }
  return std::string::npos;
}

// Every position where a line beginning with "date/time" starts.
std::vector<std::size_t> ReportStarts(const std::string& content) {
  std::vector<std::size_t> starts;
  std::size_t p = 0;
  while (p < content.size()) {
    if (content.compare(p, kReportStart.size(), kReportStart) == 0) starts.push_back(p);
    const std::size_t end = content.find('\n', p);
    if (end == std::string::npos) break;
    p = end + 1;
  }
  return starts;
}

std::string ValueOr(const std::string& report, const std::string& name) {
  return ReportHeaderValue(report, name).value_or(std::string());
}

bool SameProgram(const std::string& oldReport, const std::string& report) {
  for (const char* name : {"executable", "current module", "exception class", "version"})
    if (ValueOr(oldReport, name) != ValueOr(report, name)) return false;
  if (!ValueOr(oldReport, "version").empty()) return true;
  // Without a version the build is told apart by its file time.
  for (const char* name : {"exec. date/time", "module date/time"})
    if (ValueOr(oldReport, name) != ValueOr(report, name)) return false;
  return true;
}

// The latest old report that repeats this one, searched from the end.
std::optional<TRange> FindRepeatedReport(const std::string& content, const std::vector<std::size_t>& starts,
                                         const std::string& report, const std::string& key) {
  const std::string needle = ": " + key;
  std::size_t from = content.size();
  while (from > 0) {
    const std::size_t hit = content.rfind(needle, from - 1);
    if (hit == std::string::npos) return std::nullopt;
    from = hit;
    const auto after = std::upper_bound(starts.begin(), starts.end(), hit);
    const std::size_t index = static_cast<std::size_t>(after - starts.begin());
    if (index == 0) continue;  // before the first report: no report of ours
    const TRange range{starts[index - 1], index < starts.size() ? starts[index] : content.size()};
    // Only the checksum line names a report; the same digits elsewhere do not.
    const std::optional<std::string> name = LineName(LineAt(content, LineStart(content, hit)));
    if (!name || !SameNameNoCase(*name, kCallstackCrc)) continue;
    if (SameProgram(content.substr(range.Start, range.End - range.Start), report)) return range;
  }
  return std::nullopt;
}

std::uint64_t CountOf(const std::string& oldReport) {
  const std::string text = ValueOr(oldReport, kCount);
  std::uint64_t count = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || count > (UINT64_MAX - 9) / 10) return 1;
    count = count * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return text.empty() || count == 0 ? 1 : count;
}

// The count line goes right after "callstack crc", its ":" in that line's column.
std::string WithCount(const std::string& report, std::uint64_t count) {
  const std::size_t crcStart = HeaderLineStart(report, kCallstackCrc);
  if (crcStart == std::string::npos) return report;
  const std::string crcLine = LineAt(report, crcStart);
  std::string name = kCount;
  const std::size_t column = crcLine.find(": ");
  if (name.size() < column) name.append(column - name.size(), ' ');
  const std::string countLine = name + ": " + std::to_string(count);
  const std::size_t existing = HeaderLineStart(report, kCount);
  if (existing != std::string::npos) {
    std::string merged = report;
    return merged.replace(existing, LineAt(report, existing).size(), countLine);
  }
  std::string merged = report;
  return merged.insert(crcStart + crcLine.size(), kLineBreak + countLine);
}

// Where the kept part of an oversized file begins: the first report start
// after which less than three quarters of the limit remains.
std::size_t TrimStart(const std::string& content, const std::vector<std::size_t>& starts,
                      const TReportFileOptions& options) {
  if (options.BugRepFileSize <= 0) return 0;
  const std::uint64_t limit = static_cast<std::uint64_t>(options.BugRepFileSize);
  if (content.size() <= limit) return 0;
  const std::uint64_t keep = limit * 3 / 4;
  for (std::size_t start : starts)
    if (start > 0 && content.size() - start < keep) return start;
  return 0;
}

}  // namespace

std::optional<std::string> ReportHeaderValue(const std::string& report, const std::string& name) {
  const std::size_t start = HeaderLineStart(report, name);
  if (start == std::string::npos) return std::nullopt;
  const std::string line = LineAt(report, start);
  return line.substr(line.find(": ") + 2);
}

std::optional<std::string> DuplicateKey(const std::string& report, const TReportFileOptions& options) {
  const std::optional<std::string> crc = ReportHeaderValue(report, kCallstackCrc);
  if (!crc || crc->size() != kCallstackCrcLength) return std::nullopt;
  const bool isException = ReportHeaderValue(report, "exception class").has_value();
  if (!(isException ? options.NoDupExcepts : options.NoDupFreezes)) return std::nullopt;
  const std::int32_t definition = isException ? options.DupExceptDef : options.DupFreezeDef;
  // An unknown definition takes the strictest: all three checksums.
  const std::size_t length = definition == 0 ? 9 : definition == 1 ? 20 : kCallstackCrcLength;
  return crc->substr(0, length);
}

std::string MergeReportIntoFile(const std::string& oldContent, const std::string& report,
                                const TReportFileOptions& options) {
  const std::string ending = std::string(kLineBreak) + kLineBreak;
  if (!options.AppendBugReps || oldContent.empty()) return report + ending;
  const std::vector<std::size_t> starts = ReportStarts(oldContent);
  std::string newReport = report;
  TRange removed{oldContent.size(), oldContent.size()};
  if (const std::optional<std::string> key = DuplicateKey(report, options)) {
    if (const std::optional<TRange> repeated = FindRepeatedReport(oldContent, starts, report, *key)) {
      removed = *repeated;
      newReport = WithCount(report, CountOf(oldContent.substr(removed.Start, removed.End - removed.Start)) + 1);
    }
  }
  const std::size_t cut = TrimStart(oldContent, starts, options);
  std::string kept;
  if (removed.End <= cut) {
    kept = oldContent.substr(cut);
  } else if (removed.Start <= cut) {
    kept = oldContent.substr(removed.End);
  } else {
    kept = oldContent.substr(cut, removed.Start - cut) + oldContent.substr(removed.End);
  }
  // Old content that does not end a line would hide the new report's first line.
  if (!kept.empty() && kept.back() != '\n') kept += kLineBreak;
  return kept + newReport + ending;
}
