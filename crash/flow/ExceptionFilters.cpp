#include "crash/flow/ExceptionFilters.h"

#include <algorithm>

#include "crash/TIMESettings.h"

namespace {

std::string TrimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool ClassListMatches(const std::string& classList, const std::vector<std::string>& chain) {
  size_t start = 0;
  while (start <= classList.size()) {
    size_t end = classList.find(',', start);
    if (end == std::string::npos) end = classList.size();
    const std::string item = TrimBlanks(classList.substr(start, end - start));
    if (!item.empty() && std::find(chain.begin(), chain.end(), item) != chain.end()) return true;
    start = end + 1;
  }
  return false;
}

std::string ChooseFilter(TIMESettings& settings, const std::vector<std::string>& chain) {
  for (const char* prefix : {"F1", "F2"})
    if (ClassListMatches(settings.ReadText(std::string(prefix) + "Classes"), chain)) return prefix;
  return "Gn";
}

TFilterDecisions EvaluateFilters(TIMESettings& settings, const std::vector<std::string>& chain) {
  TFilterDecisions decisions;
  decisions.Prefix = ChooseFilter(settings, chain);
  const std::string& p = decisions.Prefix;
  decisions.CreateReport = !settings.ReadBool(p + "NoBugRep");
  decisions.TakeScreenshot = !settings.ReadBool(p + "NoScrShot") && settings.ReadInt("ScrShotDepth") > 0;
  decisions.PauseThreads = settings.ReadBool("PauseThreads") && !settings.ReadBool(p + "NoSuspend");
  decisions.CallHandlers = !settings.ReadBool(p + "NoHandlers");
  decisions.Presentation = settings.ReadInt(p + "ShowCfg");
  decisions.AssistantName = settings.ReadText(p + "Assis");
  return decisions;
}
