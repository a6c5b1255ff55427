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

#include "controls/text/ElWideStringList.h"
#include "framework/Exception.h"

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

// Records OnChanging and OnChange with the item count at that moment, so a
// test sees both how many notifications came and on which side of the change.
struct NotifyLog {
  std::vector<std::string> events;

  void Attach(TElWideStringList& list) {
    list.OnChanging = [this, &list](TObject* sender) {
      EXPECT_EQ(sender, &list);
      events.push_back("changing " + std::to_string(list.Count()));
    };
    list.OnChange = [this, &list](TObject* sender) {
      EXPECT_EQ(sender, &list);
      events.push_back("change " + std::to_string(list.Count()));
    };
  }
};

// The message of the E that op raises, or a marker saying what happened instead.
template <class E>
std::string MessageOf(const std::function<void()>& op) {
  try {
    op();
  } catch (const E& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return std::string("<other exception: ") + e.what() + ">";
  }
  return "<no exception>";
}
