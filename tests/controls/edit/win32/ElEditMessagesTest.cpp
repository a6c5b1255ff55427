// The edit's window under Wine, driven through SendMessage: its creation
// parameters, the text-setting and text-reading messages in their wide and
// narrow forms (the narrow ones converted with the system code page), the
// password refusals, and the edit message table.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditTestSupport.h"
#include "controls/edit/ElEditModel.h"

namespace {

std::string Narrow(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &result[0], size, nullptr, nullptr);
  return result;
}

std::wstring FromNarrow(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &result[0], size);
  return result;
}

class ElEditMessagesTest : public ::testing::Test {
 protected:
  TEditFixture f;
  TElEditModel& Model() { return f.edit->Model(); }
  std::wstring Text() { return Plain(Model().GetText()); }
  void Count() {
    Model().OnChange = [this](TObject* sender) {
      EXPECT_EQ(sender, f.edit);
      ++changes;
    };
    Model().OnSelectionChange = [this](TObject* sender) {
      EXPECT_EQ(sender, f.edit);
      ++selectionChanges;
    };
  }
  int changes = 0;
  int selectionChanges = 0;
};

TEST(ElEditWindow, CreationParameters) {
  TEditFixture single;
  const LONG style = GetWindowLongW(single.Window(), GWL_STYLE);
  EXPECT_TRUE(GetWindowLongW(single.Window(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(style & WS_BORDER);
  EXPECT_FALSE(style & (ES_MULTILINE | WS_VSCROLL | WS_HSCROLL));
  EXPECT_TRUE(style & WS_TABSTOP);
  const UINT classStyle = static_cast<UINT>(GetClassLongW(single.Window(), GCL_STYLE));
  EXPECT_FALSE(classStyle & (CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(GetClassLongPtrW(single.Window(), GCLP_HCURSOR), reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_IBEAM)));
  // The single-line height follows the font: text-metric height and four edges.
  TEXTMETRICW metrics{};
  {
    HDC dc = GetDC(single.Window());
    HGDIOBJ old = SelectObject(dc, single.edit->Font()->Handle());
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(single.Window(), dc);
  }
  EXPECT_EQ(single.edit->Height(), metrics.tmHeight + 4 * GetSystemMetrics(SM_CYEDGE));
  // A single-line edit never takes scroll bars.
  single.edit->SetScrollBars(ssBoth);
  EXPECT_FALSE(GetWindowLongW(single.Window(), GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL));

  struct Case {
    TScrollStyle bars;
    LONG expected;
  };
  for (const Case& c : {Case{ssNone, 0}, Case{ssHorizontal, WS_HSCROLL}, Case{ssVertical, WS_VSCROLL},
                        Case{ssBoth, WS_HSCROLL | WS_VSCROLL}}) {
    TEditFixture multi(true, c.bars);
    const LONG multiStyle = GetWindowLongW(multi.Window(), GWL_STYLE);
    EXPECT_TRUE(multiStyle & ES_MULTILINE);
    EXPECT_EQ(multiStyle & (WS_HSCROLL | WS_VSCROLL), c.expected) << c.bars;
    // Switching Multiline off takes the bars away with the re-created window.
    multi.edit->SetMultiline(false);
    EXPECT_EQ(GetWindowLongW(multi.Window(), GWL_STYLE) & (ES_MULTILINE | WS_HSCROLL | WS_VSCROLL), 0);
    EXPECT_EQ(multi.edit->ScrollBars(), ssNone);
  }
  TEditFixture thin;
  thin.edit->SetCtl3D(false);
  thin.edit->RecreateWnd();
  EXPECT_TRUE(GetWindowLongW(thin.Window(), GWL_STYLE) & WS_BORDER);
  EXPECT_FALSE(GetWindowLongW(thin.Window(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  thin.edit->SetBorderStyle(bsNone);
  EXPECT_FALSE(GetWindowLongW(thin.Window(), GWL_STYLE) & WS_BORDER);
  // Without a border the single-line height is the text-metric height.
  EXPECT_EQ(thin.edit->Height(), metrics.tmHeight);
}

TEST(ElEditWindow, AFontChangeReachesTheModelThePainterAndTheHeight) {
  TEditFixture single;
  single.edit->Font()->SetHeight(-16);
  EXPECT_EQ(single.edit->Model().LineHeight(), 18);
  HDC dc = GetDC(single.Window());
  HGDIOBJ old = SelectObject(dc, single.edit->Font()->Handle());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SIZE size{};
  GetTextExtentPoint32W(dc, L"C:\\Wide", 7, &size);
  SelectObject(dc, old);
  ReleaseDC(single.Window(), dc);
  EXPECT_EQ(single.edit->Model().Painter().TextWidth(u"C:\\Wide"), size.cx);
  EXPECT_EQ(single.edit->Height(), metrics.tmHeight + 4 * GetSystemMetrics(SM_CYEDGE));
  // The edit rectangle followed the new height.
  RECT client;
  GetClientRect(single.Window(), &client);
  EXPECT_EQ(single.edit->Model().EditRect().Bottom, client.bottom);
}

TEST(ElEditWindow, ResizingReflowsWrappedRows) {
  TEditFixture f(true, ssNone, 5);
  TElEditModel& model = f.edit->Model();
  model.SetWordWrap(true);
  WideString text;
  for (int i = 0; i < 12; ++i) text += u"word ";
  f.edit->SetText(text);
  const int rows = model.GetLinesCount();
  f.edit->SetWidth(f.edit->Width() / 2);
  RECT client;
  GetClientRect(f.Window(), &client);
  EXPECT_EQ(model.EditRect().Right, client.right);
  EXPECT_GT(model.GetLinesCount(), rows);
  EXPECT_EQ(model.GetText(), text);
}

TEST_F(ElEditMessagesTest, SettingTextThroughTheMessageAndTheProperty) {
  Count();
  // Both flag values carry wide text on this window.
  EXPECT_EQ(f.SendText(WM_SETTEXT, 0, L"C:\\Temp\\\x0416"), 1);
  EXPECT_EQ(Text(), L"C:\\Temp\\\x0416");
  EXPECT_EQ(f.SendText(WM_SETTEXT, 1, L"D:\\"), 1);
  EXPECT_EQ(Text(), L"D:\\");
  // The message raises the selection change but, by default, no OnChange.
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(selectionChanges, 2);
  Model().SetNotifyUserChangeOnly(false);
  f.SendText(WM_SETTEXT, 0, L"E:\\");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(selectionChanges, 3);
  // A null text is the empty text.
  EXPECT_EQ(f.Send(WM_SETTEXT, 0, 0), 1);
  EXPECT_EQ(Text(), L"");

  // The control's Text goes through the same path; an equal text does nothing.
  Model().SetNotifyUserChangeOnly(true);
  changes = selectionChanges = 0;
  f.edit->SetText(u"C:\\Windows");
  EXPECT_EQ(Plain(f.edit->Text()), L"C:\\Windows");
  EXPECT_EQ(selectionChanges, 1);
  EXPECT_EQ(changes, 0);
  f.edit->SetText(u"C:\\Windows");
  EXPECT_EQ(selectionChanges, 1);
  // The text never lands in the window's caption store.
  EXPECT_EQ(DefWindowProcW(f.Window(), WM_GETTEXTLENGTH, 0, 0), 0);
}

TEST_F(ElEditMessagesTest, ReadingTextWithBufferSizes) {
  f.edit->SetText(u"C:\\Path");
  struct Case {
    WPARAM size;
    LRESULT result;
    std::wstring copied;
  };
  for (const Case& c : {Case{0, 0, L"######"}, Case{1, 0, L""}, Case{4, 3, L"C:\\"}, Case{8, 7, L"C:\\Path"},
                        Case{50, 7, L"C:\\Path"}}) {
    wchar_t buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    buffer[6] = 0;
    EXPECT_EQ(f.Send(WM_GETTEXT, c.size, reinterpret_cast<LPARAM>(buffer)), c.result) << c.size;
    EXPECT_EQ(std::wstring(buffer), c.copied) << c.size;
  }
  EXPECT_EQ(f.Send(WM_GETTEXTLENGTH), 7);
  EXPECT_EQ(GetWindowTextLengthW(f.Window()), 7);
}

TEST_F(ElEditMessagesTest, APasswordCharacterRefusesEveryReadingMessage) {
  f.edit->SetText(u"secret");
  Model().SetPasswordChar(u"*");
  wchar_t buffer[32] = L"untouched";
  EXPECT_EQ(f.Send(WM_GETTEXT, 32, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(std::wstring(buffer), L"untouched");
  char narrow[32] = "untouched";
  EXPECT_EQ(SendMessageA(f.Window(), WM_GETTEXT, 32, reinterpret_cast<LPARAM>(narrow)), 0);
  EXPECT_EQ(f.Send(WM_GETTEXTLENGTH), 0);
  *reinterpret_cast<WORD*>(buffer) = 30;
  EXPECT_EQ(f.Send(EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  // The text itself is kept, and shows again without the password character.
  EXPECT_EQ(Text(), L"secret");
  Model().SetPasswordChar(u"");
  EXPECT_EQ(f.Send(WM_GETTEXTLENGTH), 6);
}

TEST_F(ElEditMessagesTest, NarrowSendersConvertWithTheSystemCodePage) {
  Count();
  // Bytes above 127 as the system code page reads them (1252 under Wine: é, €).
  const std::string bytes = "caf\xE9 \x80 C:\\dir\r\nnext";
  EXPECT_EQ(SendMessageA(f.Window(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bytes.c_str())), 1);
  // Line breaks stay line breaks (a single-line edit keeps them in its one paragraph).
  EXPECT_EQ(Text(), FromNarrow(bytes));
  EXPECT_EQ(selectionChanges, 1);
  char buffer[64] = {0};
  EXPECT_EQ(GetWindowTextA(f.Window(), buffer, 64), static_cast<int>(bytes.size()));
  EXPECT_EQ(std::string(buffer), bytes);

  // Characters the code page cannot hold come back as its default character.
  const std::wstring wide = L"\x03A9 \x65E5 x";
  f.edit->SetText(Wide(wide));
  std::fill(std::begin(buffer), std::end(buffer), '\0');
  const LRESULT copied = SendMessageA(f.Window(), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer));
  EXPECT_EQ(std::string(buffer), Narrow(wide));
  EXPECT_EQ(copied, static_cast<LRESULT>(Narrow(wide).size()));
  EXPECT_GE(SendMessageA(f.Window(), WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(Narrow(wide).size()));

  // EM_REPLACESEL and EM_GETLINE from narrow senders too.
  f.edit->SetText(u"ab");
  f.Send(EM_SETSEL, 1, 1);
  SendMessageA(f.Window(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("\xE9"));
  EXPECT_EQ(Text(), L"a" + FromNarrow("\xE9") + L"b");
  char line[16] = {0};
  *reinterpret_cast<WORD*>(line) = sizeof line;
  EXPECT_EQ(SendMessageA(f.Window(), EM_GETLINE, 0, reinterpret_cast<LPARAM>(line)), 3);
  EXPECT_EQ(std::string(line, 3), "a\xE9" "b");
}

TEST_F(ElEditMessagesTest, GettingAndSettingTheSelection) {
  f.edit->SetText(u"0123456789");
  struct Case {
    int start;
    int end;
    int selStart;
    int selEnd;
  };
  // The caret ends at the smaller index; -1 removes the selection; (0, -1) selects all.
  for (const Case& c : {Case{2, 5, 2, 5}, Case{5, 2, 2, 5}, Case{4, 4, 4, 4}, Case{0, -1, 0, 10}, Case{0, 10, 0, 10}}) {
    f.Send(EM_SETSEL, static_cast<WPARAM>(c.start), c.end);
    DWORD start = 99;
    DWORD end = 99;
    const LRESULT result = f.Send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(static_cast<int>(start), c.selStart) << c.start << "," << c.end;
    EXPECT_EQ(static_cast<int>(end), c.selEnd) << c.start << "," << c.end;
    EXPECT_EQ(result, MAKELRESULT(c.selStart, c.selEnd));
  }
  // The caret is at the smaller index: the selection runs from the larger one to it.
  f.Send(EM_SETSEL, 7, 3);
  EXPECT_EQ(Model().CaretX(), 3);
  EXPECT_EQ(Model().Anchor().X, 7);
  // -1 removes the selection.
  f.Send(EM_SETSEL, static_cast<WPARAM>(-1), 0);
  EXPECT_FALSE(Model().HasSelection());
  EXPECT_EQ(HIWORD(f.Send(EM_GETSEL)), LOWORD(f.Send(EM_GETSEL)));
  // Null pointers are not written through.
  f.Send(EM_SETSEL, 1, 4);
  EXPECT_EQ(f.Send(EM_GETSEL, 0, 0), MAKELRESULT(1, 4));
}

TEST_F(ElEditMessagesTest, ReplacingAndClearingTheSelection) {
  Count();
  f.edit->SetText(u"C:\\old\\file");
  f.Send(EM_SETSEL, 3, 6);
  selectionChanges = 0;
  f.Send(EM_REPLACESEL, 0, 0);  // no text: ignored
  EXPECT_EQ(Text(), L"C:\\old\\file");
  f.SendText(EM_REPLACESEL, 1, L"new");
  // The replaced text is selected, from the anchor to its end.
  EXPECT_EQ(f.Send(EM_GETSEL), MAKELRESULT(3, 6));
  EXPECT_EQ(Text(), L"C:\\new\\file");
  EXPECT_EQ(changes, 0);  // a programmatic change with NotifyUserChangeOnly
  f.Send(EM_SETSEL, 6, 11);
  f.Send(WM_CLEAR);
  EXPECT_EQ(Text(), L"C:\\new");
}

TEST_F(ElEditMessagesTest, UndoMessages) {
  EXPECT_EQ(f.Send(EM_CANUNDO), 0);
  EXPECT_EQ(f.Send(EM_UNDO), 0);
  Model().KeyPress(u'a');
  Model().KeyPress(u'b');
  EXPECT_EQ(Text(), L"ab");
  EXPECT_EQ(f.Send(EM_CANUNDO), 1);
  EXPECT_EQ(f.Send(EM_UNDO), 1);
  EXPECT_EQ(Text(), L"a");
  EXPECT_EQ(f.Send(EM_UNDO), 1);
  EXPECT_EQ(Text(), L"");
  EXPECT_EQ(f.Send(EM_CANUNDO), 0);
  EXPECT_EQ(f.Send(EM_UNDO), 0);
  EXPECT_EQ(Text(), L"");
}

class ElEditLinesTest : public ::testing::Test {
 protected:
  ElEditLinesTest() : f(true, ssNone, 3) {}
  TEditFixture f;
  TElEditModel& Model() { return f.edit->Model(); }
};

TEST_F(ElEditLinesTest, LineMessages) {
  f.edit->SetText(u"first\r\nsecond line\r\n\r\nlast");
  EXPECT_EQ(f.Send(EM_GETLINECOUNT), 4);
  struct Case {
    int line;
    LRESULT index;
    std::wstring text;
  };
  for (const Case& c : {Case{0, 0, L"first"}, Case{1, 7, L"second line"}, Case{2, 20, L""}, Case{3, 22, L"last"}}) {
    EXPECT_EQ(f.Send(EM_LINEINDEX, static_cast<WPARAM>(c.line)), c.index) << c.line;
    EXPECT_EQ(f.Send(EM_LINEFROMCHAR, static_cast<WPARAM>(c.index)), c.line) << c.line;
    wchar_t buffer[32] = {0};
    *reinterpret_cast<WORD*>(buffer) = 32;
    EXPECT_EQ(f.Send(EM_GETLINE, static_cast<WPARAM>(c.line), reinterpret_cast<LPARAM>(buffer)),
              static_cast<LRESULT>(c.text.size()));
    EXPECT_EQ(std::wstring(buffer, c.text.size()), c.text);
  }
  // Out of range.
  EXPECT_EQ(f.Send(EM_LINEINDEX, 4), -1);
  wchar_t buffer[32] = {0};
  *reinterpret_cast<WORD*>(buffer) = 32;
  EXPECT_EQ(f.Send(EM_GETLINE, 4, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(f.Send(EM_GETLINE, 0, 0), 0);
  // The capacity word limits the copy.
  *reinterpret_cast<WORD*>(buffer) = 3;
  EXPECT_EQ(f.Send(EM_GETLINE, 1, reinterpret_cast<LPARAM>(buffer)), 3);
  EXPECT_EQ(std::wstring(buffer, 3), L"sec");
  EXPECT_EQ(buffer[3], 0);
  // The middle of a line break belongs to the line before it.
  EXPECT_EQ(f.Send(EM_LINEFROMCHAR, 6), 0);
}

TEST_F(ElEditLinesTest, PositionsFromCharactersUseThePaintersMeasurements) {
  f.edit->SetText(u"ab\tc\r\nWWW");
  TElTextPainter& painter = Model().Painter();
  const int left = Model().EditRect().Left + Model().LeftMargin();
  const int line = Model().LineHeight();
  EXPECT_EQ(line, TEditFixture::kLineHeight);
  struct Case {
    int index;
    int x;
    int y;
  };
  for (const Case& c : {Case{0, left, 0}, Case{2, left + painter.TextWidth(u"ab"), 0},
                        Case{3, left + painter.TextWidth(u"ab\t"), 0}, Case{4, left + painter.TextWidth(u"ab\tc"), 0},
                        Case{6, left, line}, Case{8, left + painter.TextWidth(u"WW"), line}}) {
    const LRESULT result = f.Send(EM_POSFROMCHAR, static_cast<WPARAM>(c.index));
    EXPECT_EQ(static_cast<short>(LOWORD(result)), c.x) << c.index;
    EXPECT_EQ(static_cast<short>(HIWORD(result)), c.y + Model().TopMargin()) << c.index;
  }
  // The tab is as wide as four spaces of the real font.
  EXPECT_EQ(painter.TextWidth(u"\t"), painter.TextWidth(u"    "));
}

TEST_F(ElEditLinesTest, ScrollingMessages) {
  WideString text;
  for (int i = 0; i < 10; ++i) text += u"line " + WideString(1, static_cast<char16_t>(u'0' + i)) + u"\r\n";
  f.edit->SetText(text);  // 11 rows, 3 visible
  ASSERT_EQ(Model().VisibleRows(), 3);
  EXPECT_EQ(f.Send(EM_GETFIRSTVISIBLELINE), 0);
  EXPECT_EQ(f.Send(EM_LINESCROLL, 0, 4), TRUE);
  EXPECT_EQ(f.Send(EM_GETFIRSTVISIBLELINE), 4);
  EXPECT_EQ(f.Send(EM_LINESCROLL, 0, 100), TRUE);  // held at the last full page
  EXPECT_EQ(f.Send(EM_GETFIRSTVISIBLELINE), 8);
  EXPECT_EQ(f.Send(EM_LINESCROLL, 0, -100), TRUE);
  EXPECT_EQ(f.Send(EM_GETFIRSTVISIBLELINE), 0);
  struct Case {
    WPARAM code;
    int top;
    int moved;
  };
  for (const Case& c : {Case{SB_LINEDOWN, 1, 1}, Case{SB_PAGEDOWN, 4, 3}, Case{SB_LINEUP, 3, -1},
                        Case{SB_PAGEUP, 0, -3}, Case{SB_PAGEUP, 0, 0}}) {
    const LRESULT result = f.Send(EM_SCROLL, c.code);
    EXPECT_EQ(f.Send(EM_GETFIRSTVISIBLELINE), c.top) << c.code;
    EXPECT_EQ(HIWORD(result), TRUE);
    EXPECT_EQ(static_cast<short>(LOWORD(result)), c.moved) << c.code;
  }
  EXPECT_EQ(f.Send(EM_SCROLL, SB_THUMBPOSITION), 0);
  // EM_SCROLLCARET re-places the platform caret; it does not move the view.
  Model().SetCaretXY(TElEditPoint{0, 9});
  f.Send(EM_LINESCROLL, 0, -100);
  EXPECT_EQ(f.Send(EM_SCROLLCARET), TRUE);
  EXPECT_EQ(f.Send(EM_GETFIRSTVISIBLELINE), 0);
}

TEST(ElEditWindow, WordWrapLeavesNothingToScrollSideways) {
  TEditFixture f(true, ssHorizontal, 3);
  f.edit->SetText(WideString(300, u'w'));
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(f.Window(), SB_HORZ, &info);
  EXPECT_EQ(info.nMax, 300);
  f.edit->Model().SetWordWrap(true);
  GetScrollInfo(f.Window(), SB_HORZ, &info);
  EXPECT_EQ(info.nMax, 0);
  EXPECT_EQ(info.nPos, 0);
  EXPECT_GT(f.edit->Model().GetLinesCount(), 1);
}

TEST_F(ElEditLinesTest, SettingTheEditRectangle) {
  // Visible rows: (bottom - TopMargin) div line height, TopMargin 1 on a multi-line edit.
  RECT rect{5, 0, 120, 27};
  f.Send(EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rect));
  EXPECT_EQ(Model().EditRect(), (TElTextRect{5, 0, 120, 27}));
  EXPECT_EQ(Model().VisibleRows(), 2);
  rect = RECT{0, 0, 60, 13};
  f.Send(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rect));
  EXPECT_EQ(Model().EditRect(), (TElTextRect{0, 0, 60, 13}));
  // No rectangle: the client area again.
  f.Send(EM_SETRECT, 0, 0);
  RECT client;
  GetClientRect(f.Window(), &client);
  EXPECT_EQ(Model().EditRect(), (TElTextRect{0, 0, client.right, client.bottom}));
  EXPECT_EQ(Model().VisibleRows(), 3);
}

TEST_F(ElEditMessagesTest, ClipboardMessagesWithinTheProgram) {
  Count();
  f.edit->SetText(u"C:\\one\\two");
  f.Send(EM_SETSEL, 3, 6);
  f.Send(WM_COPY);
  EXPECT_EQ(Text(), L"C:\\one\\two");
  f.Send(WM_CUT);
  EXPECT_EQ(Text(), L"C:\\\\two");
  f.Send(EM_SETSEL, 7, 7);
  f.Send(WM_PASTE);
  EXPECT_EQ(Text(), L"C:\\\\twoone");
  // Programmatic clipboard changes raise no OnChange with NotifyUserChangeOnly.
  EXPECT_EQ(changes, 0);
  // A read-only edit copies but neither cuts nor pastes.
  Model().SetReadOnly(true);
  f.Send(EM_SETSEL, 0, 2);
  f.Send(WM_CUT);
  f.Send(WM_PASTE);
  EXPECT_EQ(Text(), L"C:\\\\twoone");
  f.Send(EM_SETSEL, 7, 10);
  f.Send(WM_PASTE);
  EXPECT_EQ(Text(), L"C:\\\\twoone");
}

}  // namespace
