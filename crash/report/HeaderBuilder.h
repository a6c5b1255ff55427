#pragma once
// The header of a bug report: every field in its order from a snapshot, the
// exception counter, the call-stack checksums once known and the map
// fingerprints of the modules met.
#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "crash/report/HeaderSnapshot.h"

class IMEFields;

// Counts the exceptions handled in this process, from 1. Any thread.
class TExceptionCounter {
 public:
  std::uint64_t Next() { return ++FCount; }

 private:
  std::atomic<std::uint64_t> FCount{0};
};

extern const char kCallstackCrcField[];
extern const char kCallstackCrcPending[];

// Every header field in order as (name, value), the empty ones included.
std::vector<std::pair<std::string, std::string>> CollectHeaderFields(const THeaderSnapshot& snapshot,
                                                                     std::uint64_t exceptionNumber);

// Fills the header list from the snapshot, taking the next exception number,
// and sets its insertion index so that fields added later (assistant data,
// extra fields, the ".ost" fields) land directly before "callstack crc".
void BuildHeader(IMEFields& header, const THeaderSnapshot& snapshot, TExceptionCounter& counter);

// "callstack crc" becomes the three checksums.
void SetCallstackChecksums(IMEFields& header, std::uint32_t checksum1, std::uint32_t checksum2,
                           std::uint32_t checksum3);
// One field per "module|fingerprint" entry of a trace: "<module>.ost".
void AddFingerprintFields(IMEFields& header, const std::vector<std::string>& fingerprints);
