// The application's last-resort exception routines. The crash reporter
// patches their entries, so this file is compiled on its own with the flags
// that keep every routine whole (see CMakeLists.txt).
#include <windows.h>

#include "framework/win32/Application.h"
#include "platform/CodePage.h"

namespace {
LPCWSTR W(const WideString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }
}  // namespace

void TApplication::ShowException(const Exception& e) {
  MessageBox(NarrowToWide(ExceptionDisplayText(e.Message())), FTitle, MB_OK | MB_ICONERROR);
}

void TApplication::HandleException(TObject* sender) {
  const std::exception_ptr current = std::current_exception();
  if (!current) return;
  try {
    try {
      std::rethrow_exception(current);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
      if (OnException)
        OnException(sender, e);
      else
        ShowException(e);
    } catch (...) {
      ::ShowException(current);
    }
  } catch (...) {
    // The handling itself failed; there is nobody left to tell.
  }
}

void ShowException(const std::exception_ptr& exception) {
  std::string text = "Unknown exception";
  try {
    std::rethrow_exception(exception);
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
  }
  const WideString title = Application != nullptr ? Application->Title() : WideString(u"Error");
  ::MessageBoxW(nullptr, W(NarrowToWide(text)), W(title), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}
