#pragma once
// Runs body inside list's update bracket, which is closed also when body throws.
#include <utility>

template <class List, class Body>
void InUpdateBracket(List& list, Body&& body) {
  list.BeginUpdate();
  try {
    std::forward<Body>(body)();
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}
