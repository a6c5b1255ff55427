#include "crash/ui/dialog/DetailTabs.h"

#include "crash/ui/dialog/ColumnSplit.h"

namespace {

const char kPlaceholderStart[] = ">> will be";

const std::vector<std::string> kThreadColumns = {"address", "rel.", "module", "unit", "line", "rel.", "function"};

struct TKnownLayout {
  const char* Name;
  std::vector<std::string> Columns;
  std::size_t MinGap;
};

const std::vector<TKnownLayout>& KnownLayouts() {
  static const std::vector<TKnownLayout> layouts = {
      {"stack dump", {"address", "data - hexadecimal", "data - chars"}, 2},
      {"modules", {"handle", "file name", "version", "path"}, 1},
      {"processes", {"id", "file name", "session", "priority", "path"}, 1},
      {"disassembling", {"line", "address", "asm code", "comments"}, 1},
  };
  return layouts;
}

const TKnownLayout* LayoutOf(const std::string& name) {
  for (const TKnownLayout& layout : KnownLayouts())
    if (name == layout.Name) return &layout;
  return nullptr;
}

std::string TabTitle(const std::string& sectionName) {
  if (sectionName == "cpu registers") return "cpu regs";
  if (sectionName == "disassembling") return "disasm";
  return sectionName;
}

// Adds the lines of a text as rows at the given column starts; notes and
// empty lines become rows of one cell.
void AddRows(TDetailTable& table, const std::vector<std::string>& lines, const std::vector<std::size_t>& starts) {
  for (const std::string& line : lines) {
    if (IsNoteLine(line) || line.empty())
      table.Rows.push_back({line});
    else
      table.Rows.push_back(CellsOf(line, starts));
  }
}

TDetailTable AsText(const std::string& content) {
  TDetailTable table;
  table.Text = content;
  return table;
}

TDetailTable RegistersTable(const std::string& content) {
  TDetailTable table;
  table.Columns = {"reg.", "content"};
  for (const std::string& line : SplitLines(content)) {
    const std::size_t equals = line.find(" = ");
    if (equals == std::string::npos) return AsText(content);
    table.Rows.push_back({line.substr(0, equals), line.substr(equals + 3)});
  }
  return table;
}

TDetailTable SectionTable(const std::string& name, const std::string& content) {
  if (content.rfind(kPlaceholderStart, 0) == 0) return AsText(content);
  if (name == "cpu registers") return RegistersTable(content);
  const std::vector<std::string> lines = SplitLines(content);
  const TKnownLayout* layout = LayoutOf(name);
  std::vector<std::size_t> starts;
  if (layout != nullptr) {
    starts = ColumnStarts(lines, layout->MinGap, layout->Columns.size());
  } else {
    std::size_t counted = 0;
    for (const std::string& line : lines) counted += IsNoteLine(line) || line.empty() ? 0 : 1;
    // One line says nothing about alignment.
    if (counted >= 2) starts = ColumnStarts(lines, 2, 16);
  }
  if (starts.size() < 2) return AsText(content);
  TDetailTable table;
  table.Columns = KnownColumns(name, starts.size());
  if (table.Columns.empty()) table.Columns.assign(starts.size(), std::string());
  AddRows(table, lines, starts);
  return table;
}

TDetailTable CallStacksTable(const TReportItems& sections) {
  TDetailTable table;
  table.Columns = kThreadColumns;
  bool first = true;
  for (const auto& [name, content] : sections) {
    if (!IsThreadSection(name)) continue;
    if (!first) table.Rows.push_back({std::string()});
    first = false;
    table.Rows.push_back({">> " + name});
    const std::vector<std::string> lines = SplitLines(content);
    AddRows(table, lines, ColumnStarts(lines, 1, kThreadColumns.size()));
  }
  return table;
}

}  // namespace

bool IsThreadSection(const std::string& name) { return name.find('$') != std::string::npos; }

std::vector<TDetailTab> DetailTabs(const TReportItems& sections) {
  std::vector<TDetailTab> tabs = {{"general", TDetailKind::Header, ""}};
  bool stacks = false;
  for (const auto& item : sections) stacks = stacks || IsThreadSection(item.first);
  if (stacks) {
    const bool several = sections.size() > 1 && IsThreadSection(sections[1].first);
    tabs.push_back({several ? "call stacks" : "call stack", TDetailKind::CallStacks, ""});
  }
  for (const auto& item : sections)
    if (!IsThreadSection(item.first)) tabs.push_back({TabTitle(item.first), TDetailKind::Section, item.first});
  return tabs;
}

std::vector<std::string> KnownColumns(const std::string& sectionName, std::size_t columns) {
  if (IsThreadSection(sectionName)) return std::vector<std::string>(kThreadColumns.begin(), kThreadColumns.end());
  if (sectionName == "processes" && columns == 4) return {"id", "file name", "priority", "path"};
  const TKnownLayout* layout = LayoutOf(sectionName);
  return layout != nullptr ? layout->Columns : std::vector<std::string>();
}

TDetailTable DetailTableOf(const TDetailTab& tab, const TReportItems& header, const TReportItems& sections) {
  if (tab.Kind == TDetailKind::Header) {
    TDetailTable table;
    table.Columns = {"description", "value"};
    for (const auto& [name, value] : header) table.Rows.push_back({name, value});
    return table;
  }
  if (tab.Kind == TDetailKind::CallStacks) return CallStacksTable(sections);
  for (const auto& [name, content] : sections)
    if (name == tab.SectionName) return SectionTable(name, content);
  return AsText(std::string());
}
