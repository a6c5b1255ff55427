#include "crash/map/win32/ModuleCalibration.h"

#include <cstring>
#include <vector>

#include "crash/map/MapResource.h"
#include "crash/map/win32/Win32MapSources.h"
#include "platform/win32/HandleOwners.h"
#include "platform/win32/ToolhelpSnapshot.h"

// The anchors of the reporter's own module: a routine in its code and a
// variable in its data whose places the build measured.
extern "C" __attribute__((noinline, used)) void RavelinCalibrationMarker() { __asm__ volatile(""); }
extern "C" {
__attribute__((used)) volatile std::uint32_t gRavelinCalibrationMarker = 0x43414c42;
}

namespace {

// Offsets of the five fields inside the 32-bit optional header.
constexpr std::size_t kSizeOfCode = 4, kSizeOfInitializedData = 8, kSizeOfUninitializedData = 12;
constexpr std::size_t kBaseOfCode = 20, kBaseOfData = 24;
constexpr SIZE_T kOptionalHeaderSize = 224;

TAddress AddressOf(const volatile void* p) {
  return static_cast<TAddress>(reinterpret_cast<std::uintptr_t>(const_cast<const void*>(p)));
}

std::uint8_t* OptionalHeader(HMODULE module) {
  auto* base = reinterpret_cast<std::uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) return nullptr;
  return reinterpret_cast<std::uint8_t*>(&nt->OptionalHeader);
}

HMODULE ReporterModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&RavelinCalibrationMarker), &module);
  return module;
}

void Put(std::uint8_t* header, std::size_t offset, std::uint32_t value) {
  std::memcpy(header + offset, &value, sizeof value);
}

std::uint32_t Get(const std::uint8_t* header, std::size_t offset) {
  std::uint32_t value = 0;
  std::memcpy(&value, header + offset, sizeof value);
  return value;
}

}  // namespace

TAddress CalibrationMarkerRoutine() { return AddressOf(reinterpret_cast<const void*>(&RavelinCalibrationMarker)); }

TAddress CalibrationMarkerVariable() { return AddressOf(&gRavelinCalibrationMarker); }

std::optional<TCalibrationRecord> CalibrationRecordOf(HMODULE module) {
  const std::optional<std::string> bytes = ModuleResource(module, kCalibrationResourceName, kMapResourceType);
  return bytes ? ParseCalibrationRecord(*bytes) : std::nullopt;
}

bool ApplyCalibration(HMODULE module, const TCalibrationRecord& record) {
  std::uint8_t* header = OptionalHeader(module);
  if (header == nullptr) return false;
  const std::optional<TCalibratedHeader> fields =
      CalibratedHeader(record, module == ReporterModule(), AddressOf(module), CalibrationMarkerRoutine(),
                       CalibrationMarkerVariable());
  if (!fields) return false;
  DWORD old = 0;
  if (!VirtualProtect(header, kOptionalHeaderSize, PAGE_READWRITE, &old)) return false;
  Put(header, kBaseOfCode, fields->BaseOfCode);
  Put(header, kSizeOfCode, fields->SizeOfCode);
  Put(header, kBaseOfData, fields->BaseOfData);
  Put(header, kSizeOfInitializedData, fields->SizeOfInitializedData);
  Put(header, kSizeOfUninitializedData, fields->SizeOfUninitializedData);
  DWORD ignored = 0;
  VirtualProtect(header, kOptionalHeaderSize, old, &ignored);
  return true;
}

TCalibratedHeader CurrentCalibratedHeader(HMODULE module) {
  TCalibratedHeader fields;
  const std::uint8_t* header = OptionalHeader(module);
  if (header == nullptr) return fields;
  fields.BaseOfCode = Get(header, kBaseOfCode);
  fields.SizeOfCode = Get(header, kSizeOfCode);
  fields.BaseOfData = Get(header, kBaseOfData);
  fields.SizeOfInitializedData = Get(header, kSizeOfInitializedData);
  fields.SizeOfUninitializedData = Get(header, kSizeOfUninitializedData);
  return fields;
}

bool CalibrateModule(HMODULE module) {
  const std::optional<TCalibrationRecord> record = CalibrationRecordOf(module);
  return record && ApplyCalibration(module, *record);
}

int CalibrateLoadedModules() {
  std::vector<HMODULE> modules;
  const bool listed = WalkToolhelpSnapshot<MODULEENTRY32W>(GetCurrentProcessId(), [&](const MODULEENTRY32W& entry) {
    modules.push_back(entry.hModule);
    return true;
  });
  if (!listed) return 0;
  int rewritten = 0;
  for (HMODULE module : modules)
    if (CalibrateModule(module)) ++rewritten;
  return rewritten;
}
