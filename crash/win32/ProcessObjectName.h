#pragma once
// Names of the reporter's process-wide objects: a prefix, "$" and the
// process id in lower-case hexadecimal.
#include <windows.h>

#include <cstdio>
#include <string>

inline std::string WithProcessId(const char* prefix) {
  char name[64];
  std::snprintf(name, sizeof name, "%s$%lx", prefix, static_cast<unsigned long>(GetCurrentProcessId()));
  return name;
}
