#include "crash/ui/dialog/win32/IdeJump.h"

#include <windows.h>

const char kIdeJumpMessage[] = "OstrelIdeJumpCommand";
const char kIdeWindowClass[] = "ostToolsMsgHandlerWindow";

namespace {

constexpr UINT kAnswerTimeoutMs = 1000;
constexpr std::size_t kAtomTextLimit = 255;  // what a global atom holds

}  // namespace

int SendIdeJump(unsigned long processId, const std::string& line) {
  const UINT message = RegisterWindowMessageA(kIdeJumpMessage);
  if (message == 0) return 0;
  const ATOM atom = GlobalAddAtomA(line.substr(0, kAtomTextLimit).c_str());
  if (atom == 0) return 0;
  int answered = 0;
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, kIdeWindowClass, nullptr)) != nullptr) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window, message, static_cast<WPARAM>(processId), static_cast<LPARAM>(atom),
                            SMTO_ABORTIFHUNG | SMTO_NORMAL, kAnswerTimeoutMs, &result) != 0)
      ++answered;
  }
  GlobalDeleteAtom(atom);
  return answered;
}
