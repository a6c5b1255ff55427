#pragma once
// Helpers shared by the wide string list tests: building lists, reading them
// back as plain values, recording notifications and catching messages.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "text/ElWideStringList.h"
#include "framework/Exception.h"
#include "tests/support/MessageOf.h"
#include "tests/support/ChangeLog.h"

// An attached object: any pointer-sized value, usually not a real address.
inline void* Obj(std::intptr_t value) { return reinterpret_cast<void*>(value); }

using Item = std::pair<WideString, std::intptr_t>;
using ItemList = std::vector<Item>;

inline ItemList ItemsOf(const TElWideStrings& list) {
  ItemList result;
  for (int i = 0; i < list.Count(); ++i)
    result.emplace_back(list.Get(i), reinterpret_cast<std::intptr_t>(list.GetObject(i)));
  return result;
}

inline std::vector<WideString> StringsOf(const TElWideStrings& list) {
  std::vector<WideString> result;
  for (int i = 0; i < list.Count(); ++i) result.push_back(list.Get(i));
  return result;
}

inline void Fill(TElWideStrings& list, const ItemList& items) {
  for (const auto& item : items) list.AddObject(item.first, Obj(item.second));
}

inline void Fill(TElWideStrings& list, std::initializer_list<const char16_t*> strings) {
  for (const char16_t* s : strings) list.Add(s);
}

