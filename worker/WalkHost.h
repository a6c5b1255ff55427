#pragma once
// What the walk needs of whoever runs it: the terminate request and the two
// synchronous hand-overs of its texts (the window's log and status bar, or
// the console's streams).
#include "platform/WideString.h"

class IWalkHost {
 public:
  virtual ~IWalkHost() = default;
  // Looked at only when a directory is about to be walked.
  virtual bool TerminateRequested() = 0;
  // Each returns once the line is shown; an exception raised while showing it
  // comes back here and ends the walk.
  virtual void AddLogLine(const WideString& line) = 0;
  virtual void ShowStatusLine(const WideString& line) = 0;
};
