#include "crash/report/win32/ContextCapture.h"

#include <vector>

TCpuRegisters RegistersOf(const CONTEXT& c) {
  TCpuRegisters r;
  r.Eax = c.Eax;
  r.Ebx = c.Ebx;
  r.Ecx = c.Ecx;
  r.Edx = c.Edx;
  r.Esi = c.Esi;
  r.Edi = c.Edi;
  r.Eip = c.Eip;
  r.Esp = c.Esp;
  r.Ebp = c.Ebp;
  return r;
}

std::string CpuRegistersSectionOf(const CONTEXT& context) { return CpuRegistersSection(RegistersOf(context)); }

std::string StackDumpSectionOf(const CONTEXT& context) {
  MEMORY_BASIC_INFORMATION region{};
  const auto* stack = reinterpret_cast<const std::uint8_t*>(static_cast<std::uintptr_t>(context.Esp));
  if (VirtualQuery(stack, &region, sizeof region) != sizeof region || region.State != MEM_COMMIT) return {};
  const auto end = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize);
  std::vector<std::uint8_t> bytes(StackDumpLength(context.Esp, end));
  SIZE_T read = 0;
  // A fault counts as the end of what can be shown.
  if (!ReadProcessMemory(GetCurrentProcess(), stack, bytes.data(), bytes.size(), &read)) read = 0;
  bytes.resize(read);
  return StackDumpSection(context.Esp, bytes);
}
