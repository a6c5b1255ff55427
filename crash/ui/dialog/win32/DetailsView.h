#pragma once
// The dialog's details view: a tab control with a tab per part of the
// report, showing the current tab as a list with columns or, failing that,
// as read-only text. Refresh follows the report as it grows (tabs added and
// removed, the current tab's content replaced). Double-clicking a line of
// the call stacks asks a development environment to show it. Handling
// thread; a child of the dialog.
#include <windows.h>

#include <string>
#include <vector>

#include "crash/ui/dialog/DetailTabs.h"

class TDetailsView {
 public:
  TDetailsView(HWND parent, HFONT textFont, HFONT reportFont);
  void SetBounds(const RECT& bounds);
  // Takes the report's current header and sections.
  void Refresh(const TReportItems& header, const TReportItems& sections);
  // WM_NOTIFY of the dialog: true when it was the view's.
  bool HandleNotify(const NMHDR& header);
  // Called before a line is sent to a development environment (the dialog
  // leaves the top-most layer).
  void SetBeforeJump(void (*beforeJump)(HWND), HWND dialog);

  HWND Tabs() const { return FTabs; }
  HWND List() const { return FList; }
  HWND Text() const { return FText; }
  int CurrentTab() const;
  void SelectTab(int index);
  const std::vector<TDetailTab>& TabList() const { return FTabList; }

 private:
  void ShowCurrent();
  void FillList(const TDetailTable& table);
  void JumpToLine(int row);

  HWND FTabs = nullptr, FList = nullptr, FText = nullptr;
  HWND FDialog = nullptr;
  void (*FBeforeJump)(HWND) = nullptr;
  std::vector<TDetailTab> FTabList;
  TReportItems FHeader, FSections;
  TDetailTable FShown;
  bool FShownValid = false;
};
