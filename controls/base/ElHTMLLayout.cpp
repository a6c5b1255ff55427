#include "controls/base/ElHTMLLayout.h"

#include <algorithm>

namespace {

// An item before its line's baseline is known: its ascent instead of its top.
struct TPlaced {
  TElHTMLItem Item;
  int Ascent = 0;
};

class TLineBuilder {
 public:
  TLineBuilder(TElHTMLLayout& layout, IElHTMLMeasurer& measurer) : FLayout(layout), FMeasurer(measurer) {}

  int X() const { return FX; }
  bool Empty() const { return FItems.empty(); }

  void Add(TElHTMLItem item, int ascent) {
    item.Left = FX;
    FX += item.Width;
    FAscent = std::max(FAscent, ascent);
    FDescent = std::max(FDescent, item.Height - ascent);
    FItems.push_back({std::move(item), ascent});
  }

  // Ends the line; an empty line is as high as style's text.
  void Finish(const TElHTMLStyle& style) {
    if (FItems.empty()) {
      const TElHTMLExtent extent = FMeasurer.MeasureText(style, std::u16string());
      FAscent = extent.Ascent;
      FDescent = extent.Height - extent.Ascent;
    }
    TElHTMLLine line;
    line.Top = FLayout.Height;
    line.Baseline = FAscent;
    line.Height = FAscent + FDescent;
    line.Width = FX;
    for (TPlaced& placed : FItems) {
      placed.Item.Top = line.Top + FAscent - placed.Ascent;
      line.Items.push_back(std::move(placed.Item));
    }
    FLayout.Height += line.Height;
    FLayout.Width = std::max(FLayout.Width, line.Width);
    FLayout.Lines.push_back(std::move(line));
    FItems.clear();
    FX = 0;
    FAscent = 0;
    FDescent = 0;
  }

 private:
  TElHTMLLayout& FLayout;
  IElHTMLMeasurer& FMeasurer;
  std::vector<TPlaced> FItems;
  int FX = 0;
  int FAscent = 0;
  int FDescent = 0;
};

TElHTMLItem TextItem(const TElHTMLPiece& piece, std::u16string text, const TElHTMLExtent& extent) {
  TElHTMLItem item;
  item.Kind = hpText;
  item.Text = std::move(text);
  item.Style = piece.Style;
  item.Width = extent.Width;
  item.Height = extent.Height;
  return item;
}

// Words with the spaces that follow them: "a b  c" -> "a ", "b  ", "c".
std::vector<std::u16string> Words(const std::u16string& text) {
  std::vector<std::u16string> words;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u' ', start);
    end = end == std::u16string::npos ? text.size() : text.find_first_not_of(u' ', end);
    if (end == std::u16string::npos) end = text.size();
    words.push_back(text.substr(start, end - start));
    start = end;
  }
  return words;
}

}  // namespace

TElHTMLLayout LayoutElHTML(const TElHTMLMarkup& markup, IElHTMLMeasurer& measurer, int maxWidth,
                           bool wordWrap) {
  TElHTMLLayout layout;
  TLineBuilder line(layout, measurer);
  const bool wrap = wordWrap && maxWidth > 0;
  TElHTMLStyle lastStyle;
  for (const TElHTMLPiece& piece : markup.Pieces) {
    lastStyle = piece.Style;
    if (piece.Kind == hpLineBreak) {
      line.Finish(piece.Style);
      continue;
    }
    if (piece.Kind == hpImage) {
      TElHTMLExtent size = measurer.MeasureImage(piece.Text);
      TElHTMLItem item;
      item.Kind = hpImage;
      item.Text = piece.Text;
      item.Style = piece.Style;
      item.Width = piece.Width > 0 ? piece.Width : size.Width;
      item.Height = piece.Height > 0 ? piece.Height : size.Height;
      if (wrap && !line.Empty() && line.X() + item.Width > maxWidth) line.Finish(piece.Style);
      line.Add(item, item.Height);
      continue;
    }
    if (!wrap) {
      const TElHTMLExtent extent = measurer.MeasureText(piece.Style, piece.Text);
      line.Add(TextItem(piece, piece.Text, extent), extent.Ascent);
      continue;
    }
    for (std::u16string& word : Words(piece.Text)) {
      // The spaces after a word may hang past the edge; the word may not.
      const size_t visible = word.find_last_not_of(u' ') + 1;
      const TElHTMLExtent bare = measurer.MeasureText(piece.Style, word.substr(0, visible));
      if (!line.Empty() && line.X() + bare.Width > maxWidth) line.Finish(piece.Style);
      if (line.Empty() && visible == 0) continue;  // no spaces at the start of a line
      const TElHTMLExtent extent = measurer.MeasureText(piece.Style, word);
      line.Add(TextItem(piece, std::move(word), extent), extent.Ascent);
    }
  }
  if (!line.Empty() || !markup.Pieces.empty()) line.Finish(lastStyle);
  return layout;
}

int TElHTMLLayout::LinkAt(int x, int y) const {
  for (const TElHTMLLine& line : Lines) {
    if (y < line.Top || y >= line.Top + line.Height) continue;
    for (const TElHTMLItem& item : line.Items)
      if (item.Style.Link >= 0 && x >= item.Left && x < item.Left + item.Width && y >= item.Top &&
          y < item.Top + item.Height)
        return item.Style.Link;
  }
  return -1;
}
