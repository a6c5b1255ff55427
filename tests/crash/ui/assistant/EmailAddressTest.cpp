#include "crash/ui/assistant/EmailAddress.h"

#include <gtest/gtest.h>

namespace {

struct TAddressCase {
  const char* Address;
  bool Plausible;
};

const TAddressCase kAddresses[] = {
    {"anna@example.org", true},
    {"a.b+c-d_e@mail.example.co", true},
    {"x@y.z", true},
    {"ANNA99@EXAMPLE.ORG", true},
    {"", false},
    {"anna", false},
    {"@example.org", false},           // "@" first
    {"anna@example", false},           // no "." after the "@"
    {"anna.smith@example", false},     // the "." only before the "@"
    {"anna@.example.org", false},      // "." right after the "@"
    {".anna@example.org", false},      // starts with "."
    {"anna@example.org.", false},      // ends with "."
    {"anna@@example.org", false},
    {"anna@b@example.org", false},     // two "@"
    {" anna@example.org", false},      // leading blank
    {"anna@example.org ", false},      // trailing blank
    {"an na@example.org", false},
    {"anna@exa,mple.org", false},
    {"anna<x>@example.org", false},
    {"anna@example.org\r\n", false},
    {"ann\xe4@example.org", false},     // beyond ASCII
    {"anna@", false},
};

TEST(EmailAddressTest, TableOfAddresses) {
  for (const TAddressCase& c : kAddresses)
    EXPECT_EQ(IsPlausibleEmailAddress(c.Address), c.Plausible) << "\"" << c.Address << "\"";
}

// Typing an address letter by letter: Continue stays off until a "." and a
// letter follow the part behind the "@".
TEST(EmailAddressTest, BecomesPlausibleOnlyWithDotAndLetterAfterTheAt) {
  const std::string full = "anna@example.org";
  for (std::size_t length = 1; length <= full.size(); ++length) {
    const std::string typed = full.substr(0, length);
    EXPECT_EQ(IsPlausibleEmailAddress(typed), length >= full.size() - 2) << typed;
  }
}

TEST(EmailAddressTest, SenderIsNameAndAddressInAngleBrackets) {
  EXPECT_EQ(SenderAddress("Anna Smith", "anna@example.org"), "Anna Smith <anna@example.org>");
}

}  // namespace
