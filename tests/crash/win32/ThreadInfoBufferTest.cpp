// The shared thread-information list: one block for every module of the
// process (two opens here stand for two modules), names kept and replaced,
// ended threads dropped, the system's naming exception, a busy list.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "crash/win32/ThreadInfoBuffer.h"

namespace {

std::unique_ptr<TThreadInfoBuffer> OpenTestBuffer() {
  const std::string suffix = "$test" + std::to_string(GetCurrentProcessId());
  return TThreadInfoBuffer::OpenNamed("RavelinThreadInfoBuf" + suffix, "RavelinThreadInfoMtx" + suffix);
}

DWORD WINAPI EndAtOnce(void*) { return 0; }

TEST(ThreadInfoBuffer, ModulesShareOneListThatNamesTheMainThread) {
  auto first = OpenTestBuffer();
  ASSERT_TRUE(first);
  auto second = OpenTestBuffer();
  ASSERT_TRUE(second);
  // The test runs on the process's first thread.
  EXPECT_EQ(first->MainThreadId(), GetCurrentThreadId());
  EXPECT_EQ(second->MainThreadId(), first->MainThreadId());
  EXPECT_EQ(first->FreezeWatchMutex(), second->FreezeWatchMutex());
  TThreadInfo info;
  ASSERT_TRUE(second->Find(GetCurrentThreadId(), info));
  EXPECT_EQ(info.Name, "main thread");

  first->RecordThreadInfo(4242, nullptr, "worker", 77, 0x401234, "TWorkingThread");
  ASSERT_TRUE(second->Find(4242, info));
  EXPECT_EQ(info.Name, "worker");
  EXPECT_EQ(info.CreatorThreadId, 77u);
  EXPECT_EQ(info.CreationAddress, 0x401234u);
  EXPECT_EQ(info.ClassName, "TWorkingThread");
  // Empty values keep what the entry had.
  second->RecordThreadName(4242, "renamed");
  ASSERT_TRUE(first->Find(4242, info));
  EXPECT_EQ(info.Name, "renamed");
  EXPECT_EQ(info.ClassName, "TWorkingThread");
  // All values empty remove it.
  first->RecordThreadInfo(4242, nullptr, "", 0, 0, "");
  EXPECT_FALSE(second->Find(4242, info));
}

TEST(ThreadInfoBuffer, AnEndedThreadsEntryGoesAtTheNextWrite) {
  auto buffer = OpenTestBuffer();
  ASSERT_TRUE(buffer);
  DWORD id = 0;
  TKernelHandle thread(CreateThread(nullptr, 0, EndAtOnce, nullptr, CREATE_SUSPENDED, &id));
  buffer->RecordThreadInfo(id, thread.Get(), "short-lived", 0, 0, "");
  TThreadInfo info;
  ASSERT_TRUE(buffer->Find(id, info));
  ResumeThread(thread.Get());
  WaitForSingleObject(thread.Get(), INFINITE);
  EXPECT_TRUE(buffer->Find(id, info));  // nothing written since
  buffer->RecordThreadName(1, "other");
  EXPECT_FALSE(buffer->Find(id, info));
}

TEST(ThreadInfoBuffer, TheNamingExceptionNamesAThread) {
  auto buffer = OpenTestBuffer();
  ASSERT_TRUE(buffer);
  const char name[] = "ScanThread";
  EXCEPTION_RECORD record{};
  record.ExceptionCode = kThreadNamingException;
  record.NumberParameters = 4;
  record.ExceptionInformation[0] = 0x1000;
  record.ExceptionInformation[1] = reinterpret_cast<ULONG_PTR>(name);
  record.ExceptionInformation[2] = static_cast<ULONG_PTR>(-1);
  record.ExceptionInformation[3] = 0;
  ASSERT_TRUE(buffer->HandleNamingException(record));
  TThreadInfo info;
  ASSERT_TRUE(buffer->Find(GetCurrentThreadId(), info));
  EXPECT_EQ(info.Name, "ScanThread");
  // Another thread's id, and records that are not the request.
  record.ExceptionInformation[2] = 5150;
  ASSERT_TRUE(buffer->HandleNamingException(record));
  ASSERT_TRUE(buffer->Find(5150, info));
  record.ExceptionInformation[3] = 1;
  EXPECT_FALSE(buffer->HandleNamingException(record));
  record.ExceptionInformation[3] = 0;
  record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
  EXPECT_FALSE(buffer->HandleNamingException(record));
  buffer->RecordThreadName(GetCurrentThreadId(), "main thread");
}

DWORD WINAPI HoldList(void* parameter) {
  auto* events = static_cast<HANDLE*>(parameter);
  // The list's mutex is the block's; holding it from here makes it busy.
  WaitForSingleObject(events[2], INFINITE);
  SetEvent(events[0]);
  WaitForSingleObject(events[1], INFINITE);
  ReleaseMutex(events[2]);
  return 0;
}

TEST(ThreadInfoBuffer, ABusyListIsGivenUpAfterTheWait) {
  auto buffer = OpenTestBuffer();
  ASSERT_TRUE(buffer);
  // The list mutex, reached the way another module's copy of the code would.
  const std::string name = "RavelinThreadInfoBuf$test" + std::to_string(GetCurrentProcessId());
  TKernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()));
  ASSERT_TRUE(mapping);
  TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(TThreadInfoBlock)));
  ASSERT_TRUE(view);
  TKernelHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr)), release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE events[3] = {held.Get(), release.Get(), static_cast<TThreadInfoBlock*>(view.Get())->ListMutex};
  TKernelHandle holder(CreateThread(nullptr, 0, HoldList, events, 0, nullptr));
  WaitForSingleObject(held.Get(), INFINITE);
  TThreadInfo info;
  EXPECT_FALSE(buffer->Find(GetCurrentThreadId(), info, 0));
  EXPECT_FALSE(buffer->Find(GetCurrentThreadId(), info, 50)) << "held through the whole wait";
  // Let go while the next one waits, with no end to its wait: it reads the list.
  SetEvent(release.Get());
  EXPECT_TRUE(buffer->Find(GetCurrentThreadId(), info, INFINITE));
  WaitForSingleObject(holder.Get(), INFINITE);
  EXPECT_TRUE(buffer->Find(GetCurrentThreadId(), info, 0));
}

}  // namespace
