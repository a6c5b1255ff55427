#include "crash/flow/ExceptionDescription.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "crash/report/ValueTexts.h"

namespace {

const char* const kFrameworkExceptionRoot = "Exception";

std::string Demangled(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                   &std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

void AddChain(const std::type_info& type, std::vector<std::string>& chain) {
  const std::string name = Demangled(type);
  if (std::find(chain.begin(), chain.end(), name) != chain.end()) return;  // a virtual base met again
  chain.push_back(name);
  if (const auto* single = dynamic_cast<const abi::__si_class_type_info*>(&type)) {
    AddChain(*single->__base_type, chain);
  } else if (const auto* multiple = dynamic_cast<const abi::__vmi_class_type_info*>(&type)) {
    for (unsigned i = 0; i < multiple->__base_count; ++i) AddChain(*multiple->__base_info[i].__base_type, chain);
  }
}

}  // namespace

std::vector<std::string> ClassChainOf(const std::type_info& type) {
  std::vector<std::string> chain;
  AddChain(type, chain);
  return chain;
}

TExceptionDescription::TExceptionDescription(const std::exception_ptr& exception) {
  if (!exception) return;
  FHasObject = true;
  // Rethrown here only to be looked at: the type of any thrown object, and
  // the message of the classes that carry one.
  try {
    std::rethrow_exception(exception);
  } catch (const std::exception& e) {
    FMessage = e.what();
  } catch (...) {
  }
  try {
    std::rethrow_exception(exception);
  } catch (...) {
    if (const std::type_info* type = abi::__cxa_current_exception_type()) FChain = ClassChainOf(*type);
  }
  // The framework's exceptions all derive from its one root class, which
  // is the program's only class "Exception" in the global namespace; told by
  // name, so that the reporter needs nothing of the framework it watches.
  FFramework = InheritsFrom(kFrameworkExceptionRoot);
  // Objects without a message of their own are named by their class.
  if (FMessage.empty() && !FFramework && !FChain.empty()) FMessage = FChain.front();
}

std::string TExceptionDescription::ClassName() const { return FChain.empty() ? std::string() : FChain.front(); }

std::string TExceptionDescription::FormattedMessage() const { return ExceptionMessageText(FMessage); }

bool TExceptionDescription::InheritsFrom(const std::string& name) const {
  return std::find(FChain.begin(), FChain.end(), name) != FChain.end();
}
