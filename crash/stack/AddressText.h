#pragma once
// One code address explained on one line, and the correction of an
// exception address that points one instruction short.
#include <string>

#include "crash/stack/FunctionList.h"

struct TAddressTextOptions {
  bool ShowRelAddrs = false;
  bool ShowRelLines = false;
};

// Never fails: what cannot be looked up gives the " ???" form.
std::string AddressText(IStackEnvironment& env, TStackAddress address, const TAddressTextOptions& options);

// `isAbort`: the exception is the silent abort class or derived from it.
TStackAddress CorrectExceptAddress(IStackEnvironment& env, TFunctionList& functions, bool isAbort,
                                   TStackAddress address);
