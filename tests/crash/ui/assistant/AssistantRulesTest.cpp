#include "crash/ui/assistant/AssistantRules.h"

#include <gtest/gtest.h>

namespace {

TAssistantFormItem Edit(const std::string& name, bool optional, bool valid, const std::string& text) {
  TAssistantFormItem item;
  item.Kind = TAssistantItemKind::Edit;
  item.Name = name;
  item.Optional = optional;
  item.Valid = valid;
  item.Text = text;
  return item;
}

TAssistantFormItem CheckBox(const std::string& name, const std::string& output, bool checked) {
  TAssistantFormItem item;
  item.Kind = TAssistantItemKind::CheckBox;
  item.Name = name;
  item.OutputName = output;
  item.Checked = checked;
  return item;
}

TEST(AssistantRulesTest, ContinueOnlyWhileEveryEditAllowsIt) {
  struct TCase {
    std::vector<TAssistantFormItem> Items;
    bool Allowed;
  };
  const TCase cases[] = {
      {{}, true},
      {{Edit("a", true, false, "")}, true},                                 // optional: always
      {{Edit("a", false, true, "text")}, true},
      {{Edit("a", false, true, "")}, false},                                // required and empty
      {{Edit("a", false, false, "text")}, false},                           // required, not valid
      {{Edit("a", true, false, ""), Edit("b", false, true, "x")}, true},
      {{Edit("a", false, true, "x"), Edit("b", false, false, "x")}, false},  // one edit holds it back
      {{CheckBox("c", "", false), Edit("b", false, true, "x")}, true},
  };
  for (const TCase& c : cases) {
    TAssistantForm form;
    form.Items = c.Items;
    EXPECT_EQ(ContinueAllowed(form), c.Allowed) << c.Items.size();
  }
}

TEST(AssistantRulesTest, ContinuedFormsGoIntoHeaderAndSections) {
  TAssistantForm contact;
  contact.Result = afrContinue;
  contact.Items = {Edit("NameEdit", true, true, ""), Edit("EmailEdit", false, true, "anna@example.org"),
                   CheckBox("MemCheck", "", true), CheckBox("Agree", "agreed", false)};
  contact.Items[0].OutputName = "contact name";
  contact.Items[1].OutputName = "contact email";
  TAssistantForm details;
  details.Result = afrContinue;
  details.Items = {Edit("DetailsMemo", false, true, "line 1\r\nline 2"), Edit("OneLine", false, true, "short")};
  for (TAssistantFormItem& item : details.Items) item.OutputType = TAssistantOutputType::OwnSection;
  details.Items[0].OutputName = "error details";
  details.Items[0].Lines = 9;
  details.Items[1].OutputName = "summary";  // a single line stays a header field
  TAssistantForm skipped;
  skipped.Result = afrSkip;
  skipped.Items = {CheckBox("Other", "other", true), Edit("E", false, true, "skipped text")};
  skipped.Items[1].OutputName = "skipped";

  TIMEFields header, sections;
  header.Add("exception class", "EAccessViolation");
  OutputAssistantFields({contact, details, skipped}, header, sections);
  EXPECT_EQ(header.Items(), (std::vector<std::pair<std::string, std::string>>{
                                {"exception class", "EAccessViolation"},
                                {"contact email", "anna@example.org"},
                                {"agreed", "no"},
                                {"summary", "short"}}));
  EXPECT_EQ(sections.Items(),
            (std::vector<std::pair<std::string, std::string>>{{"error details", "line 1\r\nline 2"}}));
}

TEST(AssistantRulesTest, CacheCarriesEditsAndCheckBoxesBothWays) {
  TAssistantForm form;
  TAssistantFormItem label;
  label.Name = "NameLabel";
  form.Items = {label, Edit("NameEdit", true, true, "Anna"), CheckBox("MemCheck", "", true)};
  TMEForm cached;
  CopyItemsToCache(form, cached);
  ASSERT_EQ(cached.items.size(), 2u);
  EXPECT_EQ(cached.items[0].name, "NameEdit");
  EXPECT_EQ(cached.items[0].kind, TMEFormItemKind::Edit);
  EXPECT_EQ(cached.items[0].text, "Anna");
  EXPECT_EQ(cached.items[1].kind, TMEFormItemKind::CheckBox);
  EXPECT_TRUE(cached.items[1].checked);

  cached.items[0].text = "Bert";
  cached.items[1].checked = false;
  cached.focusContinue = true;
  CopyCacheToItems(cached, form);
  EXPECT_EQ(form.Item("NameEdit")->Text, "Bert");
  EXPECT_FALSE(form.Item("MemCheck")->Checked);
  EXPECT_TRUE(form.FocusContinue);
}

}  // namespace
