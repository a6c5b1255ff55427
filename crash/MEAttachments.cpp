#include "crash/MEAttachments.h"

void TIMEAttachments::Delete(int index) {
  if (index >= 0 && index < Count()) FItems.erase(FItems.begin() + index);
}

std::vector<std::string> SplitText(const std::string& text, char separator) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    items.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return items;
    start = end + 1;
  }
}

void ParseAttachmentsText(const std::string& text, IMEAttachments& attachments) {
  if (text.empty()) return;
  for (const std::string& item : SplitText(text, '|')) {
    std::vector<std::string> fields = SplitText(item, '>');
    fields.resize(4);
    if (fields[0].empty()) continue;
    attachments.Add(TMEAttachment{fields[0], fields[1], fields[2], fields[3]});
  }
}
