#pragma once
// Printing a report: "Courier New" 8 point, margins of 1 cm at the top,
// 2 cm at the left and 1 cm at the right, lines word-wrapped, an empty line
// printed as a blank one, a new page when the next line does not fit.
// Handling thread.
#include <windows.h>

#include <string>

// Asks for the printer with the system's print dialog owned by owner, then
// prints; false when cancelled or failed.
bool PrintReportWithDialog(HWND owner, const std::string& text, const std::string& documentName);

// Prints onto a printer's device context; answers the pages printed, 0 when
// the job failed.
int PrintReportTo(HDC printer, const std::string& text, const std::string& documentName);
