// The list box under Wine, driven through its real window: the native list
// kept in step with Items, refused changes, the top index, rows streaming
// in, painting checked on pixels, row check boxes, keyboard navigation and
// incremental search, and the line hint.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "controls/list/win32/ElListBox.h"
#include "controls/list/win32/ElListBoxHintWindow.h"
#include "framework/UnicodeHint.h"
#include "framework/win32/Form.h"
#include "platform/win32/HandleOwners.h"
#include "tests/support/PrintedPicture.h"
#include "tests/support/Win32GuiTestSupport.h"

namespace {

// A list whose native list can be told to refuse insertions, and which
// notes what Items holds at the index each DeleteString removes.
class TRefusingListBox : public TElListBox {
 public:
  using TElListBox::TElListBox;
  bool refuseInsert = false;
  std::vector<WideString> seenByDeleteString;
  void DeleteString(int index) override {
    seenByDeleteString.push_back(index < Items()->GetCount() ? Items()->Get(index) : u"<gone>");
    TElListBox::DeleteString(index);
  }
  void WndProc(TMessage& message) override {
    if (refuseInsert && message.Msg == LB_INSERTSTRING) {
      message.Result = LB_ERRSPACE;
      return;
    }
    TElListBox::WndProc(message);
  }
};

class ElListBoxTest : public ::testing::Test {
 protected:
  static constexpr int kRow = 13;
  static constexpr int kRows = 20;

  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(400, 320);
    form->Font()->SetName(u"MS Sans Serif");
    form->Font()->SetHeight(-11);
    list = new TRefusingListBox(form);
    list->SetParent(form);
    // Two pixels of sunken edge on each side: a client area of exactly 20 rows.
    list->SetBounds(10, 10, 240, kRows * kRow + 4);
    form->Show();
    list->HandleNeeded();
    PumpPending();
  }
  void TearDown() override { delete form; }

  HWND Window() { return list->Handle(); }
  int NativeCount() { return static_cast<int>(SendMessageW(Window(), LB_GETCOUNT, 0, 0)); }
  int NativeTop() { return static_cast<int>(SendMessageW(Window(), LB_GETTOPINDEX, 0, 0)); }
  std::vector<WideString> Texts() {
    std::vector<WideString> texts;
    for (int i = 0; i < list->Items()->GetCount(); ++i) texts.push_back(list->Items()->Get(i));
    return texts;
  }
  void Fill(int count, const char* prefix = "line ") {
    for (int i = 0; i < count; ++i) list->Items()->Add(WideFromAscii((prefix + std::to_string(i)).c_str()));
  }
  void SetRows(std::initializer_list<const char16_t*> rows) {
    list->Items()->Clear();
    for (const char16_t* row : rows) list->Items()->Add(row);
  }
  void Type(char16_t c) { SendMessageW(Window(), WM_CHAR, c, 1); }
  void Press(WORD key) { SendMessageW(Window(), WM_KEYDOWN, key, 1); }

  TForm* form = nullptr;
  TRefusingListBox* list = nullptr;
};

TEST_F(ElListBoxTest, ANewListIsEmptyWithNoCurrentRowAndTheDesignedDefaults) {
  EXPECT_EQ(list->Items()->GetCount(), 0);
  EXPECT_EQ(NativeCount(), 0);
  EXPECT_EQ(list->TopIndex(), 0);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->ItemHeight(), kRow);
  EXPECT_EQ(list->Canvas()->TextExtent(u"Aj").cy, kRow);
  EXPECT_TRUE(list->TabStop());
  EXPECT_EQ(list->IncrementalSearchTimeout(), 500);
  EXPECT_TRUE(list->UseCustomScrollBars());
  ASSERT_EQ(list->ClientHeight(), kRows * kRow);
}

TEST_F(ElListBoxTest, TheHintTravelsInTheUnicodeEncodingAndScrollHintEventsSitOnTheBars) {
  list->SetWideHint(u"\u0416\u0443\u043A|long");
  WideString decoded;
  ASSERT_TRUE(DecodeUnicodeHint(list->Hint(), decoded));
  EXPECT_EQ(decoded, u"\u0416\u0443\u043A|long");
  EXPECT_EQ(list->WideHint(), decoded);
  int calls = 0;
  list->SetVertScrollHintNeeded([&](TObject*, int, WideString&) { ++calls; });
  ASSERT_TRUE(static_cast<bool>(list->VertScrollBarStyles()->OnScrollHintNeeded));
  WideString hint;
  list->VertScrollBarStyles()->OnScrollHintNeeded(nullptr, 3, hint);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(static_cast<bool>(list->HorzScrollHintNeeded()));
}

