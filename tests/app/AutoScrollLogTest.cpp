#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/app/MainFormTestSupport.h"

namespace {

// A log list that counts how often the view is moved and can fail when its
// top row is read.
class TProbeListBox : public TElListBox {
 public:
  using TElListBox::TElListBox;
  int topIndexWrites = 0;
  bool failRead = false;
  int TopIndex() override {
    if (failRead) throw std::runtime_error("no top row");
    return TElListBox::TopIndex();
  }
  void SetTopIndex(int value) override {
    ++topIndexWrites;
    TElListBox::SetTopIndex(value);
  }
};

class AutoScrollLogTest : public MainWindowTest {
 protected:
  // A list shaped like the designed log (276 high, the design font).
  TProbeListBox* MakeList(int height = 276) {
    auto* list = new TProbeListBox(form);
    list->SetParent(form);
    list->SetBounds(8, 112, 718, height);
    list->HandleNeeded();
    return list;
  }
  static void Fill(TElListBox* list, int count) {
    for (int i = 0; i < count; ++i) list->Items()->Add(u"line " + WideFromAscii(std::to_string(i).c_str()));
  }
};

TEST_F(AutoScrollLogTest, TheDesignedLogMeasuresThirteenPixelLines) {
  EXPECT_EQ(form->LogBox->Height(), 276);
  EXPECT_EQ(form->LogBox->Canvas()->TextExtent(u"Aj").cy, 13);
}

TEST_F(AutoScrollLogTest, ScrollsToTheEndOnlyWhileTheViewIsWithinThreeLinesOfIt) {
  // 276 / 13 + 0.5 gives 21 lines; the client area shows 20 whole rows.
  const struct {
    int height;
    int count;
    int topBefore;
    bool moves;
    int topAfter;
  } cases[] = {
      {276, 24, 0, true, 4},    // 21 + 0 >= 21
      {276, 25, 0, false, 0},   // 21 + 0 <  22
      {276, 5, 0, true, 0},     // fewer rows than a page: asked, but cannot scroll
      {276, 100, 76, true, 80}, // the view near the end follows it
      {276, 100, 50, false, 50},// scrolled up by the user: left alone
      {280, 25, 0, true, 4},    // 280 / 13 + 0.5 = 22.04: 22 lines; 21 rows fit
      {279, 25, 0, false, 0},   // 279 / 13 + 0.5 = 21.96: 21 lines
      {0, 30, 0, false, 0},     // no height: untouched
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.height << " high, " << c.count << " items, top " << c.topBefore);
    TProbeListBox* list = MakeList(c.height);
    Fill(list, c.count);
    list->SetTopIndex(c.topBefore);
    ASSERT_EQ(list->TopIndex(), c.topBefore);
    list->topIndexWrites = 0;
    WorkingThread::AutoScrollLog(list);
    EXPECT_EQ(list->topIndexWrites > 0, c.moves);
    EXPECT_EQ(list->TopIndex(), c.topAfter);
    delete list;
  }
}

TEST_F(AutoScrollLogTest, OnceAtTheEndEachFurtherLineKeepsTheLastPageInView) {
  TProbeListBox* list = MakeList();
  for (int i = 0; i < 60; ++i) {
    list->Items()->Add(u"line");
    WorkingThread::AutoScrollLog(list);
  }
  EXPECT_EQ(list->TopIndex(), 40);
  delete list;
}

TEST_F(AutoScrollLogTest, ANullListOrAFailureInsideIsSwallowed) {
  EXPECT_NO_THROW(WorkingThread::AutoScrollLog(nullptr));
  TProbeListBox* list = MakeList();
  list->Items()->Add(u"kept");
  list->failRead = true;
  EXPECT_NO_THROW(WorkingThread::AutoScrollLog(list));
  EXPECT_EQ(list->Items()->GetCount(), 1);
  EXPECT_EQ(list->topIndexWrites, 0);
  delete list;
}

TEST_F(AutoScrollLogTest, WorkerLinesScrollTheLogButTheWindowsOwnLinesDoNot) {
  for (int i = 0; i < 40; ++i) Volume()->AddFile(u"C:\\many\\f" + WideFromAscii(std::to_string(i).c_str()), 1);
  StartRun(u"C:\\many");
  ASSERT_TRUE(WaitForRunEnd());
  // 81 lines: the worker's 80 kept the view at the end; the end handler's line did not move it.
  EXPECT_EQ(form->LogBox->Items()->GetCount(), 81);
  EXPECT_EQ(form->LogBox->TopIndex(), 60);
}

}  // namespace
