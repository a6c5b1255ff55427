#include "crash/win32/RestartHandOver.h"

#include <cstdio>
#include <string>

#include "platform/win32/HandleOwners.h"

static_assert(sizeof(TRestartRecord) == 88, "the restart record is 88 bytes");

namespace {

std::string RecordName(DWORD processId) {
  char name[48];
  std::snprintf(name, sizeof name, "OstrelRestart$%lx", static_cast<unsigned long>(processId));
  return name;
}

}  // namespace

bool WriteRestartRecord(HANDLE newProcess, DWORD newProcessId, DWORD oldProcessId, const TRestartHistory& history) {
  TKernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TRestartRecord),
                                           RecordName(newProcessId).c_str()));
  if (!mapping) return false;
  TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(TRestartRecord)));
  if (!view) return false;
  HANDLE inNewProcess = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), mapping.Get(), newProcess, &inNewProcess, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    return false;
  auto* record = static_cast<TRestartRecord*>(view.Get());
  record->OldProcessId = oldProcessId;
  record->MappingInNewProcess = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(inNewProcess));
  record->History = history;
  return true;
}

bool TakeOverRestartRecord(TRestartHistory& history) {
  TKernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, RecordName(GetCurrentProcessId()).c_str()));
  if (!mapping) return false;
  TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(TRestartRecord)));
  if (!view) return false;
  const TRestartRecord record = *static_cast<const TRestartRecord*>(view.Get());
  // The handle the old process made for us keeps the block alive; it is ours to close.
  CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(record.MappingInNewProcess)));
  TKernelHandle old(OpenProcess(SYNCHRONIZE, FALSE, record.OldProcessId));
  if (old) WaitForSingleObject(old.Get(), INFINITE);
  history = record.History;
  return true;
}
