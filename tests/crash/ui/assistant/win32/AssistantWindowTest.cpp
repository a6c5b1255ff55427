#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "crash/ui/assistant/win32/AssistantRunner.h"
#include "crash/ui/assistant/win32/ContactFormHandler.h"
#include "tests/crash/ui/assistant/win32/AssistantTestSupport.h"

namespace {

// Control ids of this build's forms: the items in resource order from
// kFirstItemId on (the three buttons take the first three places).
constexpr int kNameEdit = TAssistantFormWindow::kFirstItemId + 4;
constexpr int kEmailEdit = TAssistantFormWindow::kFirstItemId + 6;
constexpr int kMemCheck = TAssistantFormWindow::kFirstItemId + 7;
constexpr int kDetailsMemo = TAssistantFormWindow::kFirstItemId + 4;
constexpr int kContinue = TAssistantFormWindow::kContinueId;
constexpr int kSkip = TAssistantFormWindow::kSkipId;
constexpr int kCancel = TAssistantFormWindow::kCancelId;

const char* const kContactHeadline = "Contact Information";
const char* const kDetailsHeadline = "Error Details";

void ForgetContact() { RegDeleteKeyA(HKEY_CURRENT_USER, kContactFormKey); }

std::string Remembered(const char* value) {
  char buffer[256] = "";
  DWORD size = sizeof buffer;
  if (RegGetValueA(HKEY_CURRENT_USER, kContactFormKey, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return "<none>";
  return buffer;
}

// An assistant running on a thread of its own, as on the handling thread,
// driven from the test's thread by messages.
class AssistantWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ForgetContact(); }
  void TearDown() override {
    // A test that failed half-way leaves no form behind.
    CloseForms();
    if (running.joinable()) running.join();
    ForgetContact();
  }

  // withParent: the assistant's thread first makes a window of its own to
  // stand for the dialog (in parent), destroyed when the assistant ends.
  void Start(TIMEException& exception, const std::string& name = "SendAssistant", bool withParent = false) {
    std::promise<int> promise;
    result = promise.get_future();
    running = std::thread([this, &exception, name, withParent, promise = std::move(promise)]() mutable {
      HWND owner = withParent ? CreateWindowExA(0, "STATIC", "dialog", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                                nullptr, GetModuleHandleA(nullptr), nullptr)
                              : nullptr;
      parent = owner;
      const int value = RunAssistant(name, owner, exception);
      parentEnabledAfter = owner && IsWindowEnabled(owner);
      if (owner) DestroyWindow(owner);
      promise.set_value(value);
    });
  }

  // Waits for the form to be shown; the wait ends the test when it never is.
  HWND Await(const std::string& headline) {
    for (int tries = 0; tries < 3000; ++tries) {
      if (HWND form = FindShownForm(headline)) return form;
      Sleep(10);
    }
    std::string forms;
    for (HWND form = FindWindowExA(nullptr, nullptr, TAssistantFormWindow::kClassName, nullptr); form;
         form = FindWindowExA(nullptr, form, TAssistantFormWindow::kClassName, nullptr))
      forms += " \"" + ControlText(GetDlgItem(form, TAssistantFormWindow::kHeadlineId)) +
               (IsWindowVisible(form) ? "\" shown," : "\" hidden,") +
               (IsWindowEnabled(GetDlgItem(form, kContinue)) ? " Continue on;" : " Continue off;");
    ADD_FAILURE() << "no form \"" << headline << "\" was shown; there are:" << forms;
    return nullptr;
  }

  // The assistant's result; a form still waiting after a minute is closed,
  // so that a test that went wrong ends instead of hanging.
  int Finish() {
    if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
      ADD_FAILURE() << "the assistant did not end";
      CloseForms();
    }
    running.join();
    return result.get();
  }

  static void CloseForms() {
    for (HWND form; (form = FindWindowA(TAssistantFormWindow::kClassName, nullptr)) != nullptr;) {
      SendMessageA(form, WM_CLOSE, 0, 0);
      Sleep(10);
    }
  }

