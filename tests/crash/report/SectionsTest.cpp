#include <gtest/gtest.h>

#include "crash/report/ContextSections.h"
#include "crash/report/HardwareSection.h"
#include "crash/report/ProcessSections.h"
#include "crash/report/SectionPlan.h"
#include "crash/report/ThreadSections.h"
#include "crash/stack/StackChecksum.h"

namespace {

TThreadSnapshot Thread(std::uint32_t id, const char* name, bool main = false, bool failing = false) {
  TThreadSnapshot t;
  t.Id = id;
  t.RecordedName = name;
  t.IsMain = main;
  t.IsFailing = failing;
  return t;
}

TEST(ThreadSections, Names) {
  TThreadSnapshot main = Thread(0x1a4, "main thread", true);
  TThreadSnapshot worker = Thread(0xBEEF, "");
  worker.ClassName = "WorkingThread";
  worker.SuspendCount = 1;
  worker.Priority = -2;
  TThreadSnapshot plain = Thread(0x10, "");
  plain.Priority = 2;
  EXPECT_EQ(ThreadSectionName(main, true), "main thread ($1a4):");
  EXPECT_EQ(ThreadSectionName(worker, true), "thread $beef (WorkingThread) <suspended> <priority:-2>:");
  EXPECT_EQ(ThreadSectionName(plain, true), "thread $10 <priority:2>:");
  // Without the thread list only the id is known.
  EXPECT_EQ(ThreadSectionName(main, false), "thread $1a4:");
  EXPECT_EQ(ThreadDisplayName(worker, false), "thread $beef");
}

TEST(ThreadSections, Order) {
  const std::vector<TThreadSnapshot> threads = {
      Thread(1, "watch"), Thread(2, "-"), Thread(3, "main thread", true), Thread(4, "", false, true),
      Thread(5, "-", false, false), Thread(6, "pump")};
  const struct {
    TThreadOrderInput input;
    std::vector<std::size_t> order;
  } cases[] = {
      {{false, true, false}, {3, 2, 0, 5}},
      {{false, false, false}, {3, 2}},
      {{true, true, false}, {2, 0, 3, 5}},  // a freeze: the main thread first, no failing thread
      {{true, false, false}, {2}},
      {{false, true, true}, {3, 2, 0, 1, 4, 5}},  // serving a trace request: the reporter's threads too
  };
  for (const auto& c : cases)
    EXPECT_EQ(ThreadSectionOrder(threads, c.input), c.order) << c.input.IsFreeze << c.input.ListThreads;

  // The failing thread is listed even when it is one of the reporter's own,
  // and only once when it is the main thread.
  const std::vector<TThreadSnapshot> own = {Thread(7, "-", false, true), Thread(8, "main thread", true, true)};
  EXPECT_EQ(ThreadSectionOrder(own, {false, true, false}), std::vector<std::size_t>({0, 1}));
  const std::vector<TThreadSnapshot> mainFails = {Thread(8, "main thread", true, true), Thread(9, "")};
  EXPECT_EQ(ThreadSectionOrder(mainFails, {false, true, false}), std::vector<std::size_t>({0, 1}));
}

TEST(ThreadSections, Contents) {
  EXPECT_EQ(ThreadStackContent("inner\r\nouter\r\ncreation", "main thread ($1a4)"),
            "inner\r\nouter\r\n>> created by main thread ($1a4) at:\r\ncreation");
  EXPECT_EQ(ThreadStackContent("creation", "main thread ($1a4)"),
            ">> created by main thread ($1a4) at:\r\ncreation");
  EXPECT_EQ(ThreadStackContent("inner\r\nouter", ""), "inner\r\nouter");
  EXPECT_EQ(ThreadStackContent("", "someone"), "");
  EXPECT_EQ(ThreadPlaceholder("00401000 Ravelin.exe Main 12 Foo"),
            "00401000 Ravelin.exe Main 12 Foo\r\n>> stack will be calculated soon");
  EXPECT_EQ(StackNotAccessibleText(false, "ignored"), ">> stack not accessible");
  EXPECT_EQ(StackNotAccessibleText(true, "00401000 Ravelin.exe"),
            ">> stack not accessible, exception location: \r\n00401000 Ravelin.exe");
}

TEST(ThreadSections, ThirdChecksumFoldsThreadsWithLineInformation) {
  EXPECT_EQ(FoldThirdChecksum(0x11111111, {}), 0x11111111u);
  EXPECT_EQ(FoldThirdChecksum(0x11111111, {{false, 0x22222222}}), 0x11111111u);
  const std::uint32_t one = Crc32UpdateValue(0x11111111, 0x22222222);
  EXPECT_EQ(FoldThirdChecksum(0x11111111, {{true, 0x22222222}, {false, 0x5}}), one);
  EXPECT_EQ(FoldThirdChecksum(0x11111111, {{true, 0x22222222}, {true, 0x33333333}}),
            Crc32UpdateValue(one, 0x33333333));
  // The order of the sections matters.
  EXPECT_NE(FoldThirdChecksum(0x11111111, {{true, 0x22222222}, {true, 0x33333333}}),
            FoldThirdChecksum(0x11111111, {{true, 0x33333333}, {true, 0x22222222}}));
}

TEST(ProcessSections, ModulesInAddressOrderWithPaddedColumns) {
  EXPECT_EQ(ModulesSection({{0x7c900000, "ntdll.dll", "5.1.2600.5512", "C:\\WINDOWS\\system32\\"},
                            {0x00400000, "Ravelin.exe", "", "D:\\app\\"},
                            {0x10000000, "a.dll", "1.0", "D:\\app\\"}}),
            "00400000 Ravelin.exe               D:\\app\\\r\n"
            "10000000 a.dll       1.0           D:\\app\\\r\n"
            "7c900000 ntdll.dll   5.1.2600.5512 C:\\WINDOWS\\system32\\");
  EXPECT_EQ(ModulesSection({}), "");
}

TEST(ProcessSections, PriorityClasses) {
  const std::pair<std::uint32_t, const char*> cases[] = {
      {0x20, "normal"}, {0x40, "idle"}, {0x80, "high"}, {0x100, "realtime"},
      {0x4000, "below normal"}, {0x8000, "above normal"}, {0x1234, "$1234"}, {0, "$0"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(PriorityClassText(value), text);
}

TEST(ProcessSections, SystemPaths) {
  EXPECT_EQ(RewriteSystemPath("\\SystemRoot\\System32\\smss.exe", "C:\\WINDOWS\\system32"),
            "C:\\WINDOWS\\system32\\smss.exe");
  EXPECT_EQ(RewriteSystemPath("\\systemroot\\system32\\drivers\\", "C:\\WINDOWS\\system32\\"),
            "C:\\WINDOWS\\system32\\drivers\\");
  EXPECT_EQ(RewriteSystemPath("\\??\\C:\\WINDOWS\\", "x"), "C:\\WINDOWS\\");
  EXPECT_EQ(RewriteSystemPath("C:\\Program Files\\", "x"), "C:\\Program Files\\");
}

TEST(ProcessSections, ProcessesWithSessionsAndPriorities) {
  const std::vector<TProcessSnapshot> processes = {
      {0, "[System Process]", 0u, std::nullopt, ""},
      {4, "System", 0u, 0x20u, ""},
      {0x1a4, "smss.exe", 0u, 0x80u, "\\SystemRoot\\System32\\"},
      {0xbeef, "Ravelin.exe", 1u, 0x4000u, "\\??\\D:\\app\\"},
  };
  EXPECT_EQ(ProcessesSection(processes, "C:\\WINDOWS\\system32"),
            "0000 Idle        0              \r\n"
            "0004 System      0 normal       \r\n"
            "01a4 smss.exe    0 high         C:\\WINDOWS\\system32\\\r\n"
            "beef Ravelin.exe 1 below normal D:\\app\\");
  // Every session 0 (or unknown, on Windows 9x): no session column.
  std::vector<TProcessSnapshot> oneSession = processes;
  oneSession[3].SessionId = std::nullopt;
  EXPECT_EQ(ProcessesSection(oneSession, "C:\\WINDOWS\\system32").substr(0, 40),
            "0000 Idle                     \r\n0004 Sys");
}

TDeviceSnapshot Device(const char* className, const char* classDescription, const char* friendlyName,
                       const char* description, const char* hardwareId, const char* provider, const char* version,
                       const char* date, bool hidden = false, const char* letters = "") {
  return {className, classDescription, friendlyName, description, hardwareId, provider, version, date, hidden, letters};
}

TEST(HardwareSection, GroupsOrdersAndLeavesOut) {
  std::vector<TDeviceSnapshot> devices(9);
  devices[0] = Device("Net", "Network adapters", "", "Fast Ethernet", "PCI\\VEN_1", "Acme", "2.1.0.0", "2009-1-1");
  devices[1] = Device("Display", "display adapters", "Big Screen", "VGA", "PCI\\VEN_2", "Microsoft", "5.1", "");
  devices[2] = Device("Net", "Network adapters", "", "a wireless card", "PCI\\VEN_3", "Acme", "", "2010-2-2");
  devices[3] = Device("Volume", "Storage volumes", "", "Volume 1", "STORAGE\\VOLUME", "", "", "");
  devices[4] = Device("Net", "Network adapters", "", "Soft Adapter", "SW\\{1234}", "Acme", "1", "");
  devices[5] = Device("Display", "display adapters", "", "Mirror", "ROOT\\MIRROR", "Acme", "1", "", true);
  devices[6] = Device("CDROM", "DVD/CD-ROM drives", "", "Disc", "IDE\\CD", "(Standard CD-ROM drives)", "1", "", false,
                "DE");
  devices[7] = Device("LegacyDriver", "Non-Plug and Play Drivers", "", "Beep", "ROOT\\LEGACY_BEEP", "", "", "");
  devices[8] = Device("unknown", "Other devices", "", "Mystery", "PCI\\VEN_9", "", "", "");
  EXPECT_EQ(HardwareSection(devices),
            "+ display adapters\r\n"
            "  - Big Screen\r\n"
            "+ DVD/CD-ROM drives\r\n"
            "  - [DE:] Disc\r\n"
            "+ Network adapters\r\n"
            "  - a wireless card (driver 2010-2-2)\r\n"
            "  - Fast Ethernet (driver 2.1.0.0)");
}

TEST(ContextSections, CpuRegisters) {
  TCpuRegisters r;
  r.Eax = 1, r.Ebx = 0xffffffff, r.Ecx = 0x10, r.Edx = 0xabcdef, r.Esi = 2, r.Edi = 3, r.Eip = 0x401000;
  r.Esp = 0x12ff00, r.Ebp = 0x12ff40;
  EXPECT_EQ(CpuRegistersSection(r),
            "eax = 00000001\r\nebx = ffffffff\r\necx = 00000010\r\nedx = 00abcdef\r\nesi = 00000002\r\n"
            "edi = 00000003\r\neip = 00401000\r\nesp = 0012ff00\r\nebp = 0012ff40");
}

TEST(ContextSections, StackDumpLinesAndRegionEnd) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 26; ++i) bytes.push_back(static_cast<std::uint8_t>(i < 16 ? 'A' + i : 32 + i - 16));
  bytes[1] = 0x00;
  bytes[2] = 0x7f;
  EXPECT_EQ(StackDumpSection(0x0012ff00, bytes),
            "0012ff00  41 00 7f 44 45 46 47 48 - 49 4a 4b 4c 4d 4e 4f 50  A..DEFGHIJKLMNOP\r\n"
            "0012ff10  20 21 22 23 24 25 26 27 - 28 29                    .!\"#$%&'()");
  std::vector<std::uint8_t> eight(8, 0x30);
  EXPECT_EQ(StackDumpSection(0x10, eight),
            "00000010  30 30 30 30 30 30 30 30                            00000000");
  EXPECT_EQ(StackDumpSection(0x10, std::vector<std::uint8_t>(1000, 0x41)).size(), 20u * 77 + 19 * 2);
  EXPECT_EQ(StackDumpSection(0x10, {}), "");
  EXPECT_EQ(StackDumpLength(0x1000, 0x1100), 0x100u);
  EXPECT_EQ(StackDumpLength(0x1000, 0x2000), 320u);
  EXPECT_EQ(StackDumpLength(0x2000, 0x1000), 0u);
}

TEST(SectionPlan, SectionsAfterTheThreads) {
  TSectionPlanInput input;
  input.Plugins = {"hardware", "license", "MODULES", "hardware"};
  input.HasContext = true;
  input.HasDisassembler = true;
  EXPECT_EQ(SectionsAfterThreads(input),
            std::vector<std::string>({"hardware", "MODULES", "cpu registers", "stack dump", "disassembling"}));
  input.HasContext = false;
  input.ShowDisAsm = false;
  EXPECT_EQ(SectionsAfterThreads(input), std::vector<std::string>({"hardware", "MODULES"}));
  input.HasContext = true;
  input.CpuRegs = false;
  input.Plugins.clear();
  EXPECT_EQ(SectionsAfterThreads(input), std::vector<std::string>({"stack dump"}));
}

TEST(SectionPlan, InternalErrors) {
  const std::pair<TReportStep, const char*> steps[] = {
      {TReportStep::ThreadReport, "GetThreadReport"}, {TReportStep::CpuRegisters, "GetCpuRegisters"},
      {TReportStep::StackDump, "GetStackDump"}, {TReportStep::CleartextDisAsm, "GetCleartextDisAsm"},
      {TReportStep::Plugin, "plugin"}};
  for (const auto& [step, name] : steps)
    EXPECT_EQ(InternalErrorText(step), std::string(">> internal error in ") + name);
  EXPECT_EQ(InternalErrorText(TReportStep::Plugin, "00401000 Ravelin.exe"),
            ">> internal error in plugin:\r\n00401000 Ravelin.exe");
  EXPECT_STREQ(kSectionPlaceholder, ">> will be calculated soon");
}

}  // namespace
