// Runs this build's send assistant for a made-up exception with a
// screenshot, so that a test
// can drive its forms with real keys from outside. Writes to the file named
// by its argument one line "form <headline>" whenever a form is shown, and
// at the end the result, the report's fields and the sender.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#include "crash/image/win32/Screenshot.h"
#include "crash/ui/assistant/win32/AssistantRunner.h"
#include "tests/crash/ui/assistant/win32/AssistantTestSupport.h"

namespace {

std::mutex gOutputLock;
FILE* gOutput = nullptr;

void Say(const std::string& line) {
  std::lock_guard<std::mutex> guard(gOutputLock);
  std::fprintf(gOutput, "%s\n", line.c_str());
  std::fflush(gOutput);
}

std::string OneLine(std::string text) {
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\\n");
  for (char& c : text)
    if (c == '\t') c = '~';
  return text;
}

// Announces each new form window. A driver left alone for two minutes
// cancels its forms, so that a test that lost its way leaves no program behind.
void WatchForms(const std::atomic<bool>& done) {
  HWND last = nullptr;
  const DWORD start = GetTickCount();
  while (!done) {
    if (GetTickCount() - start > 120000)
      if (HWND form = FindWindowA(TAssistantFormWindow::kClassName, nullptr)) PostMessageA(form, WM_CLOSE, 0, 0);
    HWND form = FindWindowA(TAssistantFormWindow::kClassName, nullptr);
    if (form && form != last && IsWindowVisible(form)) {
      last = form;
      Say("form " + ControlText(GetDlgItem(form, TAssistantFormWindow::kHeadlineId)));
    }
    Sleep(20);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || !(gOutput = std::fopen(argv[1], "w"))) return 2;
  auto exception = MakeTestException();
  // With a screenshot the send assistant ends with the screenshot form.
  exception->SetScrShotDepth(4);
  exception->SetAttachScreenshot(true);
  exception->SetScreenshot(Screenshot(false));
  std::atomic<bool> done{false};
  std::thread watcher(WatchForms, std::cref(done));
  const int result = RunSendAssistant(nullptr, *exception);
  done = true;
  watcher.join();
  Say("result " + std::to_string(result));
  for (const auto& [name, content] : exception->Header().Items()) Say("header " + name + "=" + OneLine(content));
  for (const auto& [name, content] : exception->Sections().Items()) Say("section " + name + "=" + OneLine(content));
  Say("sender " + exception->MailFrom());
  Say(std::string("attach ") + (exception->AttachScreenshot() ? "yes" : "no"));
  Say("end");
  std::fclose(gOutput);
  return 0;
}
