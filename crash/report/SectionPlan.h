#pragma once
// Which sections a report has after its thread sections, their placeholders
// and the text a failing step leaves in its section.
#include <string>
#include <vector>

extern const char kSectionPlaceholder[];  // ">> will be calculated soon"

struct TSectionPlanInput {
  // The plug-in names of the settings, in order; those registered as
  // sections get one.
  std::vector<std::string> Plugins;
  std::vector<std::string> SectionPlugins = {"modules", "processes", "hardware"};
  bool CpuRegs = true;
  bool StackDump = true;
  bool ShowDisAsm = true;
  bool HasContext = false;
  bool HasDisassembler = false;
};

// The names of the sections that follow the threads, in report order.
std::vector<std::string> SectionsAfterThreads(const TSectionPlanInput& input);

enum class TReportStep { ThreadReport, CpuRegisters, StackDump, CleartextDisAsm, Plugin };
const char* ReportStepName(TReportStep step);
// ">> internal error in STEP", with ":" and the address line of the failure
// when it is known.
std::string InternalErrorText(TReportStep step, const std::string& addressLine = std::string());
