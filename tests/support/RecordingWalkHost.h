#pragma once
// A walk host for tests: records every hand-over as "status: ..." or
// "log: ..." (UTF-8, so failures read plainly) and can be told to terminate
// or to raise while showing a line.
#include <functional>
#include <string>
#include <vector>

#include "platform/EscapedUtf8.h"
#include "worker/WalkHost.h"

class TRecordingWalkHost : public IWalkHost {
 public:
  bool terminate = false;
  std::vector<std::string> events;
  // Called with each event after it is recorded; may throw or set terminate.
  std::function<void(const std::string&)> onEvent;

  bool TerminateRequested() override { return terminate; }
  void AddLogLine(const WideString& line) override { Record("log: " + EncodeEscapedUtf8(line)); }
  void ShowStatusLine(const WideString& line) override {
    Record("status: " + EncodeEscapedUtf8(line));
  }

  std::vector<std::string> Logs() const { return Only("log: "); }

 private:
  void Record(const std::string& event) {
    events.push_back(event);
    if (onEvent) onEvent(event);
  }
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> result;
    for (const std::string& event : events)
      if (event.compare(0, prefix.size(), prefix) == 0) result.push_back(event.substr(prefix.size()));
    return result;
  }
};
