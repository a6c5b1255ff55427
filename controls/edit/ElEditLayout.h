#pragma once
// What the edit's text storage needs from its edit: the wrap mode and width,
// measurement with the edit's masking and tabs, and the calls back when the
// text was replaced or the row count moved. Main thread only.
#include "platform/WideString.h"

class IElEditLayout {
 public:
  virtual ~IElEditLayout() = default;

  virtual bool IsMultiline() const = 0;
  // WordWrap and Multiline both on.
  virtual bool WordWrapActive() const = 0;
  // Text width: edit rectangle width less both margins.
  virtual int WrapWidth() const = 0;
  // Edit rectangle right edge less the right margin.
  virtual int WrapRightEdge() const = 0;
  virtual int TextWidth(const WideString& raw) const = 0;
  virtual int CharsFitRight(int width, const WideString& raw, int startIndex) const = 0;

  // The whole text was replaced: caret home, no scroll offsets, no selection.
  virtual void TextReplaced() = 0;
  virtual void ScrollInfoChanged() = 0;
  virtual void StorageChanged() = 0;
};
