#pragma once
// What the reporter knows about a thrown object: its class chain from the
// most derived class up through its bases (read from the run-time type
// information, so any thrown type works), its message and whether it is one
// of the framework's exceptions. Built once, then read-only: any thread.
#include <exception>
#include <string>
#include <typeinfo>
#include <vector>

class TExceptionDescription {
 public:
  // A null pointer describes "no exception object".
  explicit TExceptionDescription(const std::exception_ptr& exception);

  bool HasObject() const { return FHasObject; }
  // Most derived first, then its bases depth first, each once; demangled
  // ("EAbort", "std::runtime_error"). Empty without an object.
  const std::vector<std::string>& ClassChain() const { return FChain; }
  // The most derived class; empty without an object.
  std::string ClassName() const;
  // The framework exception's message, else what(), else the class name.
  const std::string& Message() const { return FMessage; }
  // The message as reports show it ("Unknown." without an object).
  std::string FormattedMessage() const;
  bool IsFrameworkException() const { return FFramework; }
  // Whether the class or one of its ancestors is called name (exactly).
  bool InheritsFrom(const std::string& name) const;

 private:
  bool FHasObject = false;
  bool FFramework = false;
  std::vector<std::string> FChain;
  std::string FMessage;
};

// The chain of a type as TExceptionDescription lists it.
std::vector<std::string> ClassChainOf(const std::type_info& type);
