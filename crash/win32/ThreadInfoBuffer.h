#pragma once
// The process's list of thread information, shared by every module that
// carries the reporter through the named block "OstrelThreadNameBuf$<pid>"
// (process id in lower-case hex): names, creating threads and creation
// addresses for the reports, and the mutex that only the one active freeze
// watch holds. Entries live on the process heap, so any module may free what
// another wrote. Any thread; the list has its own mutex.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/HandleOwners.h"

struct TThreadInfoEntry;

// 20 bytes, the same in every module.
struct TThreadInfoBlock {
  HANDLE FreezeWatchMutex;
  HANDLE ListMutex;
  TThreadInfoEntry* Head;
  LONG RefCount;
  HANDLE Mapping;
};

// What a report reads of one thread.
struct TThreadInfo {
  DWORD ThreadId = 0;
  std::string Name;  // "-" for the reporter's own threads
  std::string ClassName;
  DWORD CreatorThreadId = 0;
  std::uintptr_t CreationAddress = 0;
};

// The name the system's thread-naming exception carries, and the thread it
// names (the current one for -1).
constexpr DWORD kThreadNamingException = 0x406D1388;

class TThreadInfoBuffer {
 public:
  // nullptr when the block can be neither created nor opened.
  static std::unique_ptr<TThreadInfoBuffer> Open();
  static std::unique_ptr<TThreadInfoBuffer> OpenNamed(const std::string& bufferName, const std::string& mutexName);
  ~TThreadInfoBuffer();
  static std::string BufferName();

  // Adds or replaces a thread's entry; empty values keep what the entry had,
  // all values empty remove it. Entries of ended threads go on every write.
  void RecordThreadInfo(DWORD threadId, HANDLE thread, const std::string& name, DWORD creatorThreadId,
                        std::uintptr_t creationAddress, const std::string& className);
  void RecordThreadName(DWORD threadId, const std::string& name);
  // False when the thread has no entry, or the list was not free within the wait.
  bool Find(DWORD threadId, TThreadInfo& info, DWORD waitMs = 50);
  DWORD MainThreadId() const { return FMainThreadId; }
  HANDLE FreezeWatchMutex() const { return FBlock->FreezeWatchMutex; }
  // Records the name of a thread-naming exception; false for any other exception.
  bool HandleNamingException(const EXCEPTION_RECORD& record);

 private:
  TThreadInfoBuffer(TKernelHandle mapping, TMappedView view);
  static DWORD FirstThreadOfProcess();
  void PruneEnded();
  TThreadInfoEntry* EntryOf(DWORD threadId);

  TKernelHandle FCreationMutex;  // held while the block is set up or torn down
  TKernelHandle FMapping;
  TMappedView FView;
  TThreadInfoBlock* FBlock;
  DWORD FMainThreadId = 0;
};
