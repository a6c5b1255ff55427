#pragma once
// Getting the complete report for an action of the dialog: while the
// completion runs, the wait box (when PlWaitBox is on) shows one step per
// thread section, and this thread goes on serving its windows. Handling
// thread.
#include <windows.h>

#include <string>

class TIMEException;

std::string WaitForCompleteReport(TIMEException& exception, HWND owner);
