#include "crash/report/SectionPlan.h"

#include "crash/TextItems.h"

const char kSectionPlaceholder[] = ">> will be calculated soon";

std::vector<std::string> SectionsAfterThreads(const TSectionPlanInput& input) {
  std::vector<std::string> names;
  for (const std::string& plugin : input.Plugins) {
    bool registered = false, listed = false;
    for (const std::string& section : input.SectionPlugins) registered = registered || SameNameNoCase(plugin, section);
    for (const std::string& name : names) listed = listed || SameNameNoCase(plugin, name);
    // A plug-in named twice would only replace its own section.
    if (registered && !listed) names.push_back(plugin);
  }
  if (input.CpuRegs && input.HasContext) names.push_back("cpu registers");
  if (input.StackDump && input.HasContext) names.push_back("stack dump");
  if (input.ShowDisAsm && input.HasDisassembler) names.push_back("disassembling");
  return names;
}

const char* ReportStepName(TReportStep step) {
  switch (step) {
    case TReportStep::ThreadReport: return "GetThreadReport";
    case TReportStep::CpuRegisters: return "GetCpuRegisters";
    case TReportStep::StackDump: return "GetStackDump";
    case TReportStep::CleartextDisAsm: return "GetCleartextDisAsm";
    case TReportStep::Plugin: return "plugin";
  }
  return "";
}

std::string InternalErrorText(TReportStep step, const std::string& addressLine) {
  std::string text = std::string(">> internal error in ") + ReportStepName(step);
  if (!addressLine.empty()) text += ":\r\n" + addressLine;
  return text;
}
