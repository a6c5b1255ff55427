#pragma once
// An assistant: a titled sequence of forms shown before a report is sent,
// saved or printed. The forms' items carry what the user entered, which the
// settings' form cache keeps between showings.
#include <string>
#include <vector>

enum class TMEFormItemKind { Edit, CheckBox, Other };

struct TMEFormItem {
  std::string name;
  TMEFormItemKind kind = TMEFormItemKind::Other;
  std::string text;      // edit items
  bool checked = false;  // check-box items
};

struct TMEForm {
  std::string name;
  bool found = false;     // its form resource was found
  std::string resource;   // the form resource's bytes (a component stream)
  std::vector<TMEFormItem> items;
  bool focusContinue = false;  // every item came back from the cache
};

struct TMEAssistant {
  std::string name;
  std::string title;
  std::vector<TMEForm> forms;
};

// The form resource name of a form: "TME" and the name in upper case.
std::string FormResourceName(const std::string& form);
