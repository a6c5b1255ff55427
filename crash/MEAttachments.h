#pragma once
// Files sent along with a bug report.
#include <string>
#include <vector>

struct TMEAttachment {
  std::string file;       // the local file
  std::string sendAs;     // name to send it as
  std::string zipName;    // zip archive to pack it into; empty for none
  std::string fieldName;  // upload field name
};

class IMEAttachments {
 public:
  virtual ~IMEAttachments() = default;
  virtual int Count() const = 0;
  virtual const TMEAttachment& Item(int index) const = 0;
  virtual void Add(const TMEAttachment& attachment) = 0;
  virtual void Delete(int index) = 0;
};

class TIMEAttachments : public IMEAttachments {
 public:
  int Count() const override { return static_cast<int>(FItems.size()); }
  const TMEAttachment& Item(int index) const override { return FItems.at(static_cast<size_t>(index)); }
  void Add(const TMEAttachment& attachment) override { FItems.push_back(attachment); }
  void Delete(int index) override;

 private:
  std::vector<TMEAttachment> FItems;
};

// "file>sendas>zip>field|..." into attachments; missing fields are empty,
// items without a file are passed over.
void ParseAttachmentsText(const std::string& text, IMEAttachments& attachments);