  // Replaces the text as typing does (a memo reports no change on WM_SETTEXT).
  static void Type(HWND form, int id, const std::string& text) {
    HWND edit = GetDlgItem(form, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  }
  static void Press(HWND form, int id) {
    SendMessageA(form, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(form, id)));
  }
  // Clicks the check box when its tick differs, as a person would.
  static void Tick(HWND form, int id, bool ticked) {
    HWND box = GetDlgItem(form, id);
    if ((SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != ticked) SendMessageA(box, BM_CLICK, 0, 0);
  }
  static bool Enabled(HWND form, int id) { return IsWindowEnabled(GetDlgItem(form, id)) != FALSE; }
  // The colour near the right end of an edit, where no text is, once painted.
  static COLORREF Background(HWND edit) {
    UpdateWindow(edit);
    RECT client;
    GetClientRect(edit, &client);
    HDC dc = GetDC(edit);
    const COLORREF colour = GetPixel(dc, client.right - 4, (client.top + client.bottom) / 2);
    ReleaseDC(edit, dc);
    return colour;
  }

  std::thread running;
  std::future<int> result;
  std::atomic<HWND> parent{nullptr};
  bool parentEnabledAfter = false;
};

TEST_F(AssistantWindowTest, AnUnknownAssistantFallsBackToTheDialog) {
  auto exception = MakeTestException();
  EXPECT_EQ(RunAssistant("NoSuchAssistant", nullptr, *exception), -1);
}

TEST_F(AssistantWindowTest, ContinueFollowsThePlausibilityOfTheAddress) {
  auto exception = MakeTestException();
  Start(*exception);
  HWND contact = Await(kContactHeadline);
  ASSERT_NE(contact, nullptr);
  EXPECT_FALSE(Enabled(contact, kContinue));  // the address is required
  EXPECT_FALSE(Enabled(contact, kSkip));
  EXPECT_TRUE(Enabled(contact, kCancel));
  const struct {
    const char* Address;
    bool Continue;
  } typed[] = {
      {"anna", false},          {"anna@", false},         {"anna@example", false}, {"anna@example.", false},
      {"anna@example.o", true}, {"anna@example.org", true}, {"anna@.example.org", false},
      {"anna @example.org", false}, {"@example.org", false}, {"anna@example.org", true},
  };
  for (const auto& t : typed) {
    Type(contact, kEmailEdit, t.Address);
    EXPECT_EQ(Enabled(contact, kContinue), t.Continue) << t.Address;
    // The coloured address edit shows whether it holds Continue back, once repainted.
    HWND email = GetDlgItem(contact, kEmailEdit);
    EXPECT_TRUE(Eventually([&] { return (Background(email) == GetSysColor(COLOR_WINDOW)) == t.Continue; }))
        << t.Address;
  }
  // The optional name never does.
  EXPECT_EQ(Background(GetDlgItem(contact, kNameEdit)), GetSysColor(COLOR_WINDOW));
  // The first edit has the focus.
  EXPECT_TRUE(Eventually([&] { return FocusOf(contact) == GetDlgItem(contact, kNameEdit); }));
  // Continue pressed while disabled (Enter does this) leaves the form shown.
  Type(contact, kEmailEdit, "anna@example");
  Press(contact, kContinue);
  EXPECT_EQ(FindShownForm(kContactHeadline), contact);
  Press(contact, kCancel);
  EXPECT_EQ(Finish(), 3);
}

TEST_F(AssistantWindowTest, FinishedAssistantPutsItsFieldsIntoTheReport) {
  auto exception = MakeTestException();
  Start(*exception);
  HWND contact = Await(kContactHeadline);
  ASSERT_NE(contact, nullptr);
  Type(contact, kNameEdit, "Anna Smith");
  Type(contact, kEmailEdit, "anna@example.org");
  Press(contact, kContinue);
  HWND details = Await(kDetailsHeadline);
  ASSERT_NE(details, nullptr);
  EXPECT_FALSE(Enabled(details, kContinue));  // the details are required
  EXPECT_TRUE(Enabled(details, kSkip));
  Type(details, kDetailsMemo, "Pressed DeCompress.\r\nThen it failed.");
  EXPECT_TRUE(Enabled(details, kContinue));
  Press(details, kContinue);
  ASSERT_EQ(Finish(), 1);

  EXPECT_EQ(exception->Header().Get("contact name"), "Anna Smith");
  EXPECT_EQ(exception->Header().Get("contact email"), "anna@example.org");
  EXPECT_EQ(exception->Header().IndexOf("error details"), -1);
  EXPECT_EQ(exception->Sections().Get("error details"), "Pressed DeCompress.\r\nThen it failed.");
  EXPECT_EQ(exception->MailFrom(), "Anna Smith <anna@example.org>");
  // Not remembered: the box was not ticked.
  EXPECT_EQ(Remembered("RememberName"), "<none>");
  // Every edit and check box went into the form cache.
  EXPECT_EQ(exception->FormCache().Get("NameEdit"), "Anna Smith");
  EXPECT_EQ(exception->FormCache().Get("MemCheck"), "-");
  EXPECT_EQ(exception->FormCache().Get("DetailsMemo"), "Pressed DeCompress.\r\nThen it failed.");
}

TEST_F(AssistantWindowTest, ParentIsDisabledWhileTheFormsAreShown) {
  auto exception = MakeTestException();
  Start(*exception, "SendAssistant", true);
  HWND contact = Await(kContactHeadline);
  ASSERT_NE(contact, nullptr);
  ASSERT_NE(parent.load(), nullptr);
  EXPECT_FALSE(IsWindowEnabled(parent.load()));
  EXPECT_EQ(GetWindow(contact, GW_OWNER), parent.load());
  Press(contact, kCancel);
  EXPECT_EQ(Finish(), 3);
  EXPECT_TRUE(parentEnabledAfter);
}

TEST_F(AssistantWindowTest, SkippedFormAddsNothingAndWithoutNameTheSenderStays) {
  auto exception = MakeTestException();
  Start(*exception);
  HWND contact = Await(kContactHeadline);
  ASSERT_NE(contact, nullptr);
  Type(contact, kEmailEdit, "anna@example.org");
  Press(contact, kContinue);
  HWND details = Await(kDetailsHeadline);
  ASSERT_NE(details, nullptr);
  Type(details, kDetailsMemo, "typed, then skipped");
  Press(details, kSkip);
  ASSERT_EQ(Finish(), 1);
  EXPECT_EQ(exception->Header().Get("contact email"), "anna@example.org");
  EXPECT_EQ(exception->Header().IndexOf("contact name"), -1);
  EXPECT_EQ(exception->Sections().IndexOf("error details"), -1);
  EXPECT_EQ(exception->MailFrom(), "");
}

TEST_F(AssistantWindowTest, CancelledAssistantChangesNeitherReportNorCache) {
  auto exception = MakeTestException();
  Start(*exception);
  HWND contact = Await(kContactHeadline);
  ASSERT_NE(contact, nullptr);
  Type(contact, kNameEdit, "Anna Smith");
  Type(contact, kEmailEdit, "anna@example.org");
  Tick(contact, kMemCheck, true);
  Press(contact, kContinue);
  HWND details = Await(kDetailsHeadline);
  ASSERT_NE(details, nullptr);
  SendMessageA(details, WM_CLOSE, 0, 0);  // the close box cancels
  ASSERT_EQ(Finish(), 3);
  EXPECT_EQ(exception->Header().IndexOf("contact name"), -1);
  EXPECT_EQ(exception->FormCache().Count(), 0);
  // The contact form itself was left with Continue: it remembered.
  EXPECT_EQ(Remembered("RememberName"), "Anna Smith");
}

TEST_F(AssistantWindowTest, ContactFormRemembersAndForgetsTheUser) {
  {
    auto exception = MakeTestException();
    Start(*exception);
    HWND contact = Await(kContactHeadline);
    ASSERT_NE(contact, nullptr);
    Type(contact, kNameEdit, "Anna Smith");
    Type(contact, kEmailEdit, "anna@example.org");
    Tick(contact, kMemCheck, true);
    Press(contact, kContinue);
    Press(Await(kDetailsHeadline), kCancel);
    ASSERT_EQ(Finish(), 3);
    EXPECT_EQ(Remembered("RememberName"), "Anna Smith");
    EXPECT_EQ(Remembered("RememberEmail"), "anna@example.org");
  }
  // A new exception (no form cache): the remembered values come back, the
  // box is ticked and Continue has the focus.
  auto exception = MakeTestException();
  Start(*exception);
  HWND contact = Await(kContactHeadline);
  ASSERT_NE(contact, nullptr);
  EXPECT_EQ(ControlText(GetDlgItem(contact, kNameEdit)), "Anna Smith");
  EXPECT_EQ(ControlText(GetDlgItem(contact, kEmailEdit)), "anna@example.org");
  EXPECT_EQ(SendMessageA(GetDlgItem(contact, kMemCheck), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(Enabled(contact, kContinue));
  EXPECT_TRUE(Eventually([&] { return FocusOf(contact) == GetDlgItem(contact, kContinue); }));
  Tick(contact, kMemCheck, false);
  Press(contact, kContinue);
  Press(Await(kDetailsHeadline), kCancel);
  ASSERT_EQ(Finish(), 3);
  EXPECT_EQ(Remembered("RememberName"), "<none>");
  EXPECT_EQ(Remembered("RememberEmail"), "<none>");
}

TEST_F(AssistantWindowTest, FormCacheFillsTheFormsOfTheNextShowing) {
  auto exception = MakeTestException();
  Start(*exception);
  HWND contact = Await(kContactHeadline);
  ASSERT_NE(contact, nullptr);
  Type(contact, kEmailEdit, "bert@example.org");
  Press(contact, kContinue);
  HWND details = Await(kDetailsHeadline);
  ASSERT_NE(details, nullptr);
  Type(details, kDetailsMemo, "first time");
  Press(details, kContinue);
  ASSERT_EQ(Finish(), 1);

  Start(*exception, "SaveAssistant");  // same forms, same cache
  contact = Await(kContactHeadline);
  ASSERT_NE(contact, nullptr);
  EXPECT_EQ(ControlText(GetDlgItem(contact, kEmailEdit)), "bert@example.org");
  EXPECT_TRUE(Enabled(contact, kContinue));  // the cached address counts as typed
  Press(contact, kContinue);
  details = Await(kDetailsHeadline);
  ASSERT_NE(details, nullptr);
  EXPECT_EQ(ControlText(GetDlgItem(details, kDetailsMemo)), "first time");
  // Every item of the details form came from the cache: Continue has the focus.
  EXPECT_TRUE(Eventually([&] { return FocusOf(details) == GetDlgItem(details, kContinue); }));
  Press(details, kContinue);
  EXPECT_EQ(Finish(), 1);
}

}  // namespace
