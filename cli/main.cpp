// Entry point of the console front end.
#include <atomic>
#include <vector>

#include "cli/ConsoleRun.h"
#include "platform/Console.h"
#include "platform/EscapedUtf8.h"
#include "platform/SystemFileSystem.h"

namespace {

int Run(const std::vector<WideString>& arguments) {
  static std::atomic<bool> terminate{false};
  InstallInterruptHandler(&terminate, "Aborting DeCompression Thread\n");
  auto volume = CreateSystemVolumeControl();
  auto lister = CreateSystemDirectoryLister();
  TConsoleLines lines;
  lines.log = [](const WideString& line) { WriteConsoleLine(TConsoleStream::Output, line); };
  lines.status = [](const WideString& line) { WriteConsoleLine(TConsoleStream::Error, line); };
  const int code = RunConsole(arguments, *volume, *lister, lines, terminate);
  FlushConsole();
  return code;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<WideString> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(reinterpret_cast<char16_t*>(argv[i]));
  return Run(arguments);
}
#else
int main(int argc, char** argv) {
  std::vector<WideString> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(DecodeEscapedUtf8(argv[i]));
  return Run(arguments);
}
#endif
