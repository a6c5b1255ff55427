#include "crash/win32/ThreadInfoBuffer.h"

#include <cstdio>
#include <cstring>

#include "crash/win32/ProcessObjectName.h"
#include "platform/win32/MutexHold.h"
#include "platform/win32/ToolhelpSnapshot.h"

#ifndef _WIN64
static_assert(sizeof(TThreadInfoBlock) == 20, "the shared block is 20 bytes");
#endif

// Plain data on the process heap: every module reads and frees it alike.
struct TThreadInfoEntry {
  DWORD ThreadId;
  char Name[64];
  TThreadInfoEntry* Next;
  char ClassName[64];
  std::uintptr_t CreationAddress;
  DWORD CreatorThreadId;
  HANDLE Thread;  // synchronize and query rights; null when none was given
};

namespace {

void CopyText(char (&target)[64], const std::string& text) {
  const std::size_t length = text.size() < sizeof target - 1 ? text.size() : sizeof target - 1;
  std::memcpy(target, text.data(), length);
  target[length] = '\0';
}

void FreeEntry(TThreadInfoEntry* entry) {
  if (entry->Thread != nullptr) CloseHandle(entry->Thread);
  HeapFree(GetProcessHeap(), 0, entry);
}

}  // namespace

std::string TThreadInfoBuffer::BufferName() { return WithProcessId("OstrelThreadNameBuf"); }

std::unique_ptr<TThreadInfoBuffer> TThreadInfoBuffer::Open() {
  return OpenNamed(BufferName(), WithProcessId("OstrelThreadNameMtx"));
}

std::unique_ptr<TThreadInfoBuffer> TThreadInfoBuffer::OpenNamed(const std::string& bufferName,
                                                                const std::string& mutexName) {
  // Creation and first set-up are one step for every module of the process.
  TKernelHandle creation(CreateMutexA(nullptr, FALSE, mutexName.c_str()));
  if (!creation) return nullptr;
  const HANDLE creationMutex = creation.Get();
  TMutexHold hold(creationMutex, INFINITE);
  TKernelHandle mapping(
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TThreadInfoBlock), bufferName.c_str()));
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  if (!mapping) return nullptr;
  TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(TThreadInfoBlock)));
  if (!view) return nullptr;
  auto* block = static_cast<TThreadInfoBlock*>(view.Get());
  if (!existed) {
    TKernelHandle freezeMutex(CreateMutexA(nullptr, FALSE, nullptr));
    TKernelHandle listMutex(CreateMutexA(nullptr, FALSE, nullptr));
    if (!freezeMutex || !listMutex) return nullptr;
    block->FreezeWatchMutex = freezeMutex.Release();
    block->ListMutex = listMutex.Release();
    block->Head = nullptr;
    block->RefCount = 0;
    block->Mapping = mapping.Get();
  }
  ++block->RefCount;
  std::unique_ptr<TThreadInfoBuffer> buffer(new TThreadInfoBuffer(std::move(mapping), std::move(view)));
  buffer->FCreationMutex.Reset(creation.Release());
  if (!existed) {
    buffer->FMainThreadId = FirstThreadOfProcess();
    buffer->RecordThreadInfo(buffer->FMainThreadId, nullptr, "main thread", 0, 0, "");
  } else {
    TMutexHold list(block->ListMutex, INFINITE);
    for (TThreadInfoEntry* e = block->Head; e != nullptr; e = e->Next)
      if (std::strcmp(e->Name, "main thread") == 0) buffer->FMainThreadId = e->ThreadId;
  }
  return buffer;
}

TThreadInfoBuffer::TThreadInfoBuffer(TKernelHandle mapping, TMappedView view)
    : FMapping(std::move(mapping)), FView(std::move(view)), FBlock(static_cast<TThreadInfoBlock*>(FView.Get())) {}

TThreadInfoBuffer::~TThreadInfoBuffer() {
  // A module opening the block meanwhile finds either a live block or none.
  TMutexHold hold(FCreationMutex.Get(), INFINITE);
  if (InterlockedDecrement(&FBlock->RefCount) == 0) {
    for (TThreadInfoEntry* e = FBlock->Head; e != nullptr;) {
      TThreadInfoEntry* next = e->Next;
      FreeEntry(e);
      e = next;
    }
    FBlock->Head = nullptr;
    CloseHandle(FBlock->ListMutex);
    CloseHandle(FBlock->FreezeWatchMutex);
  }
  FView.Reset();
  FMapping.Reset();
}

