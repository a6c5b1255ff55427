#include "crash/win32/SharedSettingsBuffer.h"

#include <cstdio>

#include "crash/win32/ProcessObjectName.h"
#include "platform/win32/MutexHold.h"

#ifndef _WIN64
static_assert(sizeof(TSharedSettingsBlock) == 40, "the shared block is 40 bytes");
#endif

namespace {

HANDLE CreateSharedMutex(const std::string& name) {
  // Everyone may open it: a null access list.
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  return CreateMutexA(&attributes, FALSE, name.c_str());
}

}  // namespace

std::string TSharedSettingsBuffer::BufferName() { return WithProcessId("OstrelSettingsBuf"); }
std::string TSharedSettingsBuffer::MutexName() { return WithProcessId("OstrelSettingsMtx"); }

std::unique_ptr<TSharedSettingsBuffer> TSharedSettingsBuffer::Open() {
  return OpenNamed(BufferName(), MutexName());
}

std::unique_ptr<TSharedSettingsBuffer> TSharedSettingsBuffer::OpenNamed(const std::string& bufferName,
                                                                        const std::string& mutexName) {
  // Every handle is owned from the moment it exists: whichever step fails,
  // the mutex is released, and what was opened is closed.
  TKernelHandle mutex(CreateSharedMutex(mutexName));
  if (!mutex) return nullptr;
  std::unique_ptr<TSharedSettingsBuffer> buffer;
  {
    TMutexHold hold(mutex.Get());
    TKernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                             sizeof(TSharedSettingsBlock), bufferName.c_str()));
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (!mapping) return nullptr;
    TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(TSharedSettingsBlock)));
    if (!view) return nullptr;
    const HANDLE mappingHandle = mapping.Get();
    buffer.reset(new TSharedSettingsBuffer(std::move(mapping), std::move(view)));
    // Nothing below can fail: the block is set up and counted only for a
    // buffer that will uncount it.
    TSharedSettingsBlock* block = buffer->FBlock;
    if (!existed) {
      block->RefCount = 0;
      block->Mapping = mappingHandle;
      InitializeCriticalSection(&block->Lock);
      block->Head = nullptr;
      block->Reserved = 0;
    }
    ++block->RefCount;
  }
  buffer->FMutex = std::move(mutex);
  return buffer;
}

TSharedSettingsBuffer::TSharedSettingsBuffer(TKernelHandle mapping, TMappedView view)
    : FMapping(std::move(mapping)),
      FView(std::move(view)),
      FBlock(static_cast<TSharedSettingsBlock*>(FView.Get())),
      FList(std::make_unique<TModuleSettingsList>(*this, FBlock->Head)) {}

TSharedSettingsBuffer::~TSharedSettingsBuffer() {
  FList.reset();
  TMutexHold hold(FMutex.Get());
  if (--FBlock->RefCount == 0) DeleteCriticalSection(&FBlock->Lock);
  // Gone before the mutex is released: a module opening the buffer next finds
  // either a live block or none.
  FView.Reset();
  FMapping.Reset();
}

void TSharedSettingsBuffer::Lock() { EnterCriticalSection(&FBlock->Lock); }
void TSharedSettingsBuffer::Unlock() { LeaveCriticalSection(&FBlock->Lock); }
