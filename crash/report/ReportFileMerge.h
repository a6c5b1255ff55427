#pragma once
// How a new report joins the bug report file's old content: a repeated
// exception replaces its earlier report and carries a count, the oldest
// reports are cut off when the file has grown too large, and every report
// ends with an empty line. Pure text work, over arbitrary old content.
#include <cstdint>
#include <optional>
#include <string>

struct TReportFileOptions {
  bool AppendBugReps = true;
  std::int32_t BugRepFileSize = 100000;  // 0: no limit
  bool NoDupExcepts = true;
  std::int32_t DupExceptDef = 1;  // 0: checksum 1 equal, 1: checksums 1 and 2, 2: all three
  bool NoDupFreezes = true;
  std::int32_t DupFreezeDef = 2;
};

// The value of a header field of a report text (the lines up to the first
// empty one); nullopt when the report has no such line.
std::optional<std::string> ReportHeaderValue(const std::string& report, const std::string& name);

// The part of "callstack crc" that makes two reports the same, or nullopt
// when this report is not merged.
std::optional<std::string> DuplicateKey(const std::string& report, const TReportFileOptions& options);

// The whole new file content.
std::string MergeReportIntoFile(const std::string& oldContent, const std::string& report,
                                const TReportFileOptions& options);
