#include "crash/stack/FunctionFirstLine.h"

#include <algorithm>

int FunctionFirstLine(IStackEnvironment& env, TStackAddress functionStart, TStackAddress address) {
  if (env.UnitAt(functionStart) != env.UnitAt(address)) return 0;
  return std::max(0, env.LineAt(functionStart));
}