TEST_F(ElListBoxTest, EveryChangeOfItemsKeepsOnePlaceholderPerRowAndTheStatesWhereTheyBelong) {
  Fill(5, "r");
  list->SetShowCheckBox(true);
  list->SetState(1, cbChecked);
  list->SetState(3, cbGrayed);
  list->SetImageIndex(3, 7);
  const struct {
    const char* name;
    std::function<void()> change;
    std::vector<WideString> texts;
    std::vector<TCheckBoxState> states;
  } steps[] = {
      {"insert", [&] { list->Items()->Insert(2, u"new"); }, {u"r0", u"r1", u"new", u"r2", u"r3", u"r4"},
       {cbUnchecked, cbChecked, cbUnchecked, cbGrayed, cbUnchecked, cbUnchecked}},
      // States belong to positions: deleting leaves them where they are.
      {"delete", [&] { list->Items()->Delete(2); }, {u"r0", u"r1", u"r2", u"r3", u"r4"},
       {cbUnchecked, cbChecked, cbUnchecked, cbGrayed, cbUnchecked}},
      {"exchange", [&] { list->Items()->Exchange(1, 3); }, {u"r0", u"r3", u"r2", u"r1", u"r4"},
       {cbUnchecked, cbGrayed, cbUnchecked, cbChecked, cbUnchecked}},
      {"move", [&] { list->Items()->Move(1, 4); }, {u"r0", u"r2", u"r1", u"r4", u"r3"},
       {cbUnchecked, cbUnchecked, cbUnchecked, cbChecked, cbGrayed}},
      {"add", [&] { list->Items()->Add(u"last"); }, {u"r0", u"r2", u"r1", u"r4", u"r3", u"last"},
       {cbUnchecked, cbUnchecked, cbUnchecked, cbChecked, cbGrayed, cbUnchecked}},
      {"clear", [&] { list->Items()->Clear(); }, {}, {}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    step.change();
    EXPECT_EQ(Texts(), step.texts);
    EXPECT_EQ(NativeCount(), static_cast<int>(step.texts.size()));
    for (size_t i = 0; i < step.states.size(); ++i) EXPECT_EQ(list->State(static_cast<int>(i)), step.states[i]) << i;
  }
  // Out of range reads neutral values and writes nothing.
  EXPECT_EQ(list->State(0), cbUnchecked);
  EXPECT_EQ(list->ImageIndex(-1), -1);
  list->SetState(0, cbChecked);
  EXPECT_EQ(list->State(0), cbUnchecked);
  RECT none = list->ItemRect(5);
  EXPECT_TRUE(IsRectEmpty(&none));
}

TEST_F(ElListBoxTest, ExchangeAndMoveCarryTheImageIndexAndTheCurrentRowFollowsItsText) {
  Fill(5, "r");
  list->SetImageIndex(1, 4);
  list->SetItemIndex(1);
  list->Items()->Exchange(1, 3);
  EXPECT_EQ(list->ImageIndex(3), 4);
  EXPECT_EQ(list->ImageIndex(1), -1);
  EXPECT_EQ(list->ItemIndex(), 3);
  list->Items()->Exchange(0, 3);
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_EQ(list->ImageIndex(0), 4);
  list->Items()->Move(0, 4);
  EXPECT_EQ(list->ItemIndex(), 4);
  EXPECT_EQ(list->Items()->Get(4), u"r1");
  EXPECT_EQ(list->ImageIndex(4), 4);
}

// Moving removes and inserts again: the native current row stays on its item
// while the rows between shift, and the moved item takes its placeholder along.
TEST_F(ElListBoxTest, MoveKeepsTheCurrentRowOnTheSameItem) {
  const struct {
    int current, from, to, expected;
  } cases[] = {
      {1, 0, 3, 0}, {2, 4, 0, 3}, {3, 1, 3, 2}, {0, 2, 4, 0},
      {4, 0, 4, 3}, {1, 1, 4, 4}, {4, 4, 0, 0}, {-1, 0, 2, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "current " << c.current << ", Move(" << c.from << ", " << c.to << ")");
    SetRows({u"r0", u"r1", u"r2", u"r3", u"r4"});
    list->SetItemIndex(c.current);
    const WideString currentText = c.current < 0 ? WideString() : list->Items()->Get(c.current);
    list->Items()->Move(c.from, c.to);
    EXPECT_EQ(list->ItemIndex(), c.expected);
    EXPECT_EQ(static_cast<int>(SendMessageW(Window(), LB_GETCURSEL, 0, 0)), c.expected);
    if (c.expected >= 0) {
      EXPECT_EQ(list->Items()->Get(c.expected), currentText);
    }
    EXPECT_EQ(NativeCount(), 5);
  }
}

TEST_F(ElListBoxTest, DeleteRemovesTheNativeEntryWhileTheItemIsStillThere) {
  SetRows({u"r0", u"r1", u"r2"});
  list->seenByDeleteString.clear();
  list->Items()->Delete(1);
  list->Items()->Delete(1);
  EXPECT_EQ(list->seenByDeleteString, (std::vector<WideString>{u"r1", u"r2"}));
  EXPECT_EQ(Texts(), (std::vector<WideString>{u"r0"}));
  EXPECT_EQ(NativeCount(), 1);
  // Moving goes through Delete too.
  SetRows({u"a", u"b", u"c"});
  list->seenByDeleteString.clear();
  list->Items()->Move(2, 0);
  EXPECT_EQ(list->seenByDeleteString, (std::vector<WideString>{u"c"}));
  EXPECT_EQ(Texts(), (std::vector<WideString>{u"c", u"a", u"b"}));
}

TEST_F(ElListBoxTest, ASortedListThatIgnoresADuplicateAddsNoPlaceholder) {
  list->SetSorted(true);
  for (const char16_t* text : {u"c", u"a", u"b", u"a"}) list->Items()->Add(text);
  EXPECT_EQ(Texts(), (std::vector<WideString>{u"a", u"b", u"c"}));
  EXPECT_EQ(NativeCount(), 3);
}

TEST_F(ElListBoxTest, ARefusedChangeRaisesAndLeavesBothListsAsTheyWere) {
  Fill(3, "r");
  const std::vector<WideString> before = Texts();
  list->refuseInsert = true;
  try {
    list->Items()->Add(u"refused");
    FAIL() << "no exception";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to insert a line");
  }
  EXPECT_THROW(list->Items()->Insert(0, u"refused"), EOutOfResources);
  EXPECT_THROW(list->Items()->AddObject(u"refused", nullptr), EOutOfResources);
  EXPECT_EQ(Texts(), before);
  EXPECT_EQ(NativeCount(), 3);
  list->refuseInsert = false;
  EXPECT_EQ(Texts(), before);
  EXPECT_EQ(NativeCount(), 3);
  // A move to a row that does not exist.
  EXPECT_THROW(list->Items()->Move(0, 3), EStringListError);
  EXPECT_THROW(list->Items()->Move(-1, 1), EStringListError);
  EXPECT_EQ(Texts(), before);

  // A change handler that refuses.
  list->Items()->OnChanging = [](TObject*) { throw Exception("refused"); };
  EXPECT_THROW(list->Items()->Add(u"x"), Exception);
  EXPECT_THROW(list->Items()->Delete(1), Exception);
  EXPECT_THROW(list->Items()->Clear(), Exception);
  list->Items()->OnChanging = nullptr;
  EXPECT_EQ(Texts(), before);
  EXPECT_EQ(NativeCount(), 3);
  EXPECT_THROW(list->Items()->Delete(3), EStringListError);
  EXPECT_THROW(list->Items()->Insert(5, u"x"), EStringListError);
  EXPECT_EQ(NativeCount(), 3);

  // One that complains after the row went in: the row stays, in both.
  list->Items()->OnChange = [](TObject*) { throw Exception("late"); };
  EXPECT_THROW(list->Items()->Add(u"kept"), Exception);
  list->Items()->OnChange = nullptr;
  EXPECT_EQ(list->Items()->GetCount(), 4);
  EXPECT_EQ(NativeCount(), 4);
}

// The view's top after setting it, while rows stream in (the control keeps
// it) and once they have been painted (the native list's own answer).
TEST_F(ElListBoxTest, SettingTheTopPastTheLastFullPageShowsTheLastFullPage) {
  const struct {
    int count;
    int set;
    int top;
  } cases[] = {
      {1000, 999, 980}, {1000, 980, 980}, {1000, 500, 500}, {1000, 0, 0},
      {1000, 1000, 0},  // no such row: the view stays
      {1000, -1, 0},    {30, 29, 10},     {20, 19, 0},      {5, 4, 0},
  };
  // Refused from a view that is not at the top either.
  list->Items()->Clear();
  Fill(100);
  list->SetTopIndex(50);
  for (int refused : {100, 1000, -1}) {
    list->SetTopIndex(refused);
    EXPECT_EQ(list->TopIndex(), 50);
    list->FlushStream();
    EXPECT_EQ(NativeTop(), 50);
  }
  for (bool streaming : {true, false}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << (streaming ? "streaming" : "painted") << " count " << c.count << " set "
                                      << c.set);
      list->Items()->Clear();
      Fill(c.count);
      if (!streaming) list->FlushStream();
      EXPECT_EQ(list->TopIndex(), 0) << "adding rows never moves the view";
      list->SetTopIndex(c.set);
      EXPECT_EQ(list->TopIndex(), c.top);
      list->FlushStream();
      EXPECT_EQ(NativeTop(), c.top);
      EXPECT_EQ(list->TopIndex(), c.top);
    }
  }
}

