#include "crash/ui/assistant/AssistantForm.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "crash/SettingsStreamReader.h"

namespace {

std::string FormResource(const std::string& name) {
  std::ifstream file(std::string(RAVELIN_ASSISTANT_FORMS_DIR) + "/" + name + ".bin", std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::vector<std::string> ItemNames(const TAssistantForm& form) {
  std::vector<std::string> names;
  for (const TAssistantFormItem& item : form.Items) names.push_back(item.Name);
  return names;
}

TEST(AssistantFormTest, ContactFormOfThisBuild) {
  const TAssistantForm form = ReadAssistantForm(FormResource("TMECONTACTFORM"));
  EXPECT_EQ(form.Name, "ContactForm");
  EXPECT_EQ(form.Message, "Contact Information");
  EXPECT_EQ(form.OnAction, "Ostrel.HandleContactForm");
  EXPECT_EQ(form.Timer, 0);
  EXPECT_EQ(ItemNames(form), (std::vector<std::string>{"ContinueBtn", "SkipBtn", "CancelBtn", "NameLabel", "NameEdit",
                                                        "EmailLabel", "EmailEdit", "MemCheck"}));
  EXPECT_TRUE(form.Item("continuebtn")->Enabled);
  EXPECT_FALSE(form.Item("SkipBtn")->Enabled);
  EXPECT_EQ(form.Item("NameLabel")->Caption, "your name:");
  const TAssistantFormItem& name = *form.Item("NameEdit");
  EXPECT_EQ(name.Kind, TAssistantItemKind::Edit);
  EXPECT_TRUE(name.Optional);
  EXPECT_EQ(name.OutputName, "contact name");
  EXPECT_EQ(name.OutputType, TAssistantOutputType::Header);
  const TAssistantFormItem& email = *form.Item("EmailEdit");
  EXPECT_FALSE(email.Optional);
  EXPECT_EQ(email.OutputName, "contact email");
  EXPECT_EQ(form.Item("MemCheck")->Kind, TAssistantItemKind::CheckBox);
  EXPECT_EQ(form.Item("MemCheck")->Caption, "remember me");
}

TEST(AssistantFormTest, DetailsAndScreenshotFormsOfThisBuild) {
  const TAssistantForm details = ReadAssistantForm(FormResource("TMEDETAILSFORM"));
  EXPECT_EQ(details.Message, "Error Details");
  EXPECT_TRUE(details.OnAction.empty());
  EXPECT_TRUE(details.Item("SkipBtn")->Enabled);
  const TAssistantFormItem& memo = *details.Item("DetailsMemo");
  EXPECT_EQ(memo.Lines, 9);
  EXPECT_FALSE(memo.Optional);
  EXPECT_EQ(memo.OutputName, "error details");
  EXPECT_EQ(memo.OutputType, TAssistantOutputType::OwnSection);

  const TAssistantForm shot = ReadAssistantForm(FormResource("TMESCRSHOTFORM"));
  EXPECT_EQ(shot.Message, "Screenshot Configuration");
  EXPECT_EQ(shot.OnAction, "Ostrel.HandleScreenshotForm");
  EXPECT_EQ(shot.Timer, 250);
  EXPECT_EQ(shot.ActiveControl, "ContinueBtn");
  EXPECT_FALSE(shot.Item("SkipBtn")->Enabled);
  EXPECT_TRUE(shot.Item("AttachCheck")->Checked);
  EXPECT_EQ(shot.Item("AttachCheck")->Caption, "attach a screenshot to the bug report");
  const TAssistantFormItem& image = *shot.Item("ScrShotImg");
  EXPECT_EQ(image.Kind, TAssistantItemKind::Image);
  EXPECT_TRUE(image.Border);
  EXPECT_TRUE(image.Clickable);
  EXPECT_EQ(shot.Item("ScrShotLabel")->Caption, "(click to edit image)");
}

// A resource cut off anywhere is refused with the stream error, never read
// past its end.
TEST(AssistantFormTest, EveryTruncationIsRefused) {
  const std::string bytes = FormResource("TMECONTACTFORM");
  ASSERT_FALSE(bytes.empty());
  for (std::size_t length = 0; length < bytes.size(); ++length)
    EXPECT_THROW(ReadAssistantForm(bytes.substr(0, length)), TSettingsStreamError) << length;
}

std::string ShortString(const std::string& text) { return std::string(1, static_cast<char>(text.size())) + text; }

std::string Button(const std::string& name) { return ShortString("TMEButton") + ShortString(name) + '\0' + '\0'; }

std::string FormWith(const std::string& formProperties, const std::string& items) {
  return "TPF0" + ShortString("TMEXForm") + ShortString("XForm") + formProperties + '\0' + Button("ContinueBtn") +
         Button("SkipBtn") + Button("CancelBtn") + items + '\0';
}

TEST(AssistantFormTest, RefusesWhatNoFormHolds) {
  const std::string okItem = ShortString("TMELabel") + ShortString("L") + '\0' + '\0';
  EXPECT_NO_THROW(ReadAssistantForm(FormWith("", okItem)));
  const std::string cases[] = {
      FormWith(ShortString("Colour") + "\x02\x01", okItem),                               // unknown form property
      FormWith("", ShortString("TMEGrid") + ShortString("G") + '\0' + '\0'),             // unknown item class
      FormWith("", ShortString("TMELabel") + ShortString("L") + ShortString("Lines") + "\x06\x01x" + '\0' + '\0'),
      FormWith("", ShortString("TMEEdit") + ShortString("E") + ShortString("OutputType") + "\x07\x05nvoXy" + '\0' +
                       '\0'),                                                            // unknown output type
      FormWith("", ShortString("TMELabel") + ShortString("L") + '\0' + Button("Inner")),  // an item with items
      "TPF0" + ShortString("TMEXForm") + ShortString("XForm") + '\0' + Button("ContinueBtn") + Button("CancelBtn") +
          '\0',                                                                           // no Skip button
      "TPF1" + FormWith("", "").substr(4),
  };
  for (const std::string& bytes : cases) EXPECT_THROW(ReadAssistantForm(bytes), TSettingsStreamError);
}

}  // namespace
