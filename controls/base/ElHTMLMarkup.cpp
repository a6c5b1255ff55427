#include "controls/base/ElHTMLMarkup.h"

#include <algorithm>
#include <utility>

namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f'; }
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

std::u16string Lowered(std::u16string text) {
  for (char16_t& c : text) c = Lower(c);
  return text;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  c = Lower(c);
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// A number of at most 7 digits in base, the whole text; -1 otherwise.
long Number(const std::u16string& text, int base) {
  if (text.empty() || text.size() > 7) return -1;
  long value = 0;
  for (char16_t c : text) {
    const int digit = HexDigit(c);
    if (digit < 0 || digit >= base) return -1;
    value = value * base + digit;
  }
  return value;
}

struct TTag {
  std::u16string Name;  // lower case; starts with '/' for a closing tag
  std::vector<std::pair<std::u16string, std::u16string>> Attributes;  // names in lower case

  const std::u16string* Attribute(const char16_t* name) const {
    for (const auto& attribute : Attributes)
      if (attribute.first == name) return &attribute.second;
    return nullptr;
  }
};

// Reads a tag starting at text[pos] == '<'; false when it is not one.
bool ReadTag(const std::u16string& text, size_t& pos, TTag& tag) {
  size_t i = pos + 1;
  if (i < text.size() && text[i] == u'/') {
    tag.Name.push_back(u'/');
    ++i;
  }
  if (i >= text.size() || !IsLetter(text[i])) return false;
  while (i < text.size() && (IsLetter(text[i]) || (text[i] >= u'0' && text[i] <= u'9')))
    tag.Name.push_back(Lower(text[i++]));
  for (;;) {
    while (i < text.size() && (IsSpace(text[i]) || text[i] == u'/')) ++i;
    if (i >= text.size()) return false;
    if (text[i] == u'>') break;
    std::u16string name;
    while (i < text.size() && !IsSpace(text[i]) && text[i] != u'=' && text[i] != u'>')
      name.push_back(Lower(text[i++]));
    std::u16string value;
    if (i < text.size() && text[i] == u'=') {
      ++i;
      if (i < text.size() && (text[i] == u'"' || text[i] == u'\'')) {
        const char16_t quote = text[i++];
        const size_t end = text.find(quote, i);
        if (end == std::u16string::npos) return false;
        value = text.substr(i, end - i);
        i = end + 1;
      } else {
        while (i < text.size() && !IsSpace(text[i]) && text[i] != u'>') value.push_back(text[i++]);
      }
    }
    if (!name.empty()) tag.Attributes.emplace_back(std::move(name), std::move(value));
  }
  pos = i + 1;
  return true;
}

// Decodes an entity starting at text[pos] == '&'; false for an unknown one.
bool ReadEntity(const std::u16string& text, size_t& pos, char16_t& result) {
  const size_t end = text.find(u';', pos);
  if (end == std::u16string::npos || end - pos > 10) return false;
  const std::u16string name = text.substr(pos + 1, end - pos - 1);
  static const std::pair<const char16_t*, char16_t> named[] = {
      {u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", 0xA0}};
  long code = -1;
  if (name.size() > 1 && name[0] == u'#') {
    code = (name[1] == u'x' || name[1] == u'X') ? Number(name.substr(2), 16) : Number(name.substr(1), 10);
    if (code <= 0 || code > 0xFFFF) return false;
  } else {
    for (const auto& entity : named)
      if (name == entity.first) code = entity.second;
    if (code < 0) return false;
  }
  result = static_cast<char16_t>(code);
  pos = end + 1;
  return true;
}

TElHTMLColor ParseColor(const std::u16string& value, TElHTMLColor current) {
  if (value.size() == 7 && value[0] == u'#') {
    const long rgb = Number(value.substr(1), 16);
    if (rgb < 0) return current;
    return static_cast<TElHTMLColor>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
  }
  static const std::pair<const char16_t*, TElHTMLColor> names[] = {
      {u"black", 0x000000},  {u"white", 0xFFFFFF}, {u"red", 0x0000FF},    {u"green", 0x008000},
      {u"blue", 0xFF0000},   {u"yellow", 0x00FFFF}, {u"gray", 0x808080},  {u"grey", 0x808080},
      {u"silver", 0xC0C0C0}, {u"maroon", 0x000080}, {u"navy", 0x800000},  {u"purple", 0x800080},
      {u"teal", 0x808000},   {u"olive", 0x008080}, {u"lime", 0x00FF00},   {u"aqua", 0xFFFF00},
      {u"fuchsia", 0xFF00FF}};
  const std::u16string lowered = Lowered(value);
  for (const auto& name : names)
    if (lowered == name.first) return name.second;
  return current;
}

// "12", "+2" or "-2" points; the current size where it cannot be read. A
// relative size needs a known size: with the default (0) it stays default.
int ParseSize(const std::u16string& value, int current) {
  if (value.empty()) return current;
  const bool relative = value[0] == u'+' || value[0] == u'-';
  const long number = Number(relative ? value.substr(1) : value, 10);
  if (number < 0 || number > 1000) return current;
  if (!relative) return number > 0 ? static_cast<int>(number) : current;
  if (current == 0) return 0;
  const int size = current + (value[0] == u'+' ? 1 : -1) * static_cast<int>(number);
  return size < 1 ? 1 : size;
}

class TParser {
 public:
  explicit TParser(TElHTMLMarkup& result) : FResult(result) { FStack.push_back({u"", TElHTMLStyle()}); }

  void Character(char16_t c) {
    if (IsSpace(c)) {
      if (FSpacePending || FAtLineStart) return;
      FSpacePending = true;
      c = u' ';
    } else {
      FSpacePending = false;
    }
    FAtLineStart = false;
    TElHTMLPiece* last = FResult.Pieces.empty() ? nullptr : &FResult.Pieces.back();
    if (last == nullptr || last->Kind != hpText || !(last->Style == Current())) {
      FResult.Pieces.push_back(TElHTMLPiece());
      FResult.Pieces.back().Style = Current();
      last = &FResult.Pieces.back();
    }
    last->Text.push_back(c);
  }

  void Tag(const TTag& tag) {
    const std::u16string& name = tag.Name;
    if (name == u"br") {
      TElHTMLPiece piece;
      piece.Kind = hpLineBreak;
      piece.Style = Current();
      FResult.Pieces.push_back(piece);
      FSpacePending = false;
      FAtLineStart = true;
    } else if (name == u"img") {
      Image(tag);
    } else if (name == u"b" || name == u"i" || name == u"u" || name == u"s") {
      TElHTMLStyle style = Current();
      style.Flags |= name == u"b" ? hsBold : name == u"i" ? hsItalic : name == u"u" ? hsUnderline : hsStrikeOut;
      FStack.push_back({name, style});
    } else if (name == u"font") {
      TElHTMLStyle style = Current();
      if (const auto* color = tag.Attribute(u"color")) style.Color = ParseColor(*color, style.Color);
      if (const auto* size = tag.Attribute(u"size")) style.Size = ParseSize(*size, style.Size);
      if (const auto* face = tag.Attribute(u"face")) style.Face = *face;
      FStack.push_back({name, style});
    } else if (name == u"a") {
      TElHTMLStyle style = Current();
      const auto* href = tag.Attribute(u"href");
      FResult.Links.push_back(href != nullptr ? *href : std::u16string());
      style.Link = static_cast<int>(FResult.Links.size()) - 1;
      FStack.push_back({name, style});
    } else if (!name.empty() && name[0] == u'/') {
      Close(name.substr(1));
    }
  }

 private:
  const TElHTMLStyle& Current() const { return FStack.back().second; }

  void Close(const std::u16string& name) {
    for (size_t i = FStack.size(); i-- > 1;) {
      if (FStack[i].first == name) {
        FStack.erase(FStack.begin() + static_cast<std::ptrdiff_t>(i));
        return;
      }
    }
  }

  void Image(const TTag& tag) {
    TElHTMLPiece piece;
    piece.Kind = hpImage;
    piece.Style = Current();
    if (const auto* src = tag.Attribute(u"src")) piece.Text = *src;
    if (const auto* width = tag.Attribute(u"width")) piece.Width = static_cast<int>(std::max(0L, Number(*width, 10)));
    if (const auto* height = tag.Attribute(u"height"))
      piece.Height = static_cast<int>(std::max(0L, Number(*height, 10)));
    FResult.Pieces.push_back(piece);
    FSpacePending = false;
    FAtLineStart = false;
  }

  TElHTMLMarkup& FResult;
  std::vector<std::pair<std::u16string, TElHTMLStyle>> FStack;
  bool FSpacePending = false;
  bool FAtLineStart = true;  // white space at the start of a line is left out
};

}  // namespace

TElHTMLMarkup ParseElHTML(const std::u16string& text) {
  TElHTMLMarkup result;
  TParser parser(result);
  size_t pos = 0;
  while (pos < text.size()) {
    const char16_t c = text[pos];
    if (c == u'<') {
      TTag tag;
      size_t after = pos;
      if (ReadTag(text, after, tag)) {
        parser.Tag(tag);
        pos = after;
        continue;
      }
    } else if (c == u'&') {
      char16_t decoded = 0;
      size_t after = pos;
      if (ReadEntity(text, after, decoded)) {
        // A decoded space (&#32;) is still a space; &nbsp; is not white space.
        parser.Character(decoded);
        pos = after;
        continue;
      }
    }
    parser.Character(c);
    ++pos;
  }
  return result;
}