TEST_F(ElListBoxTest, RowsStreamingInReachTheNativeListWithinATimerRoundAndClearResetsTheView) {
  Fill(200);
  list->SetTopIndex(199);
  EXPECT_EQ(list->TopIndex(), 180);
  // A question about the rows' geometry sees the view as it is meant to be.
  RECT last = list->ItemRect(199);
  EXPECT_EQ(last.top, 19 * kRow);
  Fill(50, "more ");
  list->SetTopIndex(249);
  EXPECT_TRUE(PumpUntil([&] { return NativeTop() == 230; }, 2000));
  EXPECT_EQ(list->TopIndex(), 230);
  list->SetItemIndex(240);
  EXPECT_EQ(list->ItemIndex(), 240);
  list->Items()->Clear();
  EXPECT_EQ(list->TopIndex(), 0);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(NativeCount(), 0);
}

TEST_F(ElListBoxTest, ReCreatingTheWindowKeepsTheTextsButNotTheCurrentRowOrTheView) {
  Fill(100);
  list->SetTopIndex(50);
  list->SetItemIndex(55);
  list->SetBorderStyle(bsNone);
  EXPECT_EQ(list->Items()->GetCount(), 100);
  EXPECT_EQ(NativeCount(), 100);
  EXPECT_EQ(list->TopIndex(), 0);
  EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(ElListBoxTest, TheHorizontalRangeFollowsTheWidestRowAndClearingEmptiesIt) {
  list->SetHorizontalScroll(true);
  const WideString wide = u"a much wider row than the others " + WideString(40, u'W');
  for (const WideString& row : {WideString(u"short"), wide, WideString(u"mid length row")}) list->Items()->Add(row);
  const int widest = list->Canvas()->TextExtent(wide + u"W").cx;
  EXPECT_EQ(list->HorizontalExtent(), widest);
  EXPECT_EQ(static_cast<int>(SendMessageW(Window(), LB_GETHORIZONTALEXTENT, 0, 0)), widest);
  // Deleting the widest row takes the range down to the next widest.
  list->Items()->Delete(1);
  EXPECT_EQ(list->HorizontalExtent(), list->Canvas()->TextExtent(u"mid length rowW").cx);
  list->Items()->Clear();
  EXPECT_EQ(list->HorizontalExtent(), 0);
  EXPECT_EQ(static_cast<int>(SendMessageW(Window(), LB_GETHORIZONTALEXTENT, 0, 0)), 0);
}

// ---- painting ----

// The client area's pixels of a row.
std::vector<COLORREF> RowPixels(TPrintedPicture& picture, const RECT& row) {
  std::vector<COLORREF> pixels;
  for (int y = row.top; y < row.bottom; ++y)
    for (int x = row.left; x < row.right; ++x) pixels.push_back(picture.Pixel(x, y));
  return pixels;
}

// text drawn as a row is drawn: the list's font, window colours, 2 pixels
// kept free on the right.
std::vector<COLORREF> ExpectedRow(TFont* font, const RECT& row, const WideString& text) {
  const int width = row.right - row.left;
  const int height = row.bottom - row.top;
  TBitmap bitmap;
  bitmap.SetSize(width, height);
  HDC dc = bitmap.Canvas()->Handle();
  RECT all{0, 0, width, height};
  TGdiObject<HBRUSH> back(CreateSolidBrush(ColorToRGB(clWindow)));
  FillRect(dc, &all, back.Get());
  TSelectedObject selected(dc, font->Handle());
  SetTextColor(dc, ColorToRGB(clWindowText));
  SetBkMode(dc, TRANSPARENT);
  RECT textRect{0, 0, width - 2, height};
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.c_str()), static_cast<int>(text.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc, x, y));
  return pixels;
}

