#include "crash/MEAttachments.h"

#include "crash/TextItems.h"

void TIMEAttachments::Delete(int index) {
  if (index >= 0 && index < Count()) FItems.erase(FItems.begin() + index);
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
