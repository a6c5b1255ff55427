#include <gtest/gtest.h>
#include <signal.h>

#include "platform/Console.h"

namespace {

TEST(PosixConsole, TheFirstInterruptSetsTheRequestAndTheSecondIsLeftToTheSystem) {
  static std::atomic<bool> requested{false};
  InstallInterruptHandler(&requested, "");
  ASSERT_EQ(raise(SIGINT), 0);
  EXPECT_TRUE(requested.load());
  struct sigaction current;
  ASSERT_EQ(sigaction(SIGINT, nullptr, &current), 0);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
}

}  // namespace
