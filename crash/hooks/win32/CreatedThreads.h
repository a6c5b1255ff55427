#pragma once
// The threads this process created through the thread-creation hooks and
// that still run their procedure: the ones a pause may stop. Any thread.
#include <windows.h>

#include <mutex>
#include <set>
#include <vector>

class TCreatedThreads {
 public:
  static TCreatedThreads& Instance();

  void Add(DWORD threadId);
  void Remove(DWORD threadId);
  bool Contains(DWORD threadId);
  std::vector<DWORD> Snapshot();

 private:
  std::mutex FLock;
  std::set<DWORD> FIds;
};
