#pragma once
// Records a list's OnChanging and OnChange with the item count at that
// moment, so a test sees both how many notifications came and on which side
// of the change. Works with any list that has both events and Count().
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Persistent.h"

struct NotifyLog {
  std::vector<std::string> events;

  template <class List>
  void Attach(List& list) {
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
