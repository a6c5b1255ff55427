#include "platform/Console.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/EscapedUtf8.h"

namespace {
std::atomic<bool>* gInterruptFlag = nullptr;
const char* gInterruptNotice = "";

BOOL WINAPI OnControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
  if (gInterruptFlag->exchange(true)) return FALSE;  // the second one ends the process
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), gInterruptNotice,
            static_cast<DWORD>(std::strlen(gInterruptNotice)), &written, nullptr);
  return TRUE;
}
}  // namespace

void WriteConsoleLine(TConsoleStream stream, const WideString& text) {
  std::FILE* file = stream == TConsoleStream::Output ? stdout : stderr;
  HANDLE handle = GetStdHandle(stream == TConsoleStream::Output ? STD_OUTPUT_HANDLE
                                                                : STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    std::fflush(file);
    WideString line = text + u"\r\n";
    DWORD written = 0;
    WriteConsoleW(handle, reinterpret_cast<const wchar_t*>(line.c_str()), static_cast<DWORD>(line.size()), &written, nullptr);
    return;
  }
  std::string bytes = EncodeEscapedUtf8(text);
  bytes.push_back('\n');  // the runtime's text mode makes it CR LF
  std::fwrite(bytes.data(), 1, bytes.size(), file);
}

void FlushConsole() {
  std::fflush(stdout);
  std::fflush(stderr);
}

void InstallInterruptHandler(std::atomic<bool>* flag, const char* notice) {
  gInterruptFlag = flag;
  gInterruptNotice = notice;
  SetConsoleCtrlHandler(OnControl, TRUE);
}
