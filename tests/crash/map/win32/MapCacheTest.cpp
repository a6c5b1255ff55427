// The module list's map cache: a module's map information is kept while its
// file stays unchanged and read again once the file's last write time moves,
// as when the module is rebuilt while the program runs.
#include <gtest/gtest.h>
#include <windows.h>

#include "crash/map/win32/ModuleList.h"
#include "platform/ScopeGuard.h"
#include "platform/win32/HandleOwners.h"

namespace {

__attribute__((noinline)) int ProbeFunction(int value) { return value * 3 + 1; }

std::string OwnPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length);
}

TEST(ModuleMapCache, ARebuiltModuleGetsFreshMapInformationAtTheNextLookup) {
  const TAddress probe = static_cast<TAddress>(reinterpret_cast<std::uintptr_t>(&ProbeFunction));
  const auto first = TModuleList::Instance().MapOfAddress(probe);
  ASSERT_TRUE(first && first->Valid);
  EXPECT_EQ(TModuleList::Instance().MapOfAddress(probe).get(), first.get());

  TFileHandle file(CreateFileA(OwnPath().c_str(), FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                               nullptr));
  ASSERT_TRUE(file) << GetLastError();
  FILETIME written;
  ASSERT_TRUE(GetFileTime(file.Get(), nullptr, nullptr, &written));
  const auto restore = OnScopeExit([&] { SetFileTime(file.Get(), nullptr, nullptr, &written); });
  // Four seconds later: two steps of the DOS time's two-second resolution.
  ULARGE_INTEGER later;
  later.LowPart = written.dwLowDateTime;
  later.HighPart = written.dwHighDateTime;
  later.QuadPart += 4ull * 10000000ull;
  FILETIME rebuilt{later.LowPart, later.HighPart};
  ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &rebuilt));

  const auto second = TModuleList::Instance().MapOfAddress(probe);
  ASSERT_TRUE(second && second->Valid);
  EXPECT_NE(second.get(), first.get());
  EXPECT_EQ(first.use_count(), 1);  // the cache let go of the old map
  EXPECT_EQ(second->FunctionNameAt(probe), first->FunctionNameAt(probe));
  // The fresh map is the one kept from now on.
  EXPECT_EQ(TModuleList::Instance().MapOfAddress(probe).get(), second.get());
}

TEST(ModuleMapCache, AModuleWithoutMapInformationIsNotProbedAgainAtEveryLookup) {
  // A system module carries no map resource and has no map files beside it.
  const HMODULE system = GetModuleHandleA("kernel32.dll");
  ASSERT_NE(system, nullptr);
  const TAddress inside = static_cast<TAddress>(
      reinterpret_cast<std::uintptr_t>(GetProcAddress(system, "GetCurrentProcessId")));
  const auto first = TModuleList::Instance().MapOfAddress(inside);
  ASSERT_TRUE(first);
  ASSERT_FALSE(first->Valid);
  // The second lookup answers from the cache: the very same (empty) answer.
  const auto second = TModuleList::Instance().MapOfAddress(inside);
  EXPECT_EQ(second.get(), first.get());
  EXPECT_FALSE(second->Valid);
}

}  // namespace