int Differing(const std::vector<COLORREF>& pixels, COLORREF background) {
  int count = 0;
  for (COLORREF pixel : pixels) count += pixel != background ? 1 : 0;
  return count;
}

TEST_F(ElListBoxTest, RowsInAnyScriptArePaintedFromItemsNotFromThePlaceholders) {
  const WideString rows[] = {u"\u041D\u0430\u0439\u0434\u0435\u043D \u0444\u0430\u0439\u043B",  // Cyrillic
                             u"\u65E5\u672C\u8A9E\u306E\u30D5\u30A1\u30A4\u30EB",                // CJK
                             u"Found compressed File: C:\\x"};
  for (const WideString& row : rows) list->Items()->Add(row);
  // Without the focus: no focus rectangle over the first row.
  SetFocus(form->Handle());
  list->FlushStream();
  TPrintedPicture picture(list, PRF_CLIENT | PRF_ERASEBKGND);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const RECT row = list->ItemRect(i);
    const std::vector<COLORREF> painted = RowPixels(picture, row);
    EXPECT_GT(Differing(painted, ColorToRGB(clWindow)), 20) << "the row shows text";
    EXPECT_EQ(painted, ExpectedRow(list->Font(), row, rows[i]));
  }
  // Below the last row only the background.
  RECT below = list->ItemRect(3);
  EXPECT_EQ(Differing(RowPixels(picture, below), ColorToRGB(clWindow)), 0);
}

