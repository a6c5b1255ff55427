#include "framework/Persistent.h"

#include "framework/Exception.h"

namespace {
[[noreturn]] void AssignError(TPersistent* source, TPersistent* dest) {
  const std::string sourceName = source ? source->ClassName() : std::string("nil");
  throw EConvertError(FormatMessage("Cannot assign a %s to a %s", sourceName.c_str(),
                                    dest->ClassName().c_str()));
}
}  // namespace

void TPersistent::Assign(TPersistent* source) {
  if (source != nullptr) {
    // AssignTo is protected; every persistent may call it on another.
    static_cast<TPersistent*>(source)->AssignTo(this);
    return;
  }
  AssignError(nullptr, this);
}

void TPersistent::AssignTo(TPersistent* dest) { AssignError(this, dest); }
