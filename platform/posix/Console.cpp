#include "platform/Console.h"

#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <cstdio>

#include "platform/EscapedUtf8.h"

namespace {
std::atomic<bool>* gInterruptFlag = nullptr;
const char* gInterruptNotice = "";

void OnInterrupt(int) {
  gInterruptFlag->store(true);
  // Only async-signal-safe calls here.
  ssize_t ignored = write(STDERR_FILENO, gInterruptNotice, strlen(gInterruptNotice));
  (void)ignored;
}
}  // namespace

void WriteConsoleLine(TConsoleStream stream, const WideString& text) {
  std::FILE* file = stream == TConsoleStream::Output ? stdout : stderr;
  std::string bytes = EncodeEscapedUtf8(text);
  bytes.push_back('\n');
  std::fwrite(bytes.data(), 1, bytes.size(), file);
}

void FlushConsole() {
  std::fflush(stdout);
  std::fflush(stderr);
}

void InstallInterruptHandler(std::atomic<bool>* flag, const char* notice) {
  gInterruptFlag = flag;
  gInterruptNotice = notice;
  struct sigaction action;
  memset(&action, 0, sizeof(action));
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND;  // a second Ctrl+C ends the process
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}
