#pragma once
// The "cpu registers" and "stack dump" sections of a processor context of
// this process. The stack is read through guarded reads up to the end of its
// memory region. Any thread.
#include <windows.h>

#include <string>

#include "crash/report/ContextSections.h"

TCpuRegisters RegistersOf(const CONTEXT& context);
std::string CpuRegistersSectionOf(const CONTEXT& context);
std::string StackDumpSectionOf(const CONTEXT& context);
