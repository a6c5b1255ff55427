// Random operation sequences on the edit model against a small reference,
// seeded and repeatable; a failing seed is printed with the first step that
// disagreed. RAVELIN_EDIT_SEED reruns one seed.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/controls/edit/ElEditModelDriver.h"

namespace {

void RunSeeds(bool multiline, std::uint32_t first, int count, int steps) {
  if (const char* one = std::getenv("RAVELIN_EDIT_SEED")) {
    first = static_cast<std::uint32_t>(std::strtoul(one, nullptr, 10));
    count = 1;
  }
  for (std::uint32_t seed = first; seed < first + static_cast<std::uint32_t>(count); ++seed) {
    edit_driver::TSeededChoices choices(seed);
    edit_driver::TDriver driver(choices, multiline);
    if (!driver.Run(steps)) {
      ADD_FAILURE() << "seed " << seed << (multiline ? " (multi-line)" : " (single-line)") << ": "
                    << driver.Failure();
      return;
    }
  }
}

// Fewer seeds where the tests run under emulation; the host runs them all.
#ifdef _WIN32
constexpr int kSeedShare = 10;
#else
constexpr int kSeedShare = 1;
#endif

TEST(EditModelRandom, MultiLineWithWordWrapAgreesWithTheReference) { RunSeeds(true, 1, 300 / kSeedShare, 80); }

TEST(EditModelRandom, SingleLineAgreesWithTheReference) { RunSeeds(false, 10001, 200 / kSeedShare, 80); }

}  // namespace
