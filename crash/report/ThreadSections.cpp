#include "crash/report/ThreadSections.h"

#include "crash/report/ReportText.h"
#include "crash/report/ValueTexts.h"
#include "crash/stack/StackChecksum.h"

namespace {

const char kReporterThreadName[] = "-";

std::string IdText(std::uint32_t id) { return '$' + HexText(id, 1); }

}  // namespace

std::string ThreadDisplayName(const TThreadSnapshot& thread, bool listLocked) {
  const std::string id = IdText(thread.Id);
  if (!listLocked) return "thread " + id;
  if (!thread.RecordedName.empty()) return thread.RecordedName + " (" + id + ")";
  if (!thread.ClassName.empty()) return "thread " + id + " (" + thread.ClassName + ")";
  return "thread " + id;
}

std::string ThreadSectionName(const TThreadSnapshot& thread, bool listLocked) {
  std::string name = ThreadDisplayName(thread, listLocked);
  if (thread.SuspendCount > 0) name += " <suspended>";
  if (thread.Priority != 0) name += " <priority:" + std::to_string(thread.Priority) + ">";
  return name + ':';
}

std::vector<std::size_t> ThreadSectionOrder(const std::vector<TThreadSnapshot>& threads,
                                            const TThreadOrderInput& input) {
  std::vector<std::size_t> order;
  const auto listed = [&order](std::size_t i) {
    for (std::size_t o : order)
      if (o == i) return true;
    return false;
  };
  const auto addFirst = [&](bool (*pick)(const TThreadSnapshot&)) {
    for (std::size_t i = 0; i < threads.size(); ++i)
      if (pick(threads[i]) && !listed(i)) {
        order.push_back(i);
        return;
      }
  };
  if (!input.IsFreeze) addFirst([](const TThreadSnapshot& t) { return t.IsFailing; });
  addFirst([](const TThreadSnapshot& t) { return t.IsMain; });
  if (!input.ListThreads) return order;
  for (std::size_t i = 0; i < threads.size(); ++i) {
    if (listed(i)) continue;
    if (threads[i].RecordedName == kReporterThreadName && !input.IncludeReporterThreads) continue;
    order.push_back(i);
  }
  return order;
}

std::string ThreadStackContent(const std::string& stackText, const std::string& creatorDisplayName) {
  if (stackText.empty() || creatorDisplayName.empty()) return stackText;
  std::vector<std::string> lines = TextLines(stackText);
  lines.insert(lines.end() - 1, ">> created by " + creatorDisplayName + " at:");
  return JoinLines(lines);
}

std::string ThreadPlaceholder(const std::string& addressLine) {
  return addressLine + "\r\n>> stack will be calculated soon";
}

std::string StackNotAccessibleText(bool isFailing, const std::string& exceptionAddressLine) {
  if (!isFailing) return ">> stack not accessible";
  return ">> stack not accessible, exception location: \r\n" + exceptionAddressLine;
}

std::uint32_t FoldThirdChecksum(std::uint32_t failingChecksum2, const std::vector<TThreadChecksum>& remaining) {
  std::uint32_t checksum = failingChecksum2;
  for (const TThreadChecksum& thread : remaining)
    if (thread.HasLineInformation) checksum = Crc32UpdateValue(checksum, thread.Checksum2);
  return checksum;
}