TEST_F(ElListBoxTest, ARowChangedWhileRowsStreamInIsPaintedWithItsNewText) {
  SetFocus(form->Handle());
  Fill(30);
  list->FlushStream();
  PumpFor(50);
  // New rows below the view, and a change in it.
  Fill(3, "more ");
  list->Items()->Put(0, u"changed");
  // What the window shows, once the rows have reached it.
  ASSERT_TRUE(list->Streaming());
  ASSERT_TRUE(PumpUntil([&] { return !list->Streaming(); }, 2000));
  ASSERT_TRUE(PumpUntil([&] { return GetUpdateRect(Window(), nullptr, FALSE) == FALSE; }, 2000));
  const RECT row = list->ItemRect(0);
  TWindowDC dc(Window());
  std::vector<COLORREF> shown;
  for (int y = row.top; y < row.bottom; ++y)
    for (int x = row.left; x < row.right; ++x) shown.push_back(GetPixel(dc.Get(), x, y));
  EXPECT_EQ(shown, ExpectedRow(list->Font(), row, u"changed"));
}

TEST_F(ElListBoxTest, TheCurrentRowIsHighlightedWhileFocusedAndLooksLikeTheOthersWithout) {
  Fill(3);
  list->SetItemIndex(1);
  list->SetFocus();
  PumpFor(30);
  const RECT row = list->ItemRect(1);
  {
    TPrintedPicture picture(list, PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(picture.Pixel(row.right - 5, row.top + 6), ColorToRGB(clHighlight));
  }
  SetFocus(form->Handle());
  PumpFor(30);
  {
    TPrintedPicture picture(list, PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(picture.Pixel(row.right - 5, row.top + 6), ColorToRGB(clWindow)) << "HideSelection";
  }
  list->SetHideSelection(false);
  {
    TPrintedPicture picture(list, PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(picture.Pixel(row.right - 5, row.top + 6), ColorToRGB(clBtnFace));
  }
}

TEST_F(ElListBoxTest, CheckBoxesShowEachRowsStateAndShiftTheText) {
  Fill(3);
  list->FlushStream();
  std::vector<COLORREF> plain;
  {
    TPrintedPicture picture(list, PRF_CLIENT | PRF_ERASEBKGND);
    plain = RowPixels(picture, list->ItemRect(0));
  }
  list->SetShowCheckBox(true);
  list->SetState(1, cbChecked);
  list->SetState(2, cbGrayed);
  TPrintedPicture picture(list, PRF_CLIENT | PRF_ERASEBKGND);
  const RECT r0 = list->ItemRect(0);
  const RECT box{r0.left + 2, r0.top, r0.left + 15, r0.bottom};
  std::vector<std::vector<COLORREF>> boxes;
  for (int i = 0; i < 3; ++i) {
    RECT b = box;
    OffsetRect(&b, 0, i * kRow);
    boxes.push_back(RowPixels(picture, b));
  }
  EXPECT_NE(boxes[0], boxes[1]);
  EXPECT_NE(boxes[1], boxes[2]);
  EXPECT_NE(boxes[0], boxes[2]);
  EXPECT_NE(RowPixels(picture, r0), plain);
}

// ---- input ----

TEST_F(ElListBoxTest, ClicksOnTheCheckBoxToggleItAndClicksBesideItSelectTheRow) {
  Fill(3);
  // The classic box: 13 pixels wide.
  list->SetUseXPThemes(false);
  list->SetShowCheckBox(true);
  std::vector<std::pair<int, TCheckBoxState>> changes;
  list->OnCheckBoxChange = [&](TObject*, int row, TCheckBoxState state) { changes.emplace_back(row, state); };
  const RECT row = list->ItemRect(1);
  const auto click = [&](int x) {
    SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.left + x, row.top + 5));
    SendMessageW(Window(), WM_LBUTTONUP, 0, MAKELPARAM(row.left + x, row.top + 5));
  };
  const struct {
    int x;
    TCheckBoxState state;
    int itemIndex;
  } clicks[] = {{1, cbChecked, -1}, {15, cbUnchecked, -1}, {0, cbUnchecked, 1}, {16, cbUnchecked, 1}};
  for (const auto& c : clicks) {
    SCOPED_TRACE(c.x);
    list->SetItemIndex(-1);
    click(c.x);
    EXPECT_EQ(list->State(1), c.state);
    EXPECT_EQ(list->ItemIndex(), c.itemIndex);
  }
  EXPECT_EQ(changes, (std::vector<std::pair<int, TCheckBoxState>>{{1, cbChecked}, {1, cbUnchecked}}));
  list->SetAllowGrayed(true);
  std::vector<TCheckBoxState> cycle;
  for (int i = 0; i < 3; ++i) {
    click(5);
    cycle.push_back(list->State(1));
  }
  EXPECT_EQ(cycle, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
  click(5);
  list->SetAllowGrayed(false);
  EXPECT_EQ(list->State(1), cbUnchecked);
}

TEST_F(ElListBoxTest, ArrowKeysMoveTheCurrentRowAndClickEvenWhereItCannotMove) {
  Fill(3);
  int clicks = 0;
  list->OnClick = [&](TObject*) { ++clicks; };
  list->SetItemIndex(0);
  Press(VK_UP);
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_EQ(clicks, 1);
  Press(VK_DOWN);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(clicks, 2);
  Press(VK_END);
  EXPECT_EQ(list->ItemIndex(), 2);
  Press(VK_DOWN);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(clicks, 3);
}

TEST_F(ElListBoxTest, TypingSearchesRowsByPrefixIgnoringCase) {
  SetRows({u"apple", u"b1", u"b2", u"b3", u"Cherry", u"\u0416\u0443\u043A", u"c"});
  list->SetIncrementalSearchTimeout(5000);
  const struct {
    const char16_t* typed;
    int start;  // current row before typing; the buffer starts empty
    std::vector<int> rows;  // current row after each character
  } cases[] = {
      {u"bbb", 1, {2, 3, 1}},      // one letter again and again steps through its rows
      {u"b2", 1, {2, 2}},          // typed quickly: a prefix
      {u"CHE", -1, {4, 4, 4}},     // case ignored
      {u"\u0436", 0, {5}},         // lower case Cyrillic finds upper case
      {u"zz", 2, {2, 2}},          // nothing: the row stays
      {u"a", 3, {0}},              // wraps to the first row
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "typed " << EncodeEscapedUtf8(c.typed));
    // The previous case's text is taken back first.
    while (!list->SearchText().empty()) Type(u'\b');
    list->SetItemIndex(c.start);
    const WideString typed = c.typed;
    for (size_t i = 0; i < typed.size(); ++i) {
      Type(typed[i]);
      EXPECT_EQ(list->ItemIndex(), c.rows[i]) << "after character " << i;
    }
  }
}

TEST_F(ElListBoxTest, SpaceNeverSearchesAndKeysThatTypeNothingSearchOnWithTheText) {
  SetRows({u"b1", u"b2", u"b3", u" x"});
  list->SetIncrementalSearchTimeout(5000);
  list->SetItemIndex(0);
  Type(u'b');
  EXPECT_EQ(list->ItemIndex(), 1);
  Type(u' ');
  Press(VK_SPACE);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(list->SearchText(), u"b");
  // Shift types nothing: the search runs on from the row after the current one.
  Press(VK_SHIFT);
  EXPECT_EQ(list->ItemIndex(), 2);
  // Down moves natively to the last b row, then the search wraps to b1.
  list->SetItemIndex(1);
  Press(VK_DOWN);
  EXPECT_EQ(list->ItemIndex(), 0);
  // With nothing typed such keys search nothing.
  Type(u'\b');
  EXPECT_TRUE(list->SearchText().empty());
  list->SetItemIndex(1);
  Press(VK_SHIFT);
  EXPECT_EQ(list->ItemIndex(), 1);
}

TEST_F(ElListBoxTest, TheTypedTextSurvivesAShortPauseAndIsGoneAfterTwoTimeouts) {
  SetRows({u"b1", u"b2"});
  list->SetIncrementalSearchTimeout(300);
  Type(u'b');
  PumpFor(100);
  EXPECT_EQ(list->SearchText(), u"b");
  Type(u'2');
  EXPECT_EQ(list->SearchText(), u"b2");
  EXPECT_TRUE(PumpUntil([&] { return list->SearchText().empty(); }, 2000));
  // A new letter starts a new search.
  list->SetItemIndex(1);
  Type(u'b');
  EXPECT_EQ(list->SearchText(), u"b");
  EXPECT_EQ(list->ItemIndex(), 0);
}

// The ids of this process's threads.
std::set<DWORD> ThreadsOfThisProcess() {
  std::set<DWORD> ids;
  TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
  return ids;
}

TEST_F(ElListBoxTest, AListDestroyedWhileItsSearchTimesOutLeavesNothingBehind) {
  SetRows({u"b1"});
  // A minute: only the list's own cancelling can end the thread within the wait below.
  list->SetIncrementalSearchTimeout(60000);
  const std::set<DWORD> before = ThreadsOfThisProcess();
  Type(u'b');
  std::vector<DWORD> started;
  for (DWORD id : ThreadsOfThisProcess())
    if (!before.count(id)) started.push_back(id);
  ASSERT_EQ(started.size(), 1u) << "one timeout thread per burst of typing";
  TKernelHandle timeoutThread(OpenThread(SYNCHRONIZE, FALSE, started[0]));
  ASSERT_TRUE(timeoutThread);
  delete form;
  form = nullptr;
  // Its end handler runs here, on the main thread, and must reach nothing of the list.
  EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(timeoutThread.Get(), 0) == WAIT_OBJECT_0; }, 10000));
}

