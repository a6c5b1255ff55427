#include <gtest/gtest.h>

#include <stdexcept>

#include "crash/flow/ExceptionDescription.h"
#include "framework/Exception.h"

// As the Windows framework declares it: the silent exception is known by name.
RAVELIN_EXCEPTION_CLASS(EAbort, Exception);

namespace flowtest {

RAVELIN_EXCEPTION_CLASS(ESilentAbort, EAbort);

struct TPlain {
  int code;
};
struct TLeft {
  virtual ~TLeft() = default;
};
struct TRight {
  virtual ~TRight() = default;
};
struct TBoth : TLeft, TRight {};

// Named as the framework's root, but not it.
namespace other {
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
}  // namespace other

template <typename T>
std::exception_ptr Thrown(T value) {
  try {
    throw value;
  } catch (...) {
    return std::current_exception();
  }
}

TEST(ExceptionDescription, FrameworkExceptionsGiveTheirChainAndMessage) {
  const TExceptionDescription d(Thrown(ESilentAbort("stopped!!")));
  EXPECT_TRUE(d.HasObject());
  EXPECT_TRUE(d.IsFrameworkException());
  EXPECT_EQ(d.ClassChain(), (std::vector<std::string>{"flowtest::ESilentAbort", "EAbort", "Exception", "std::exception"}));
  EXPECT_EQ(d.Message(), "stopped!!");
  EXPECT_EQ(d.FormattedMessage(), "stopped.");
}

TEST(ExceptionDescription, AncestorsAreFoundByTheirWholeNames) {
  EXPECT_TRUE(TExceptionDescription(Thrown(ESilentAbort("x"))).InheritsFrom("EAbort"));
  EXPECT_TRUE(TExceptionDescription(Thrown(EAbort("x"))).InheritsFrom("EAbort"));
  const TExceptionDescription d(Thrown(EFOpenError("cannot open")));
  EXPECT_TRUE(d.InheritsFrom("EStreamError"));
  EXPECT_TRUE(d.InheritsFrom("Exception"));
  EXPECT_FALSE(d.InheritsFrom("EReadError"));
  EXPECT_FALSE(d.InheritsFrom("EStream")) << "names compare whole";
}

TEST(ExceptionDescription, AFrameworkExceptionCopiedThroughItsBaseKeepsItsClass) {
  // How a routine that is handed only "const Exception&" passes it on.
  const ESilentAbort derived("copied");
  const EFOpenError stream("cannot open");
  EXPECT_EQ(TExceptionDescription(static_cast<const Exception&>(derived).Clone()).ClassName(), "flowtest::ESilentAbort");
  EXPECT_EQ(TExceptionDescription(static_cast<const Exception&>(stream).Clone()).ClassName(), "EFOpenError");
  EXPECT_EQ(TExceptionDescription(static_cast<const Exception&>(stream).Clone()).Message(), "cannot open");
}

TEST(ExceptionDescription, OtherThrownObjects) {
  struct Case {
    const char* what;
    std::exception_ptr thrown;
    std::vector<std::string> chain;
    std::string message;
  };
  const Case cases[] = {
      {"a standard exception says what()", Thrown(std::out_of_range("index 5")),
       {"std::out_of_range", "std::logic_error", "std::exception"}, "index 5"},
      {"a plain struct is named by its class", Thrown(TPlain{3}), {"flowtest::TPlain"}, "flowtest::TPlain"},
      {"an int", Thrown(42), {"int"}, "int"},
      {"multiple bases, left first", Thrown(TBoth{}),
       {"flowtest::TBoth", "flowtest::TLeft", "flowtest::TRight"}, "flowtest::TBoth"},
      {"a class called Exception elsewhere is not the framework's", Thrown(other::Exception("elsewhere")),
       {"flowtest::other::Exception", "std::runtime_error", "std::exception"}, "elsewhere"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TExceptionDescription d(c.thrown);
    EXPECT_TRUE(d.HasObject());
    EXPECT_FALSE(d.IsFrameworkException());
    EXPECT_EQ(d.ClassChain(), c.chain);
    EXPECT_EQ(d.ClassName(), c.chain.front());
    EXPECT_EQ(d.Message(), c.message);
  }
}

TEST(ExceptionDescription, NoObject) {
  const TExceptionDescription d(nullptr);
  EXPECT_FALSE(d.HasObject());
  EXPECT_TRUE(d.ClassChain().empty());
  EXPECT_EQ(d.ClassName(), "");
  EXPECT_EQ(d.FormattedMessage(), "Unknown.");
  EXPECT_FALSE(d.InheritsFrom("Exception"));
}

}  // namespace flowtest
