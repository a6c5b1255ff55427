#pragma once
// Fills a report header's snapshot from the running system: the machine, the
// program and what the caller knows of the exception. Every value is queried
// on its own: a query that fails or raises leaves its value empty and the
// others stand. Any thread; it creates no window and waits for nothing.
#include <windows.h>

#include "crash/report/HeaderSnapshot.h"

struct THeaderCollectorInput {
  // The reporter's start, from the performance counter (see ReporterStartCounter).
  LONGLONG StartCounter = 0;
  bool IsFreeze = false;
  bool HasExceptionObject = true;
  std::string ExceptionClass;
  std::string ExceptionMessage;
  std::string FrozenMsg;
  std::string VersionVarText;
  std::vector<std::pair<std::string, std::string>> PluginFields;
};

// The performance counter now: taken when the reporter starts.
LONGLONG ReporterStartCounter();

THeaderSnapshot CollectHeaderSnapshot(const THeaderCollectorInput& input);
