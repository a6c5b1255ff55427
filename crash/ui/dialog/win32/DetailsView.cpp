#include "crash/ui/dialog/win32/DetailsView.h"

#include <commctrl.h>

#include <algorithm>

#include "crash/ui/dialog/win32/IdeJump.h"

namespace {

constexpr int kColumnPadding = 16;

int TextWidth(HWND window, const std::string& text) {
  return static_cast<int>(SendMessageA(window, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

std::string JoinCells(const std::vector<std::string>& cells) {
  std::string line;
  for (const std::string& cell : cells) {
    if (cell.empty()) continue;
    if (!line.empty()) line += ' ';
    line += cell;
  }
  return line;
}

}  // namespace

TDetailsView::TDetailsView(HWND parent, HFONT textFont, HFONT reportFont) : FDialog(parent) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  FTabs = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 10, 10,
                          parent, nullptr, instance, nullptr);
  FList = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                          WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 0,
                          0, 10, 10, parent, nullptr, instance, nullptr);
  FText = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                          WS_CHILD | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                              ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                          0, 0, 10, 10, parent, nullptr, instance, nullptr);
  SendMessageA(FTabs, WM_SETFONT, reinterpret_cast<WPARAM>(textFont), FALSE);
  SendMessageA(FList, WM_SETFONT, reinterpret_cast<WPARAM>(reportFont), FALSE);
  SendMessageA(FText, WM_SETFONT, reinterpret_cast<WPARAM>(reportFont), FALSE);
  SendMessageA(FList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  SetWindowPos(FList, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(FText, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TDetailsView::SetBeforeJump(void (*beforeJump)(HWND), HWND dialog) {
  FBeforeJump = beforeJump;
  FDialog = dialog;
}

void TDetailsView::SetBounds(const RECT& bounds) {
  MoveWindow(FTabs, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, TRUE);
  RECT inner = bounds;
  TabCtrl_AdjustRect(FTabs, FALSE, &inner);
  for (HWND child : {FList, FText})
    MoveWindow(child, inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top, TRUE);
}

int TDetailsView::CurrentTab() const { return TabCtrl_GetCurSel(FTabs); }

void TDetailsView::SelectTab(int index) {
  TabCtrl_SetCurSel(FTabs, index);
  FShownValid = false;
  ShowCurrent();
}

void TDetailsView::Refresh(const TReportItems& header, const TReportItems& sections) {
  FHeader = header;
  FSections = sections;
  const std::vector<TDetailTab> tabs = DetailTabs(sections);
  if (tabs != FTabList) {
    // Keep the tab the user looks at when it is still there.
    const int current = CurrentTab();
    const std::string currentTitle = current >= 0 && current < static_cast<int>(FTabList.size())
                                         ? FTabList[current].Title
                                         : std::string();
    TabCtrl_DeleteAllItems(FTabs);
    int select = 0;
    for (std::size_t i = 0; i < tabs.size(); ++i) {
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<char*>(tabs[i].Title.c_str());
      SendMessageA(FTabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
      if (tabs[i].Title == currentTitle) select = static_cast<int>(i);
    }
    FTabList = tabs;
    TabCtrl_SetCurSel(FTabs, select);
  }
  ShowCurrent();
}

void TDetailsView::ShowCurrent() {
  const int current = CurrentTab();
  if (current < 0 || current >= static_cast<int>(FTabList.size())) return;
  TDetailTable table = DetailTableOf(FTabList[current], FHeader, FSections);
  if (FShownValid && table.Columns == FShown.Columns && table.Rows == FShown.Rows && table.Text == FShown.Text)
    return;  // unchanged: keep the scroll position and selection
  FShown = std::move(table);
  FShownValid = true;
  const bool asList = !FShown.Columns.empty();
  if (asList)
    FillList(FShown);
  else
    SetWindowTextA(FText, FShown.Text.c_str());
  ShowWindow(FList, asList ? SW_SHOW : SW_HIDE);
  ShowWindow(FText, asList ? SW_HIDE : SW_SHOW);
}

void TDetailsView::FillList(const TDetailTable& table) {
  SendMessageA(FList, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(FList);
  while (ListView_DeleteColumn(FList, 0)) {
  }
  std::vector<int> widths(table.Columns.size());
  for (std::size_t c = 0; c < table.Columns.size(); ++c) widths[c] = TextWidth(FList, table.Columns[c]);
  for (const auto& row : table.Rows)
    for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c)
      if (row.size() > 1) widths[c] = std::max(widths[c], TextWidth(FList, row[c]));
  for (std::size_t c = 0; c < table.Columns.size(); ++c) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(table.Columns[c].c_str());
    column.cx = widths[c] + kColumnPadding;
    column.iSubItem = static_cast<int>(c);
    SendMessageA(FList, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
  }
  for (std::size_t r = 0; r < table.Rows.size(); ++r) {
    const auto& row = table.Rows[r];
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(r);
    item.pszText = const_cast<char*>(row.empty() ? "" : row[0].c_str());
    const int index = static_cast<int>(SendMessageA(FList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (std::size_t c = 1; c < row.size() && c < table.Columns.size(); ++c) {
      LVITEMA cell{};
      cell.iSubItem = static_cast<int>(c);
      cell.pszText = const_cast<char*>(row[c].c_str());
      SendMessageA(FList, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&cell));
    }
  }
  SendMessageA(FList, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(FList, nullptr, TRUE);
}

bool TDetailsView::HandleNotify(const NMHDR& header) {
  if (header.hwndFrom == FTabs && header.code == TCN_SELCHANGE) {
    FShownValid = false;
    ShowCurrent();
    return true;
  }
  if (header.hwndFrom == FList && header.code == NM_DBLCLK) {
    JumpToLine(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
    return true;
  }
  return false;
}

void TDetailsView::JumpToLine(int row) {
  const int current = CurrentTab();
  if (current < 0 || FTabList[current].Kind != TDetailKind::CallStacks) return;
  if (row < 0 || row >= static_cast<int>(FShown.Rows.size())) return;
  const auto& cells = FShown.Rows[row];
  if (cells.size() < 2) return;  // a thread's name, a note, the gap between threads
  if (FBeforeJump != nullptr) FBeforeJump(FDialog);
  SendIdeJump(GetCurrentProcessId(), JoinCells(cells));
}
