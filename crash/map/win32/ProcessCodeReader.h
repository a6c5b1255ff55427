#pragma once
// Guarded reads of this process's own memory: a page that is not committed or
// not readable ends the read instead of faulting. Any thread.
#include "crash/map/CodeReader.h"

class TProcessCodeReader : public TCodeReader {
 public:
  std::size_t Read(TAddress address, void* buffer, std::size_t count) const override;
  // The one instance every user may share (it holds no state).
  static const TProcessCodeReader& Instance();
};
