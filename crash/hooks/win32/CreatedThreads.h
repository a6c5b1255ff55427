#pragma once
// The threads this process created through the thread-creation hooks and
// that still run: the ones a pause may stop. A thread that ended without
// returning from its procedure is dropped the next time the list is read.
// Any thread.
#include <windows.h>

#include <map>
#include <mutex>
#include <vector>

class TCreatedThreads {
 public:
  static TCreatedThreads& Instance();

  // thread: a handle the list duplicates (for waiting only).
  void Add(DWORD threadId, HANDLE thread);
  void Remove(DWORD threadId);
  bool Contains(DWORD threadId);
  std::vector<DWORD> Snapshot();

 private:
  std::mutex FLock;
  std::map<DWORD, HANDLE> FThreads;
};
