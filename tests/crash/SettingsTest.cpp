#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "crash/PasswordCipher.h"
#include "crash/SettingsResource.h"
#include "crash/TIMESettings.h"
#include "tests/support/FakeSettingsEnvironment.h"

namespace {

using Environment = TFakeSettingsEnvironment;
constexpr TModuleHandle kExe = Environment::kExecutable;
constexpr TModuleHandle kLibrary = 0x10000000;

std::string ReadFile(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// The resource this build embeds, as the build wrote it.
std::string ThisBuildsResource() { return ReadFile(RAVELIN_SETTINGS_RESOURCE_FILE); }

TEST(BuiltInSettings, HoldEverySettingWithTheDefaultsThatDifferFromThisBuild) {
  EXPECT_EQ(BuiltInSettingCount(), 121);
  EXPECT_EQ(FindBuiltInSetting("MinDebugInfo"), nullptr);
  EXPECT_EQ(FindBuiltInSetting("Assistant1"), nullptr);
  struct Case {
    const char* name;
    TPropertyType kind;
    bool boolValue;
    int intValue;
    const char* text;
  };
  const Case cases[] = {
      {"Enabled", ptBoolean, false, 0, ""},
      {"NoSettings", ptBoolean, true, 0, ""},
      {"FreezeTimeout", ptInteger, false, 60, ""},
      {"AutoDelay", ptInteger, false, 60, ""},
      {"AutoRestart", ptInteger, false, 0, ""},
      {"SendInBackgr", ptBoolean, true, 0, ""},
      {"BugRepFileSize", ptInteger, false, 100000, ""},
      {"F1ShowCfg", ptInteger, false, 0, ""},
      {"PrepAttMsg", ptString, false, 0, "Prepare attachments..."},
      {"BitFaultMsg", ptString, false, 0, "The file \"%modname%\" seems to be corrupt!"},
      {"MailAddr", ptString, false, 0, ""},
      {"Plugins", ptString, false, 0, "modules|processes|hardware"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TSettingProperty* property = FindBuiltInSetting(c.name);
    ASSERT_NE(property, nullptr);
    EXPECT_EQ(property->Kind, c.kind);
    EXPECT_EQ(property->BoolValue, c.boolValue);
    EXPECT_EQ(property->IntValue, c.intValue);
    EXPECT_EQ(property->TextValue, c.text);
  }
}

class SettingsTest : public ::testing::Test {
 protected:
  Environment environment;
  void SetResource(TModuleHandle module, const std::string& bytes) {
    environment.modules[module].resources[kSettingsResourceName] = bytes;
  }
  std::shared_ptr<TIMESettings> Settings(TModuleHandle module = kExe) {
    return std::make_shared<TIMESettings>(environment, module);
  }
};

TEST_F(SettingsTest, ThisBuildsResourceCarriesTheBuildsValuesAndTheTableFillsTheRest) {
  SetResource(kExe, ThisBuildsResource());
  auto settings = Settings();
  EXPECT_TRUE(settings->Valid());
  EXPECT_TRUE(settings->Enabled());
  EXPECT_FALSE(settings->NoSettings());
  EXPECT_EQ(settings->FreezeTimeout(), 60000);
  EXPECT_EQ(settings->AutoRestart(), 60);
  EXPECT_EQ(settings->AutoDelay(), 60);  // absent from the resource
  EXPECT_EQ(settings->VersionVar(), 0);
  EXPECT_EQ(settings->MailAddr(), "bugs@ravelin.example");
  EXPECT_EQ(settings->HttpServer(), "http://bugs.ravelin.example/upload");
  EXPECT_EQ(settings->PrepAttMsg(), "Preparing attachments...");
  EXPECT_EQ(settings->TitleBar(), "Ravelin.exe");
  EXPECT_EQ(settings->BitFaultMsg(), "The file \"Ravelin.exe\" seems to be corrupt!");
  EXPECT_EQ(settings->F1Classes(), "EDBEditError");
  EXPECT_EQ(settings->F1ShowCfg(), 4);
  EXPECT_EQ(settings->ReadText("Assistant3"), "PrintAssistant|Print Assistant|ContactForm|DetailsForm");
  EXPECT_FALSE(settings->MinDebugInfo());
  EXPECT_TRUE(environment.messages.empty());
}

TEST_F(SettingsTest, AModuleWithoutAcceptableSettingsAnswersFromTheBuiltInTable) {
  const std::string headers[] = {
      "",                                                       // no resource bytes
      TSettingsResourceBuilder("TOther").Bool("Enabled", true).End(),
      TSettingsResourceBuilder("TOstrel", "Other").Bool("Enabled", true).End(),
      "TPF1" + TSettingsResourceBuilder().Bool("Enabled", true).End().substr(4),
  };
  for (const std::string& bytes : headers) {
    Environment fresh;
    fresh.modules[kExe].resources[kSettingsResourceName] = bytes;
    TIMESettings settings(fresh, kExe);
    EXPECT_FALSE(settings.Valid());
    EXPECT_FALSE(settings.Enabled());
    EXPECT_EQ(settings.AutoDelay(), 60);
    EXPECT_FALSE(settings.SetAutoDelay(5));  // only valid settings take writes
  }
  TIMESettings missing(environment, kExe);  // no resource at all
  EXPECT_FALSE(missing.Valid());
  EXPECT_TRUE(missing.NoSettings());
  Environment noBuffer;
  noBuffer.sharedBufferFails = true;
  noBuffer.modules[kExe].resources[kSettingsResourceName] = ThisBuildsResource();
  TIMESettings unshared(noBuffer, kExe);
  EXPECT_FALSE(unshared.Valid());
  EXPECT_FALSE(unshared.Enabled());
}

TEST_F(SettingsTest, APropertyOfAnotherTypeStopsTheReadingAndKeepsWhatCameBefore) {
  const std::string extended = TSettingsResourceBuilder::Short("Ratio") + char(5) + std::string(10, '\1');
  SetResource(kExe, TSettingsResourceBuilder()
                        .Bool("Enabled", true)
                        .Int("AutoDelay", 7)
                        .Raw(extended)
                        .Int("SmtpPort", 2525)
                        .End());
  auto settings = Settings();
  EXPECT_TRUE(settings->Valid());
  EXPECT_EQ(environment.messages,
            std::vector<std::string>{"Ostrel: Internal error: Invalid settings resource ($5)."});
  EXPECT_TRUE(settings->Enabled());
  EXPECT_EQ(settings->AutoDelay(), 7);
  EXPECT_EQ(settings->SmtpPort(), 25);  // after the bad property: the default
}

TEST_F(SettingsTest, AResourceCutShortAnywhereIsReadSafely) {
  const std::string whole = ThisBuildsResource();
  const size_t header = 4 + 8 + 7;
  for (size_t length = 0; length < whole.size(); ++length) {
    Environment fresh;
    fresh.modules[kExe].resources[kSettingsResourceName] = whole.substr(0, length);
    TIMESettings settings(fresh, kExe);
    ASSERT_EQ(settings.Valid(), length >= header) << length;
    if (length >= 40) {
      EXPECT_TRUE(settings.Enabled()) << length;  // the first property
    }
    EXPECT_TRUE(fresh.messages.empty()) << length;
  }
}

// Each kind of stored value, in every width the stream may give it.
TEST(SettingsResourceReader, ReadsEveryStoredFormOfAValue) {
  using B = TSettingsResourceBuilder;
  const std::string u8 = std::string("\x02", 1), u16 = "\x03", u32 = "\x04";
  struct Case {
    const char* what;
    std::string value;  // the type byte and what follows it
    TPropertyType kind;
    std::int32_t integer;
    std::string text;
  };
  const Case cases[] = {
      {"8-bit integer, negative", u8 + "\xF6", ptInteger, -10, ""},
      {"16-bit integer", u16 + std::string("\x34\x12", 2), ptInteger, 0x1234, ""},
      {"16-bit integer, negative", u16 + std::string("\xFE\xFF", 2), ptInteger, -2, ""},
      {"32-bit integer", u32 + std::string("\x78\x56\x34\x12", 4), ptInteger, 0x12345678, ""},
      {"32-bit integer, negative", u32 + std::string("\xFF\xFF\xFF\xFF", 4), ptInteger, -1, ""},
      {"short string", "\x06" + B::Short("abc"), ptString, 0, "abc"},
      {"long string", "\x0C" + std::string("\x03\0\0\0", 4) + "xyz", ptString, 0, "xyz"},
      {"wide string", "\x12" + std::string("\x02\0\0\0" "c\0d\0", 8), ptString, 0, "cd"},
      {"empty wide string", "\x12" + std::string(4, '\0'), ptString, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TSettingPropertyList properties;
    const std::string bytes = B().Raw(B::Short("Value") + c.value).Bool("After", true).End();
    ASSERT_TRUE(ParseSettingsResource(bytes, properties, [](const std::string&) { FAIL(); }));
    const TSettingProperty* value = properties.Find("Value");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->Kind, c.kind);
    EXPECT_EQ(value->Kind == ptInteger ? value->IntValue : 0, c.integer);
    EXPECT_EQ(value->TextValue, c.text);
    ASSERT_NE(properties.Find("After"), nullptr) << "the next property is read from the right place";
  }
}

// Lengths that claim more than the resource holds, up to ones that would
// wrap around when counted in bytes.
TEST(SettingsResourceReader, LengthsBeyondTheResourceStopTheReadingSafely) {
  using B = TSettingsResourceBuilder;
  // Four text bytes and the end of the list follow the length.
  const std::string lengths[] = {std::string("\x07\0\0\0", 4), std::string("\xFF\xFF\xFF\xFF", 4),
                                 std::string("\x00\x00\x00\x80", 4), std::string("\x01\x00\x00\x80", 4)};
  for (const char type : {'\x0C', '\x12'}) {
    for (const std::string& length : lengths) {
      SCOPED_TRACE(std::to_string(int(type)) + ", length " + std::to_string(static_cast<unsigned char>(length[3])));
      TSettingPropertyList properties;
      const std::string bytes = B().Bool("Before", true).Raw(B::Short("Value") + type + length + "abcd").End();
      ASSERT_TRUE(ParseSettingsResource(bytes, properties, [](const std::string&) { FAIL(); }));
      EXPECT_NE(properties.Find("Before"), nullptr);
      EXPECT_EQ(properties.Find("Value"), nullptr);
    }
  }
}

TEST_F(SettingsTest, PlaceholdersExpandExceptTheExceptionMessageAndReport) {
  SetResource(kExe, TSettingsResourceBuilder()
                        .Text("TitleBar", "%APPNAME% on %modname% %appversion%")
                        .Text("ExceptMsg", "%exceptMsg%%LF%%bugReport%")
                        .Text("MailSubj", "%date% %time% | %datetime%")
                        .End());
  environment.modules[kExe].fileVersion = "1.2.3.4";
  auto settings = Settings();
  EXPECT_EQ(settings->TitleBar(), "Ravelin.exe on Ravelin.exe 1.2.3.4");
  EXPECT_EQ(settings->ExceptMsg(), "%exceptMsg%\r\n%bugReport%");
  EXPECT_EQ(settings->MailSubj(), "2026-12-10 09:05:07, 42ms | 2026-12-10, 09:05:07, 42ms");
}

TEST_F(SettingsTest, VersionsComeFromTheVersionVariableThenTheFileThenAQuestionMark) {
  environment.modules[kLibrary].fileName = "plugin.dll";
  SetResource(kLibrary, TSettingsResourceBuilder().Text("TitleBar", "%modversion%/%appversion%").End());
  EXPECT_EQ(Settings(kLibrary)->TitleBar(), "?/?");
  environment.modules[kExe].fileVersion = "2.0.0.7";
  environment.modules[kLibrary].fileVersion = "1.0.0.1";
  EXPECT_EQ(Settings(kLibrary)->TitleBar(), "1.0.0.1/2.0.0.7");

  Environment withVariable;
  withVariable.modules[kExe].versionVariables[0x1234] = "3.1 beta";
  withVariable.modules[kExe].fileVersion = "3.1.0.0";
  withVariable.modules[kExe].resources[kSettingsResourceName] =
      TSettingsResourceBuilder().Int("VersionVar", 0x1234).Text("TitleBar", "v%modversion%").End();
  TIMESettings settings(withVariable, kExe);
  EXPECT_EQ(settings.VersionText(), "3.1 beta");
  EXPECT_EQ(settings.TitleBar(), "v3.1 beta");
}

TEST_F(SettingsTest, WritesKeepTheirKindAndAreSharedByTheModulesUsers) {
  SetResource(kExe, TSettingsResourceBuilder().Bool("Enabled", true).Int("SmtpPort", 25).End());
  auto first = Settings();
  auto second = Settings();
  EXPECT_FALSE(first->WriteInt("Enabled", 0));  // a boolean stays a boolean
  EXPECT_TRUE(first->Enabled());
  EXPECT_FALSE(first->WriteText("SmtpPort", "26"));
  EXPECT_EQ(first->SmtpPort(), 25);
  EXPECT_TRUE(first->SetSmtpPort(587));
  EXPECT_EQ(second->SmtpPort(), 587);
  EXPECT_TRUE(first->SetMailSubj("crash"));  // missing: appended with its kind
  EXPECT_EQ(second->MailSubj(), "crash");
  second->Refresh();  // run-time changes are dropped
  EXPECT_EQ(first->SmtpPort(), 25);
  EXPECT_EQ(first->MailSubj(), "bug report");
  first.reset();
  second.reset();
  EXPECT_EQ(environment.LiveEntries(), 0);
}

TEST_F(SettingsTest, PluginsAreToggledByName) {
  SetResource(kExe, ThisBuildsResource());
  auto settings = Settings();
  EXPECT_TRUE(settings->PluginEnabled("HARDWARE"));
  EXPECT_FALSE(settings->PluginEnabled("hard"));
  settings->SetPluginEnabled("hardware", false);
  EXPECT_EQ(settings->Plugins(), "modules|processes");
  settings->SetPluginEnabled("modules", true);
  EXPECT_EQ(settings->Plugins(), "modules|processes");
  settings->SetPluginEnabled("processes", false);
  settings->SetPluginEnabled("modules", false);
  EXPECT_EQ(settings->Plugins(), "");
  settings->SetPluginEnabled("hardware", true);
  EXPECT_EQ(settings->Plugins(), "hardware");
}

TEST_F(SettingsTest, ExtraFieldsAndAttachmentsComeFromTheirSettings) {
  SetResource(kExe, TSettingsResourceBuilder()
                        .Text("AddFields", "Build=nightly|Empty=|Branch=main=x")
                        .Text("AddAttachs", "C:\\a.log>a.txt>logs.zip>log|>skipped|C:\\b.ini")
                        .End());
  auto settings = Settings();
  auto fields = settings->ExtraFields();
  ASSERT_EQ(fields->Count(), 2);
  EXPECT_EQ(fields->Get("build"), "nightly");
  EXPECT_EQ(fields->Get("Branch"), "main=x");
  fields->Add("Tester", "qa");
  EXPECT_EQ(settings->AddFields(), "Build=nightly|Branch=main=x|Tester=qa");
  auto attachments = settings->ExtraAttachments();
  ASSERT_EQ(attachments->Count(), 2);
  EXPECT_EQ(attachments->Item(0).file, "C:\\a.log");
  EXPECT_EQ(attachments->Item(0).sendAs, "a.txt");
  EXPECT_EQ(attachments->Item(0).zipName, "logs.zip");
  EXPECT_EQ(attachments->Item(0).fieldName, "log");
  EXPECT_EQ(attachments->Item(1).file, "C:\\b.ini");
  EXPECT_EQ(attachments->Item(1).sendAs, "");
}

TEST_F(SettingsTest, AssistantsListTheirFormsAndDropTheScreenshotFormWithoutScreenshots) {
  std::string bytes = ThisBuildsResource();
  SetResource(kExe, bytes);
  environment.modules[kExe].resources["TMECONTACTFORM"] = "form bytes";
  auto settings = Settings();
  auto send = settings->BuildAssistant("sendassistant");
  ASSERT_NE(send, nullptr);
  EXPECT_EQ(send->title, "Send Assistant");
  ASSERT_EQ(send->forms.size(), 2u);  // ScrShotDepth is 0 in this build
  EXPECT_EQ(send->forms[0].name, "ContactForm");
  EXPECT_TRUE(send->forms[0].found);
  EXPECT_EQ(send->forms[0].resource, "form bytes");
  EXPECT_EQ(send->forms[1].name, "DetailsForm");
  EXPECT_FALSE(send->forms[1].found);
  EXPECT_EQ(settings->BuildAssistant("NoSuchAssistant"), nullptr);

  ASSERT_TRUE(settings->SetScrShotDepth(4));
  send = settings->BuildAssistant("SendAssistant");
  ASSERT_EQ(send->forms.size(), 3u);
  EXPECT_EQ(send->forms[2].name, "ScrShotForm");
}

TEST_F(SettingsTest, TheFormCacheRestoresEditsAndCheckBoxes) {
  SetResource(kExe, ThisBuildsResource());
  auto settings = Settings();
  TMEAssistant shown;
  shown.forms.push_back(TMEForm{"ContactForm", false, "",
                                {{"NameEdit", TMEFormItemKind::Edit, "Ada", false},
                                 {"Label1", TMEFormItemKind::Other, "your name:", false},
                                 {"MemCheck", TMEFormItemKind::CheckBox, "", true}}});
  shown.forms.push_back(TMEForm{"DetailsForm", false, "", {{"BugDetails", TMEFormItemKind::Edit, "", false}}});
  settings->SaveFormCache(shown);
  EXPECT_EQ(settings->FormCache().Get("NameEdit"), "Ada");
  EXPECT_EQ(settings->FormCache().Get("MemCheck"), "+");
  EXPECT_EQ(settings->FormCache().IndexOf("BugDetails"), -1);  // empty texts are not kept

  TMEAssistant next = shown;
  next.forms[0].items[0].text.clear();
  next.forms[0].items[2].checked = false;
  settings->LoadFormCache(next);
  EXPECT_EQ(next.forms[0].items[0].text, "Ada");
  EXPECT_TRUE(next.forms[0].items[2].checked);
  EXPECT_TRUE(next.forms[0].focusContinue);
  EXPECT_FALSE(next.forms[1].focusContinue);
}

TEST_F(SettingsTest, AnotherModuleFallsBackToTheReportersSettingsThenTheTable) {
  SetResource(kExe, TSettingsResourceBuilder().Int("AutoDelay", 9).Bool("Enabled", true).End());
  environment.modules[kLibrary].fileName = "plugin.dll";
  SetResource(kLibrary, TSettingsResourceBuilder().Bool("Enabled", false).End());
  auto library = Settings(kLibrary);
  EXPECT_FALSE(library->Enabled());
  EXPECT_EQ(library->AutoDelay(), 9);        // the reporter's own module
  EXPECT_EQ(library->SmtpPort(), 25);        // the built-in table
  EXPECT_EQ(Settings(kExe)->SmtpPort(), 25);
}

TEST_F(SettingsTest, SettingsOfAModuleMarkedNoSettingsAreAnotherModules) {
  constexpr TModuleHandle kOther = 0x20000000;
  SetResource(kExe, TSettingsResourceBuilder().Bool("NoSettings", true).End());
  environment.modules[kLibrary].fileName = "plugin.dll";
  SetResource(kLibrary, TSettingsResourceBuilder().Bool("NoSettings", true).End());
  environment.modules[kOther].fileName = "other.dll";
  SetResource(kOther, TSettingsResourceBuilder().Bool("NoSettings", false).Int("AutoDelay", 3).End());
  auto settings = SettingsOfModule(environment, kLibrary);
  EXPECT_EQ(settings->ModuleHandle(), kOther);
  EXPECT_EQ(settings->AutoDelay(), 3);

  // By address: the module that holds it, else the reporter's own.
  EXPECT_EQ(SettingsOfAddress(environment, kOther + 0x100)->ModuleHandle(), kOther);
  settings.reset();  // a module's resource is read once while anyone holds its settings
  environment.modules[kExe].resources[kSettingsResourceName] =
      TSettingsResourceBuilder().Bool("NoSettings", false).End();
  EXPECT_EQ(SettingsOfAddress(environment, 0x7FFF0000)->ModuleHandle(), kExe);
}

TEST(PasswordCipher, RoundTripsAndLeavesTextThatIsNotEnciphered) {
  for (const std::string& plain : {std::string(""), std::string("s3cret"), std::string("\xE9t\xE9\x01", 4)}) {
    const std::string stored = EncipherPassword(plain, "user", "mail.example");
    EXPECT_EQ(DecipherPassword(stored, "user", "mail.example"), plain);
    if (!plain.empty()) {
      EXPECT_NE(stored.find_first_not_of(
                    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
                0u);
      EXPECT_NE(DecipherPassword(stored, "other", "mail.example"), plain);
    }
  }
  EXPECT_EQ(DecipherPassword("not base64!", "u", "s"), "not base64!");
  EXPECT_EQ(EncodeBase64("Man"), "TWFu");
  EXPECT_EQ(EncodeBase64("Ma"), "TWE=");
  EXPECT_EQ(EncodeBase64("M"), "TQ==");
  EXPECT_EQ(DecodeBase64("TQ==").value_or("?"), "M");
  EXPECT_FALSE(DecodeBase64("TQ=A").has_value());
  EXPECT_FALSE(DecodeBase64("TQ").has_value());
}

#ifndef _WIN32
// The resource writer and the reader agree on the stored password form.
TEST(SettingsResourceWriter, WritesPasswordsTheReaderDeciphers) {
  const std::string dir = ::testing::TempDir();
  const std::string settingsFile = dir + "/writer.settings";
  const std::string resourceFile = dir + "/writer.bin";
  std::ofstream(settingsFile) << "SmtpAccount = \"ada\"\nSmtpServer = \"mx.example\"\n"
                                 "SmtpPassword = \"p\\\"w\\\\1\"\nTitleBar = \"caf\xC3\xA9\"\n"
                                 "SmtpPort = 2525\nAutoRestart = -1\nEnabled = true\n";
  const std::string command = "python3 " RAVELIN_SOURCE_DIR "/tools/settings_resource/"
                              "write_settings_resource.py " + settingsFile + " " + resourceFile;
  ASSERT_EQ(std::system(command.c_str()), 0);
  TSettingPropertyList properties;
  ASSERT_TRUE(ParseSettingsResource(ReadFile(resourceFile.c_str()), properties,
                                    [](const std::string&) { FAIL(); }));
  EXPECT_NE(properties.Find("SmtpPassword")->TextValue, "p\"w\\1");
  DecipherPasswords(properties);
  EXPECT_EQ(properties.Find("SmtpPassword")->TextValue, "p\"w\\1");
  EXPECT_EQ(properties.Find("TitleBar")->TextValue, "caf\xE9");  // UTF-16 in, code page out
  EXPECT_EQ(properties.Find("SmtpPort")->IntValue, 2525);
  EXPECT_EQ(properties.Find("AutoRestart")->IntValue, -1);
  EXPECT_TRUE(properties.Find("Enabled")->BoolValue);
}
#endif

}  // namespace
