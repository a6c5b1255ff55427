#pragma once
// The message of the E that op raises, or a marker saying what happened instead.
#include <exception>
#include <functional>
#include <string>

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
