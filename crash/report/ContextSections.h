#pragma once
// The sections drawn from a processor context: the registers and a dump of
// the stack from the stack pointer.
#include <cstdint>
#include <string>
#include <vector>

struct TCpuRegisters {
  std::uint32_t Eax = 0, Ebx = 0, Ecx = 0, Edx = 0, Esi = 0, Edi = 0, Eip = 0, Esp = 0, Ebp = 0;
};

// Nine lines "eax = 0012ff4c".
std::string CpuRegistersSection(const TCpuRegisters& registers);

// Up to 20 lines of 16 bytes from the stack pointer. bytes holds what could be
// read from there, at most up to the end of the stack's memory region;
// positions past it show as blanks.
std::string StackDumpSection(std::uint32_t stackPointer, const std::vector<std::uint8_t>& bytes);

// How many bytes the dump wants from the stack pointer, given where its
// memory region ends.
std::uint32_t StackDumpLength(std::uint32_t stackPointer, std::uint32_t regionEnd);
