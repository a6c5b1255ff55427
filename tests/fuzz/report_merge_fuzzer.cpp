// The bug report file's merge and trimming over arbitrary old content: the
// first four bytes choose the settings, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "crash/report/ReportFileMerge.h"

namespace {

const std::string kReport =
    "date/time         : 2026-12-10, 19:05:07, 42ms\r\n"
    "executable        : Ravelin.exe\r\n"
    "version           : 1.0.0.1\r\n"
    "callstack crc     : $11111111, $22222222, $33333333\r\n"
    "exception class   : EAccessViolation\r\n"
    "exception message : Access violation.\r\n"
    "\r\n"
    "main thread ($1a4):\r\n"
    "00401000 Ravelin.exe Main 12 Foo";

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  TReportFileOptions options;
  options.AppendBugReps = (data[0] & 1) != 0;
  options.NoDupExcepts = (data[0] & 2) != 0;
  options.NoDupFreezes = (data[0] & 4) != 0;
  options.DupExceptDef = data[0] >> 4 & 3;
  options.BugRepFileSize = (data[1] | data[2] << 8) * 4;
  options.DupFreezeDef = data[3] & 3;
  const std::string old(reinterpret_cast<const char*>(data + 4), size - 4);

  const std::string merged = MergeReportIntoFile(old, kReport, options);
  // The new report closes the file, with at most a count line added.
  Check(merged.size() >= kReport.size() + 4);
  Check(merged.compare(merged.size() - 4, 4, "\r\n\r\n") == 0);
  const std::size_t start = merged.rfind(kReport.substr(0, 50));
  Check(start != std::string::npos);
  Check(merged.size() - start <= kReport.size() + 4 + 45);
  // Nothing is ever added but the report, its count and one line break.
  Check(merged.size() <= old.size() + kReport.size() + 4 + 45 + 2);
  // Without merging and trimming the old content stays whole.
  if (options.AppendBugReps && !options.NoDupExcepts && options.BugRepFileSize == 0)
    Check(merged.compare(0, old.size(), old) == 0);
  return 0;
}
