#include "platform/CodePage.h"

#include <windows.h>

NarrowString WideToNarrow(const WideString& text) {
  if (text.empty()) return NarrowString();
  const auto* source = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_ACP, 0, source, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return NarrowString();
  NarrowString result(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, source, length, &result[0], needed, nullptr, nullptr);
  return result;
}

WideString NarrowToWide(const NarrowString& text) {
  if (text.empty()) return WideString();
  const int length = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return WideString();
  WideString result(static_cast<size_t>(needed), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(&result[0]), needed);
  return result;
}
