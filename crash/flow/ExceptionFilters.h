#pragma once
// The filters of the settings: filter 1 and filter 2 apply to exceptions of
// the classes they list, the general filter to every other one. The chosen
// filter decides what the handling of one exception does.
#include <cstdint>
#include <string>
#include <vector>

class TIMESettings;

struct TFilterDecisions {
  std::string Prefix;  // "F1", "F2" or "Gn"
  bool CreateReport = true;
  bool TakeScreenshot = false;
  bool PauseThreads = false;
  bool CallHandlers = true;
  std::int32_t Presentation = 0;  // 4 shows nothing
  std::string AssistantName;
};

// Whether a comma-separated class list (blanks around items ignored, names
// compared exactly) names one of the classes of chain.
bool ClassListMatches(const std::string& classList, const std::vector<std::string>& chain);

// The first of F1 and F2 whose list matches the chain, else Gn.
std::string ChooseFilter(TIMESettings& settings, const std::vector<std::string>& chain);

// The chosen filter's decisions with the settings it reads.
TFilterDecisions EvaluateFilters(TIMESettings& settings, const std::vector<std::string>& chain);
