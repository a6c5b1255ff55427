#pragma once
// The window side of an edit, as its model sees it: repaint, scroll-bar and
// caret updates, and the clipboard. A Win32 edit implements it around a real
// window; tests implement it with a recorder. Main thread only.
#include "platform/WideString.h"

class IElEditHost {
 public:
  virtual ~IElEditHost() = default;

  // A window exists (text then goes through the text-setting message path).
  virtual bool HasWindow() const = 0;
  // Repaint the edit rectangle.
  virtual void InvalidateText() = 0;
  // Rows, visible rows, TopLine, LeftChar or the longest row changed.
  virtual void UpdateScrollInfo() = 0;
  // The caret or the scroll offsets moved: re-place the platform caret.
  virtual void CaretMoved() = 0;
  // Unicode text when present, else the narrow text widened; false when the
  // clipboard holds no text or cannot be opened.
  virtual bool ClipboardGetText(WideString& text) = 0;
  virtual void ClipboardSetText(const WideString& text) = 0;
};

// A host with no window and a clipboard of its own.
class TElNullEditHost : public IElEditHost {
 public:
  bool HasWindow() const override { return false; }
  void InvalidateText() override {}
  void UpdateScrollInfo() override {}
  void CaretMoved() override {}
  bool ClipboardGetText(WideString& text) override {
    text = FClipboard;
    return FHasText;
  }
  void ClipboardSetText(const WideString& text) override {
    FClipboard = text;
    FHasText = true;
  }

 private:
  WideString FClipboard;
  bool FHasText = false;
};