DWORD TThreadInfoBuffer::FirstThreadOfProcess() {
  const DWORD process = GetCurrentProcessId();
  DWORD first = GetCurrentThreadId();
  WalkToolhelpSnapshot<THREADENTRY32>(0, [&](const THREADENTRY32& entry) {
    if (entry.th32OwnerProcessID != process) return true;
    first = entry.th32ThreadID;
    return false;
  });
  return first;
}

TThreadInfoEntry* TThreadInfoBuffer::EntryOf(DWORD threadId) {
  for (TThreadInfoEntry* e = FBlock->Head; e != nullptr; e = e->Next)
    if (e->ThreadId == threadId) return e;
  return nullptr;
}

void TThreadInfoBuffer::PruneEnded() {
  for (TThreadInfoEntry** link = &FBlock->Head; *link != nullptr;) {
    TThreadInfoEntry* e = *link;
    if (e->Thread != nullptr && WaitForSingleObject(e->Thread, 0) == WAIT_OBJECT_0) {
      *link = e->Next;
      FreeEntry(e);
    } else {
      link = &e->Next;
    }
  }
}

void TThreadInfoBuffer::RecordThreadInfo(DWORD threadId, HANDLE thread, const std::string& name,
                                         DWORD creatorThreadId, std::uintptr_t creationAddress,
                                         const std::string& className) {
  TMutexHold hold(FBlock->ListMutex, INFINITE);
  PruneEnded();
  const bool remove = thread == nullptr && name.empty() && creatorThreadId == 0 && creationAddress == 0 &&
                      className.empty();
  TThreadInfoEntry* entry = EntryOf(threadId);
  if (remove) {
    for (TThreadInfoEntry** link = &FBlock->Head; *link != nullptr; link = &(*link)->Next)
      if (*link == entry) {
        *link = entry->Next;
        FreeEntry(entry);
        break;
      }
    return;
  }
  if (entry == nullptr) {
    entry = static_cast<TThreadInfoEntry*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(TThreadInfoEntry)));
    if (entry == nullptr) return;
    entry->ThreadId = threadId;
    entry->Next = FBlock->Head;
    FBlock->Head = entry;
  }
  if (thread != nullptr) {
    HANDLE own = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &own, SYNCHRONIZE | THREAD_QUERY_INFORMATION,
                        FALSE, 0)) {
      if (entry->Thread != nullptr) CloseHandle(entry->Thread);
      entry->Thread = own;
    }
  }
  if (!name.empty()) CopyText(entry->Name, name);
  if (!className.empty()) CopyText(entry->ClassName, className);
  if (creatorThreadId != 0) entry->CreatorThreadId = creatorThreadId;
  if (creationAddress != 0) entry->CreationAddress = creationAddress;
}

void TThreadInfoBuffer::RecordThreadName(DWORD threadId, const std::string& name) {
  if (!name.empty()) RecordThreadInfo(threadId, nullptr, name, 0, 0, "");
}

bool TThreadInfoBuffer::Find(DWORD threadId, TThreadInfo& info, DWORD waitMs) {
  TMutexHold hold(FBlock->ListMutex, waitMs);
  if (!hold.Held()) return false;
  const TThreadInfoEntry* entry = EntryOf(threadId);
  if (entry == nullptr) return false;
  info.ThreadId = entry->ThreadId;
  info.Name = entry->Name;
  info.ClassName = entry->ClassName;
  info.CreatorThreadId = entry->CreatorThreadId;
  info.CreationAddress = entry->CreationAddress;
  return true;
}

bool TThreadInfoBuffer::HandleNamingException(const EXCEPTION_RECORD& record) {
  if (record.ExceptionCode != kThreadNamingException || record.NumberParameters < 4) return false;
  const ULONG_PTR* info = record.ExceptionInformation;
  if (info[0] != 0x1000 || info[3] != 0) return false;
  const char* name = reinterpret_cast<const char*>(info[1]);
  char copy[64] = {};
  // The name lies in the raising thread's memory, which may be anything.
  SIZE_T read = 0;
  if (name == nullptr || !ReadProcessMemory(GetCurrentProcess(), name, copy, sizeof copy - 1, &read)) {
    // A name near the end of readable memory: take what can be read byte by byte.
    for (read = 0; name != nullptr && read < sizeof copy - 1; ++read)
      if (!ReadProcessMemory(GetCurrentProcess(), name + read, copy + read, 1, nullptr)) break;
  }
  copy[read < sizeof copy ? read : sizeof copy - 1] = '\0';
  const DWORD threadId = static_cast<DWORD>(info[2]) == static_cast<DWORD>(-1) ? GetCurrentThreadId()
                                                                               : static_cast<DWORD>(info[2]);
  RecordThreadName(threadId, std::string(copy, strnlen(copy, sizeof copy)));
  return true;
}
