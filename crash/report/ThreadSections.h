#pragma once
// The thread sections of a report: which threads get one and in what order,
// their names and their contents, and the third call-stack checksum folded
// from the other threads' traces.
#include <cstdint>
#include <string>
#include <vector>

// One thread of the process as the collector saw it.
struct TThreadSnapshot {
  std::uint32_t Id = 0;
  // As recorded by the thread-information list: "main thread" for the main
  // thread, "-" for the reporter's own threads, empty when unnamed.
  std::string RecordedName;
  // The framework thread class it was created through, empty otherwise.
  std::string ClassName;
  int SuspendCount = 0;
  int Priority = 0;
  bool IsMain = false;
  bool IsFailing = false;
};

// False when the thread-information list could not be locked in time: then
// only ids are known.
std::string ThreadDisplayName(const TThreadSnapshot& thread, bool listLocked);
// "main thread ($1a4) <suspended> <priority:2>:"
std::string ThreadSectionName(const TThreadSnapshot& thread, bool listLocked);

struct TThreadOrderInput {
  bool IsFreeze = false;
  bool ListThreads = true;
  // While an external trace request is served the reporter's own threads
  // are listed too.
  bool IncludeReporterThreads = false;
};
// Indexes into threads (the system's order) of the threads that get a
// section, in section order.
std::vector<std::size_t> ThreadSectionOrder(const std::vector<TThreadSnapshot>& threads,
                                            const TThreadOrderInput& input);

// The section content from the tracer's lines (CR LF joined): with a known
// creator, ">> created by NAME at:" goes before the last line, the creation
// address.
std::string ThreadStackContent(const std::string& stackText, const std::string& creatorDisplayName);
// Until the stack is traced: the current (or exception) address line.
std::string ThreadPlaceholder(const std::string& addressLine);
// The thread's context could not be read; the failing thread also tells
// where the exception happened.
std::string StackNotAccessibleText(bool isFailing, const std::string& exceptionAddressLine);

// What the completion learnt from one of the remaining threads' traces.
struct TThreadChecksum {
  bool HasLineInformation = false;
  std::uint32_t Checksum2 = 0;
};
// Checksum 3: the failing thread's second checksum, then each remaining
// thread with line information folds its second checksum in, in section order.
std::uint32_t FoldThirdChecksum(std::uint32_t failingChecksum2, const std::vector<TThreadChecksum>& remaining);
