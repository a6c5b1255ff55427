#pragma once
// The details view of the exception dialog: which tabs a report gives
// ("general", "call stack(s)", one per further section) and what each tab
// shows: a list with columns when its content has a known or an aligned
// structure, else the text itself. Pure; any thread.
#include <string>
#include <utility>
#include <vector>

using TReportItems = std::vector<std::pair<std::string, std::string>>;

enum class TDetailKind { Header, CallStacks, Section };

struct TDetailTab {
  std::string Title;
  TDetailKind Kind = TDetailKind::Section;
  std::string SectionName;  // for TDetailKind::Section
  bool operator==(const TDetailTab& other) const {
    return Title == other.Title && Kind == other.Kind && SectionName == other.SectionName;
  }
};

// A thread's section carries its id ("main thread ($1a4):").
bool IsThreadSection(const std::string& name);

std::vector<TDetailTab> DetailTabs(const TReportItems& sections);

// What one tab shows. Rows of a single cell are notes spanning the row.
struct TDetailTable {
  std::vector<std::string> Columns;  // empty: show Text instead
  std::vector<std::vector<std::string>> Rows;
  std::string Text;
};

TDetailTable DetailTableOf(const TDetailTab& tab, const TReportItems& header, const TReportItems& sections);

// The column names of a section with a known structure; empty when unknown.
// columns: how many columns its content split into (processes list a
// session column only sometimes).
std::vector<std::string> KnownColumns(const std::string& sectionName, std::size_t columns);
