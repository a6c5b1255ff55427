#pragma once
// The small vocabularies of exception handling, shared by the interception
// points, the handling thread, the handlers and the report.
#include <cstdint>

// What a report is about.
enum TEventKind : std::uint8_t {
  ekException = 0,
  ekFrozenMainThread = 1,
  // Raised anywhere, told only to hidden-exception handlers, never shown.
  ekHiddenException = 2,
};

// The interception point that reported.
enum TCatchPoint : std::uint8_t {
  cpNone = 0,
  cpFreezeWatch = 1,
  cpTerminate = 2,
  cpUnitShowException = 3,
  cpApplicationShowException = 4,
  cpApplicationHandleException = 5,
  cpCgiApplication = 6,
  cpIsapiHandler = 7,
  cpIsapiEntry = 8,
  cpSynchronize = 10,
  cpRuntimeError = 11,
  cpPackageInit = 12,
  cpLastChance = 13,
  cpSystemException = 14,
  cpHiddenException = 15,
  cpThreadProcedure = 16,
  cpThreadExecute = 17,
};

enum TExceptPhase : std::uint8_t {
  epNotHandledYet = 0,
  epQuickFiltering = 1,
  epMainPhase = 2,
  epPostProcessing = 3,
  epCompleteReport = 4,
};

// Where a handler runs.
enum TSyncType : std::uint8_t {
  stDontSync,               // on the handling thread
  stTrySyncCallOnSuccess,   // on the main thread; skipped when it does not answer
  stTrySyncCallAlways,      // on the main thread, else on the handling thread
};

enum TExceptAction : std::uint8_t {
  eaSendBugReport = 0,
  eaSaveBugReport = 1,
  eaPrintBugReport = 2,
  eaSendBugReport2 = 3,
  eaSaveBugReport2 = 4,
  eaPrintBugReport2 = 5,
  eaShowBugReport = 6,
  eaHelp = 7,
  eaContinueApplication = 8,
  eaRestartApplication = 9,
  eaCloseApplication = 10,
};
