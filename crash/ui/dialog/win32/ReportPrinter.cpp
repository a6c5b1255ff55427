#include "crash/ui/dialog/win32/ReportPrinter.h"

#include <commdlg.h>

#include <algorithm>

#include "crash/ui/dialog/PrintPages.h"
#include "platform/win32/HandleOwners.h"

namespace {

constexpr int kFontPoints = 8;
constexpr double kTopCm = 1.0, kLeftCm = 2.0, kRightCm = 1.0;

int CmToPixels(double cm, int pixelsPerInch) { return static_cast<int>(cm * pixelsPerInch / 2.54 + 0.5); }

// The printable area in device pixels with the paper's margins, measured
// from the paper's edge (the device's origin is the printable corner).
struct TPageArea {
  int Left, Top, Right, Bottom;
};

TPageArea AreaOf(HDC printer) {
  const int dpiX = GetDeviceCaps(printer, LOGPIXELSX), dpiY = GetDeviceCaps(printer, LOGPIXELSY);
  const int offsetX = GetDeviceCaps(printer, PHYSICALOFFSETX), offsetY = GetDeviceCaps(printer, PHYSICALOFFSETY);
  const int paperWidth = GetDeviceCaps(printer, PHYSICALWIDTH);
  const int printableHeight = GetDeviceCaps(printer, VERTRES);
  TPageArea area;
  area.Left = std::max(CmToPixels(kLeftCm, dpiX) - offsetX, 0);
  area.Top = std::max(CmToPixels(kTopCm, dpiY) - offsetY, 0);
  area.Right = paperWidth - CmToPixels(kRightCm, dpiX) - offsetX;
  area.Bottom = printableHeight;
  return area;
}

}  // namespace

int PrintReportTo(HDC printer, const std::string& text, const std::string& documentName) {
  const int height = -MulDiv(kFontPoints, GetDeviceCaps(printer, LOGPIXELSY), 72);
  TGdiObject<HFONT> font(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New"));
  TSelectedObject selected(printer, font.Get());
  TEXTMETRICA metrics{};
  GetTextMetricsA(printer, &metrics);
  const TPageArea area = AreaOf(printer);
  const int lineHeight = std::max<int>(metrics.tmHeight + metrics.tmExternalLeading, 1);
  const int charWidth = std::max<int>(metrics.tmAveCharWidth, 1);
  const std::size_t columns = static_cast<std::size_t>(std::max((area.Right - area.Left) / charWidth, 1));
  const std::size_t rows = static_cast<std::size_t>(std::max((area.Bottom - area.Top) / lineHeight, 1));
  const std::vector<TPrintedPage> pages = PaginateText(text, columns, rows);

  DOCINFOA document{};
  document.cbSize = sizeof document;
  document.lpszDocName = documentName.c_str();
  if (StartDocA(printer, &document) <= 0) return 0;
  int printed = 0;
  for (const TPrintedPage& page : pages) {
    if (StartPage(printer) <= 0) break;
    int y = area.Top;
    for (const std::string& line : page) {
      if (!line.empty()) TextOutA(printer, area.Left, y, line.c_str(), static_cast<int>(line.size()));
      y += lineHeight;
    }
    if (EndPage(printer) <= 0) break;
    ++printed;
  }
  if (printed == static_cast<int>(pages.size()) && EndDoc(printer) > 0) return printed;
  AbortDoc(printer);
  return 0;
}

bool PrintReportWithDialog(HWND owner, const std::string& text, const std::string& documentName) {
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
  if (!PrintDlgA(&dialog) || dialog.hDC == nullptr) return false;
  TCreatedDC printer(dialog.hDC);
  if (dialog.hDevMode != nullptr) GlobalFree(dialog.hDevMode);
  if (dialog.hDevNames != nullptr) GlobalFree(dialog.hDevNames);
  return PrintReportTo(printer.Get(), text, documentName) > 0;
}
