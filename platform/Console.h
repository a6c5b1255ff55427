#pragma once
// The console front end's contact with its terminal: writing lines to the two
// standard streams and turning Ctrl+C into a request.
#include <atomic>

#include "platform/WideString.h"

enum class TConsoleStream { Output, Error };

// Writes text and a line break. On a terminal of the platform the text is
// shown as it is; into a file or pipe it goes as UTF-8.
void WriteConsoleLine(TConsoleStream stream, const WideString& text);
void FlushConsole();

// The first Ctrl+C sets flag and writes notice to the error stream; a second
// one ends the process as usual.
void InstallInterruptHandler(std::atomic<bool>* flag, const char* notice);
