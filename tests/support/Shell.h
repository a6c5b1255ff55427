#pragma once
// Running shell commands from host tests that drive programs from outside.
#include <sys/wait.h>

#include <cstdio>
#include <string>

// The text in single quotes, safe as one shell word.
inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a shell command; returns its exit status and, in output, its stdout.
inline int Shell(const std::string& command, std::string* output = nullptr) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  const int status = pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool HasCommand(const char* name) {
  return Shell(std::string("command -v ") + name + " >/dev/null 2>&1") == 0;
}