// ---- line hint ----

class ElListBoxHintTest : public ElListBoxTest {
 protected:
  void SetUp() override {
    ElListBoxTest::SetUp();
    savedPause = Application->HintPause();
    Application->SetHintPause(50);
    list->SetShowLineHint(true);
    list->Items()->Add(u"short");
    list->Items()->Add(u"a row far too long for the control to show in its width: " + WideString(60, u'x'));
    list->FlushStream();
  }
  void TearDown() override {
    Application->SetHintPause(savedPause);
    ElListBoxTest::TearDown();
  }
  // Puts the mouse over a row and tells the list.
  void Hover(int row) {
    const RECT r = list->ItemRect(row);
    POINT point{r.left + 20, r.top + 5};
    const POINT screen = list->ClientToScreen(point);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(Window(), WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
  }
  int savedPause = 0;
};

TEST_F(ElListBoxHintTest, OnlyARowWiderThanTheControlGetsAHintPlacedOverIt) {
  Hover(0);
  PumpFor(300);
  EXPECT_EQ(list->LineHintWindow(), nullptr) << "the text fits";
  Hover(1);
  ASSERT_TRUE(PumpUntil([&] { return list->LineHintWindow() != nullptr; }, 3000));
  TElListBoxHintWindow* hint = list->LineHintWindow();
  EXPECT_EQ(hint->WideText(), list->Items()->Get(1));
  RECT placed;
  GetWindowRect(hint->Handle(), &placed);
  const RECT row = list->ItemRect(1);
  const POINT corner = list->ClientToScreen(POINT{row.left, row.top});
  EXPECT_EQ(placed.left, corner.x - 3);
  EXPECT_EQ(placed.top, corner.y - 3);
  EXPECT_GT(placed.right - placed.left, list->ClientWidth());
  // Moving to another row takes it away.
  Hover(0);
  EXPECT_EQ(list->LineHintWindow(), nullptr);
}

TEST_F(ElListBoxHintTest, NoHintWithoutShowLineHint) {
  list->SetShowLineHint(false);
  Hover(1);
  PumpFor(300);
  EXPECT_EQ(list->LineHintWindow(), nullptr);
}

}  // namespace

