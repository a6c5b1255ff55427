// Guarded reads of the live process: what is readable is copied, a page that
// is not ends the copy without a fault.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "crash/map/InstructionDecoder.h"
#include "crash/map/win32/ProcessCodeReader.h"
#include "platform/ScopeGuard.h"

namespace {

TAddress AddressOf(const void* p) { return static_cast<TAddress>(reinterpret_cast<std::uintptr_t>(p)); }

TEST(ProcessCodeReader, StopsAtTheFirstPageThatCannotBeRead) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const DWORD page = system.dwPageSize;
  char* region = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(region, nullptr);
  auto release = OnScopeExit([&] { VirtualFree(region, 0, MEM_RELEASE); });
  ASSERT_NE(VirtualAlloc(region, page, MEM_COMMIT, PAGE_READWRITE), nullptr);
  std::memset(region, 0x5a, page);

  char buffer[64] = {};
  const TProcessCodeReader& reader = TProcessCodeReader::Instance();
  EXPECT_EQ(reader.Read(AddressOf(region + page - 16), buffer, sizeof buffer), 16u);
  EXPECT_EQ(buffer[15], 0x5a);
  EXPECT_EQ(reader.Read(AddressOf(region + page), buffer, sizeof buffer), 0u);
  EXPECT_EQ(reader.Read(0, buffer, sizeof buffer), 0u);

  // An instruction cut by the unreadable page is no instruction.
  region[page - 1] = static_cast<char>(0xe8);
  const TInstruction cut = DecodeInstruction(reader, AddressOf(region + page - 1));
  EXPECT_FALSE(cut.Valid);
  EXPECT_EQ(cut.Length, 1u);
}

}  // namespace
