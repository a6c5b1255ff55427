#include "crash/win32/SharedSettingsBuffer.h"

#include <cstdio>

#ifndef _WIN64
static_assert(sizeof(TSharedSettingsBlock) == 40, "the shared block is 40 bytes");
#endif

namespace {

std::string WithProcessId(const char* prefix) {
  char name[64];
  std::snprintf(name, sizeof name, "%s$%lx", prefix, static_cast<unsigned long>(GetCurrentProcessId()));
  return name;
}

// Held while the buffer is created, opened or torn down.
class TMutexHold {
 public:
  explicit TMutexHold(HANDLE mutex) : FMutex(mutex) { WaitForSingleObject(FMutex, INFINITE); }
  ~TMutexHold() { ReleaseMutex(FMutex); }
  TMutexHold(const TMutexHold&) = delete;
  TMutexHold& operator=(const TMutexHold&) = delete;

 private:
  HANDLE FMutex;
};

HANDLE CreateSharedMutex() {
  // Everyone may open it: a null access list.
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  return CreateMutexA(&attributes, FALSE, TSharedSettingsBuffer::MutexName().c_str());
}

}  // namespace

std::string TSharedSettingsBuffer::BufferName() { return WithProcessId("OstrelSettingsBuf"); }
std::string TSharedSettingsBuffer::MutexName() { return WithProcessId("OstrelSettingsMtx"); }

std::unique_ptr<TSharedSettingsBuffer> TSharedSettingsBuffer::Open() {
  HANDLE mutex = CreateSharedMutex();
  if (mutex == nullptr) return nullptr;
  TSharedSettingsBlock* block = nullptr;
  HANDLE mapping = nullptr;
  {
    TMutexHold hold(mutex);
    mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                 sizeof(TSharedSettingsBlock), BufferName().c_str());
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (mapping != nullptr)
      block = static_cast<TSharedSettingsBlock*>(
          MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(TSharedSettingsBlock)));
    if (block == nullptr) {
      if (mapping != nullptr) CloseHandle(mapping);
      CloseHandle(mutex);
      return nullptr;
    }
    if (!existed) {
      block->RefCount = 0;
      block->Mapping = mapping;
      InitializeCriticalSection(&block->Lock);
      block->Head = nullptr;
      block->Reserved = 0;
    }
    ++block->RefCount;
  }
  return std::unique_ptr<TSharedSettingsBuffer>(new TSharedSettingsBuffer(mutex, mapping, block));
}

TSharedSettingsBuffer::TSharedSettingsBuffer(HANDLE mutex, HANDLE mapping, TSharedSettingsBlock* block)
    : FMutex(mutex), FMapping(mapping), FBlock(block) {
  FList = std::make_unique<TModuleSettingsList>(*this, FBlock->Head);
}

TSharedSettingsBuffer::~TSharedSettingsBuffer() {
  FList.reset();
  {
    TMutexHold hold(FMutex);
    if (--FBlock->RefCount == 0) DeleteCriticalSection(&FBlock->Lock);
    UnmapViewOfFile(FBlock);
    CloseHandle(FMapping);
  }
  CloseHandle(FMutex);
}

void TSharedSettingsBuffer::Lock() { EnterCriticalSection(&FBlock->Lock); }
void TSharedSettingsBuffer::Unlock() { LeaveCriticalSection(&FBlock->Lock); }