// ---- automatic dragging ----

class ElListBoxDragTest : public ElListBoxTest {
 protected:
  void SetUp() override {
    ElListBoxTest::SetUp();
    Fill(8);
    list->SetDragMode(dmAutomatic);
    list->OnStartDrag = [this](TObject*) { events.push_back("start"); };
    list->OnEndDrag = [this](TObject*, int, int) { events.push_back("end"); };
  }
  // A left press on a row's middle (with the real cursor there, where a
  // drag measures from), a move past the drag distance and the release.
  void PressMoveRelease(int row, WPARAM keys, const std::function<void()>& afterPress = {}) {
    const RECT rect = list->ItemRect(row);
    const POINT at{rect.left + 20, (rect.top + rect.bottom) / 2};
    const POINT screen = list->ClientToScreen(at);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(at.x, at.y));
    if (afterPress) afterPress();
    const int away = at.x + GetSystemMetrics(SM_CXDRAG) + 2;
    SendMessageW(Window(), WM_MOUSEMOVE, MK_LBUTTON | keys, MAKELPARAM(away, at.y));
    SendMessageW(Window(), WM_LBUTTONUP, keys, MAKELPARAM(away, at.y));
  }
  std::vector<int> SelectedRows() {
    std::vector<int> rows;
    for (int i = 0; i < list->GetCount(); ++i)
      if (list->Selected(i)) rows.push_back(i);
    return rows;
  }
  std::vector<std::string> events;
};

