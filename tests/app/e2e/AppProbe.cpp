// Reads the running main window from the Windows side for the end-to-end
// test, which types and clicks from the X side:
//   AppProbe list             class and text of every child window
//   AppProbe centre CLASS     screen point in the middle of the first child of that class
//   AppProbe text CLASS       its text (UTF-8)
//   AppProbe rows             the number of lines in the log
// Exit code 2 when the main window is not there.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
  return out;
}

std::wstring Wide(const char* ascii) {
  std::wstring out;
  for (; *ascii; ++ascii) out.push_back(static_cast<wchar_t>(*ascii));
  return out;
}

BOOL CALLBACK FindMain(HWND window, LPARAM data) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  if (std::wstring(title).rfind(L"Ravelin - ", 0) == 0 && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

HWND MainWindow() {
  HWND found = nullptr;
  EnumWindows(FindMain, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TextOf(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(got));
  return text;
}

HWND ChildOfClass(HWND main, const std::wstring& name) {
  for (HWND child : Children(main))
    if (ClassOf(child) == name) return child;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  HWND main = MainWindow();
  if (main == nullptr) return 2;
  const std::string command = argc > 1 ? argv[1] : "list";
  if (command == "list") {
    for (HWND child : Children(main)) std::printf("%s\t%s\n", Utf8(ClassOf(child)).c_str(), Utf8(TextOf(child)).c_str());
    return 0;
  }
  if (command == "rows") {
    // The log keeps its texts itself; the native list holds one row per line.
    HWND list = ChildOfClass(main, L"TElListBox.LISTBOX");
    if (list == nullptr) return 3;
    std::printf("%ld\n", static_cast<long>(SendMessageW(list, LB_GETCOUNT, 0, 0)));
    return 0;
  }
  if (argc < 3) return 4;
  HWND child = ChildOfClass(main, Wide(argv[2]));
  if (child == nullptr) return 3;
  if (command == "centre") {
    RECT r;
    GetWindowRect(child, &r);
    std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return 0;
  }
  if (command == "text") {
    std::printf("%s", Utf8(TextOf(child)).c_str());
    return 0;
  }
  return 4;
}
