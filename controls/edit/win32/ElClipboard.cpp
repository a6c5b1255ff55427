#include "controls/edit/win32/ElClipboard.h"

#include <cstring>

#include "platform/CodePage.h"

namespace {
// Another program may hold the clipboard for a moment (the X selection
// bridge does while it hands text over): a few short tries before giving up.
bool OpenForUs(HWND owner) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

struct TClipboardOpen {
  ~TClipboardOpen() { CloseClipboard(); }
};

bool UnicodeWindows() { return (GetVersion() & 0x80000000u) == 0; }

HGLOBAL SharedCopy(const void* data, size_t bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
  if (memory == nullptr) return nullptr;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, data, bytes);
  GlobalUnlock(memory);
  return memory;
}

bool Place(UINT format, const void* data, size_t bytes) {
  HGLOBAL memory = SharedCopy(data, bytes);
  if (memory == nullptr) return false;
  if (SetClipboardData(format, memory) != nullptr) return true;
  GlobalFree(memory);  // still ours when the clipboard did not take it
  return false;
}

// The text of a clipboard block up to its first zero unit, never past the
// block's end: a block without a terminator must not be read beyond.
template <typename Char>
std::basic_string<Char> BlockText(UINT format) {
  HANDLE data = GetClipboardData(format);
  if (data == nullptr) return {};
  const size_t units = GlobalSize(data) / sizeof(Char);
  const auto* text = static_cast<const Char*>(GlobalLock(data));
  if (text == nullptr) return {};
  size_t length = 0;
  while (length < units && text[length] != 0) ++length;
  std::basic_string<Char> result(text, length);
  GlobalUnlock(data);
  return result;
}
}  // namespace

bool ElClipboardSetText(HWND owner, const WideString& text) {
  if (!OpenForUs(owner)) return false;
  TClipboardOpen open;
  EmptyClipboard();
  bool placed = Place(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  if (placed && !UnicodeWindows()) {
    const NarrowString narrow = WideToNarrow(text);
    placed = Place(CF_TEXT, narrow.c_str(), narrow.size() + 1);
  }
  return placed;
}

bool ElClipboardGetText(HWND owner, WideString& text) {
  const bool unicode = IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
  if (!unicode && !IsClipboardFormatAvailable(CF_TEXT)) return false;
  if (!OpenForUs(owner)) return false;
  TClipboardOpen open;
  text = unicode ? BlockText<char16_t>(CF_UNICODETEXT) : NarrowToWide(BlockText<char>(CF_TEXT));
  return true;
}