TEST_F(ElListBoxDragTest, APressOnASelectedRowDragsTheSelectionWithoutChangingIt) {
  list->SetMultiSelect(true);
  list->SetSelected(2, true);
  list->SetSelected(3, true);
  PressMoveRelease(3, 0, [this] {
    EXPECT_EQ(SelectedRows(), (std::vector<int>{2, 3})) << "the press selects nothing";
    EXPECT_FALSE(list->Dragging()) << "not before the drag distance";
  });
  EXPECT_EQ(events, (std::vector<std::string>{"start", "end"}));
  EXPECT_EQ(SelectedRows(), (std::vector<int>{2, 3}));
  EXPECT_FALSE(list->Dragging());
}

TEST_F(ElListBoxDragTest, CtrlOrShiftInAMultiSelectListSelectsWithoutDragging) {
  list->SetMultiSelect(true);
  list->SetSelected(2, true);
  PressMoveRelease(5, MK_CONTROL);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{2, 5})) << "Ctrl adds the row";
  PressMoveRelease(2, MK_SHIFT);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{2, 3, 4, 5})) << "a lone Shift on a selected row selects a range";
  EXPECT_TRUE(events.empty());
}

TEST_F(ElListBoxDragTest, APressOnAnotherRowSelectsItAndThenDrags) {
  for (bool multi : {false, true}) {
    events.clear();
    list->SetMultiSelect(multi);
    list->SetSelected(1, true);
    PressMoveRelease(4, 0);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{4})) << "multi " << multi;
    EXPECT_EQ(events, (std::vector<std::string>{"start", "end"})) << "multi " << multi;
  }
  // Manual dragging leaves presses alone.
  events.clear();
  list->SetDragMode(dmManual);
  PressMoveRelease(6, 0);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{6}));
  EXPECT_TRUE(events.empty());
}
