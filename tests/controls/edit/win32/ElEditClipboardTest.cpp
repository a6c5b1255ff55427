// The edit's clipboard round trip with another program of the X display:
// Wine keeps the platform clipboard and the X selection "CLIPBOARD" in step,
// so text the edit copies is read back with xclip, and text xclip offers is
// what the edit pastes. Also the clipboard blocks a program may leave
// without a terminating zero.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "EditTestSupport.h"
#include "controls/edit/ElEditModel.h"
#include "controls/edit/win32/ElClipboard.h"
#include "platform/EscapedUtf8.h"

namespace {

std::string UnixTempFile(const char* name) { return std::string("/tmp/ravelin-edit-clip-") + name; }

// Unix paths are reached through drive Z:.
std::string OnDriveZ(const std::string& path) {
  std::string windowsPath = "Z:" + path;
  for (char& c : windowsPath)
    if (c == '/') c = '\\';
  return windowsPath;
}

std::string ReadUnixFile(const std::string& path) {
  std::ifstream file(OnDriveZ(path), std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

// Runs a shell command line of the host system and returns its exit code, or
// -1 when it could not be started or did not end in time. Wine starts
// programs of the host as they are, but neither with the host's search path
// nor with a process handle to wait on: the shell tells its end in a file.
int RunOnHost(const std::string& command) {
  const std::string done = UnixTempFile("done");
  DeleteFileA(OnDriveZ(done).c_str());
  const std::string script = "PATH=/usr/local/bin:/usr/bin:/bin; " + command + "; echo $? > " + done + ".part; mv " +
                             done + ".part " + done;
  std::wstring line = L"/bin/sh -c \"" + std::wstring(script.begin(), script.end()) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return -1;
  if (process.hProcess != nullptr) CloseHandle(process.hProcess);
  if (process.hThread != nullptr) CloseHandle(process.hThread);
  std::string code;
  if (!PumpUntil([&] { return !(code = ReadUnixFile(done)).empty(); }, 20000)) return -1;
  return std::atoi(code.c_str());
}

bool HaveXclip() { return RunOnHost("command -v xclip >/dev/null") == 0; }

std::string Utf8(const WideString& text) { return EncodeEscapedUtf8(text); }

// Reads the X selection with xclip into a file and returns it.
std::string XSelection() {
  const std::string out = UnixTempFile("out");
  if (RunOnHost("xclip -o -selection clipboard > " + out + " 2>/dev/null") != 0) return "<none>";
  return ReadUnixFile(out);
}

bool ClipboardHolds(const WideString& expected) {
  WideString text;
  return ElClipboardGetText(nullptr, text) && text == expected;
}

// Offers text as the X selection with xclip (printf format, UTF-8) until the
// platform clipboard holds expected. Wine takes a new selection over when it
// hears of the owner's change; a change it misses is offered once more.
bool OfferFromX(const std::string& format, const WideString& expected) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (RunOnHost("printf '" + format + "' | xclip -i -selection clipboard") != 0) return false;
    if (PumpUntil(
            [&] {
              Sleep(50);  // leave the clipboard to the bridge between looks
              return ClipboardHolds(expected);
            },
            8000))
      return true;
  }
  return false;
}

class ElEditClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveXclip()) GTEST_SKIP() << "xclip is not installed";
  }
  TEditFixture f;
  TElEditModel& Model() { return f.edit->Model(); }
};

TEST_F(ElEditClipboardTest, CopiedTextReachesAnotherProgram) {
  const WideString text = u"C:\\Daten\\\x00DC\x0062\x0065rsicht \x03A9 \x65E5\x672C";
  f.edit->SetText(text);
  f.Send(EM_SETSEL, 0, -1);
  f.Send(WM_COPY);
  std::string seen;
  ASSERT_TRUE(PumpUntil([&] { return (seen = XSelection()) == Utf8(text); }, 10000)) << seen;

  // With a password character copying is refused: the other program still
  // sees the earlier text.
  Model().SetPasswordChar(u"*");
  f.edit->SetText(u"secret");
  f.Send(EM_SETSEL, 0, -1);
  f.Send(WM_COPY);
  f.Send(WM_CUT);
  PumpFor(200);
  EXPECT_EQ(XSelection(), Utf8(text));
  EXPECT_EQ(Plain(Model().GetText()), L"secret");
}

TEST_F(ElEditClipboardTest, TextFromAnotherProgramIsPasted) {
  // "Pfad \u00e9\u20ac" in UTF-8, offered by xclip as the X selection's owner.
  const WideString offered = u"D:\\Pfad \x00E9\x20AC";
  ASSERT_TRUE(OfferFromX("D:\\\\Pfad \\303\\251\\342\\202\\254", offered));
  f.edit->SetText(u"<>");
  f.Send(EM_SETSEL, 1, 1);
  f.Send(WM_PASTE);
  EXPECT_EQ(Model().GetText(), u"<" + offered + u">");
  EXPECT_EQ(Model().GetSelStart(), 1 + static_cast<int>(offered.size()));

  // A path with a line break after it: a single-line edit takes the path alone.
  ASSERT_TRUE(OfferFromX("E:\\\\Second\\r\\nmore", u"E:\\Second\r\nmore"));
  f.edit->SetText(u"");
  f.Send(WM_PASTE);
  EXPECT_EQ(Model().GetText(), u"E:\\Second");
  // Leave the selection to this program again, so no xclip waits on.
  ElClipboardSetText(nullptr, u"done");
}

// Blocks as other programs leave them: without a terminating zero (read to
// the block's end and no further), with an embedded zero, narrow text only.
TEST(ElClipboard, BlocksOtherProgramsLeave) {
  const char16_t units[] = {u'a', u'b', u'c', u'd'};
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof units);
  std::memcpy(GlobalLock(block), units, sizeof units);
  GlobalUnlock(block);
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, block), nullptr);
  CloseClipboard();
  WideString text;
  ASSERT_TRUE(ElClipboardGetText(nullptr, text));
  // Nothing from beyond the block (the platform may end it early with a zero of its own).
  EXPECT_LE(text.size(), 4u);
  EXPECT_GE(text.size(), 3u);
  EXPECT_EQ(text, WideString(u"abcd").substr(0, text.size()));

  // Text with an embedded zero ends there.
  ASSERT_TRUE(ElClipboardSetText(nullptr, WideString(u"one\0two", 7)));
  ASSERT_TRUE(ElClipboardGetText(nullptr, text));
  EXPECT_EQ(text, u"one");
  // Narrow text alone is read widened with the system code page.
  const char narrow[] = "caf\xE9 \x80";
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL narrowBlock = GlobalAlloc(GMEM_MOVEABLE, sizeof narrow);
  std::memcpy(GlobalLock(narrowBlock), narrow, sizeof narrow);
  GlobalUnlock(narrowBlock);
  ASSERT_NE(SetClipboardData(CF_TEXT, narrowBlock), nullptr);
  CloseClipboard();
  ASSERT_TRUE(ElClipboardGetText(nullptr, text));
  wchar_t expected[16] = {0};
  MultiByteToWideChar(CP_ACP, 0, narrow, -1, expected, 16);
  EXPECT_EQ(Plain(text), std::wstring(expected));
  // An empty clipboard has no text.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_FALSE(ElClipboardGetText(nullptr, text));
}

}  // namespace
