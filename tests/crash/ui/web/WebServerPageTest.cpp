#include "crash/ui/web/WebServerPage.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// Just enough of an HTML reader for the page: start tags with their
// attributes (values unescaped), end tags, and the unescaped text between.
struct TNode {
  enum { Start, End, Text } Kind;
  std::string Name;  // tag name, or the text
  std::map<std::string, std::string> Attributes;
};

std::string Unescape(const std::string& text) {
  static const std::map<std::string, std::string> entities = {
      {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"#39", "'"}};
  std::string plain;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::size_t semicolon = text.find(';', at);
    if (text[at] == '&' && semicolon != std::string::npos) {
      const auto entity = entities.find(text.substr(at + 1, semicolon - at - 1));
      if (entity == entities.end()) ADD_FAILURE() << "unknown entity in " << text;
      else plain += entity->second;
      at = semicolon;
    } else {
      plain += text[at];
    }
  }
  return plain;
}

std::vector<TNode> ParseHtml(const std::string& html) {
  std::vector<TNode> nodes;
  std::size_t at = 0;
  while (at < html.size()) {
    if (html[at] != '<') {
      const std::size_t next = html.find('<', at);
      const std::string text = html.substr(at, next - at);
      if (text.find_first_not_of("\r\n") != std::string::npos) nodes.push_back({TNode::Text, Unescape(text), {}});
      at = next == std::string::npos ? html.size() : next;
      continue;
    }
    const std::size_t close = html.find('>', at);
    std::string tag = html.substr(at + 1, close - at - 1);
    at = close + 1;
    if (tag[0] == '/') {
      nodes.push_back({TNode::End, tag.substr(1), {}});
      continue;
    }
    TNode node{TNode::Start, tag.substr(0, tag.find(' ')), {}};
    for (std::size_t pos = tag.find(' '); pos != std::string::npos && pos < tag.size();) {
      const std::size_t nameStart = tag.find_first_not_of(' ', pos);
      if (nameStart == std::string::npos) break;
      const std::size_t nameEnd = tag.find_first_of("= ", nameStart);
      const std::string name = tag.substr(nameStart, nameEnd - nameStart);
      if (nameEnd == std::string::npos || tag[nameEnd] == ' ') {
        node.Attributes[name] = "";
        pos = nameEnd;
        continue;
      }
      EXPECT_EQ(tag[nameEnd + 1], '"') << tag;
      const std::size_t valueEnd = tag.find('"', nameEnd + 2);
      node.Attributes[name] = Unescape(tag.substr(nameEnd + 2, valueEnd - nameEnd - 2));
      pos = valueEnd + 1;
    }
    nodes.push_back(node);
  }
  return nodes;
}

const TNode* FindStart(const std::vector<TNode>& nodes, const std::string& name, std::size_t skip = 0) {
  for (const TNode& node : nodes)
    if (node.Kind == TNode::Start && node.Name == name && skip-- == 0) return &node;
  return nullptr;
}

// The text right after the start tag, up to the next tag.
std::string TextAfter(const std::vector<TNode>& nodes, const TNode* start) {
  const std::size_t index = start - nodes.data() + 1;
  return index < nodes.size() && nodes[index].Kind == TNode::Text ? nodes[index].Name : "";
}

const std::string kHeader = "Content-Type: text/html\r\n\r\n";

TEST(WebServerPageTest, PageShowsTheDialogsTexts) {
  const std::string page = WebServerPage({"Ravelin <test>", "An error & more.%LF%Access violation.",
                                          "show \"bug\" report", "date/time : now\r\n<html> & </textarea>"});
  ASSERT_EQ(page.compare(0, kHeader.size(), kHeader), 0);
  const std::vector<TNode> nodes = ParseHtml(page.substr(kHeader.size()));

  EXPECT_EQ(TextAfter(nodes, FindStart(nodes, "title")), "Ravelin <test>");

  const TNode* paragraph = FindStart(nodes, "p");
  ASSERT_NE(paragraph, nullptr);
  EXPECT_EQ(paragraph->Attributes.at("style"), "font-family: Tahoma; font-size: 13pt");
  EXPECT_EQ(TextAfter(nodes, paragraph), "An error & more.");
  const std::size_t index = paragraph - nodes.data();
  EXPECT_EQ(nodes[index + 2].Name, "br");
  EXPECT_EQ(nodes[index + 3].Name, "Access violation.");

  const TNode* back = FindStart(nodes, "input", 0);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Attributes.at("type"), "button");
  EXPECT_EQ(back->Attributes.at("value"), "continue application");
  EXPECT_EQ(back->Attributes.at("onclick"), "history.back()");

  const TNode* show = FindStart(nodes, "input", 1);
  ASSERT_NE(show, nullptr);
  EXPECT_EQ(show->Attributes.at("value"), "show \"bug\" report");
  EXPECT_EQ(show->Attributes.at("onclick"), "document.getElementById('bugreport').style.display='block'");

  const TNode* area = FindStart(nodes, "textarea");
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(area->Attributes.at("id"), "bugreport");
  EXPECT_EQ(area->Attributes.at("cols"), "80");
  EXPECT_EQ(area->Attributes.at("rows"), "20");
  EXPECT_EQ(area->Attributes.count("readonly"), 1u);
  EXPECT_EQ(area->Attributes.at("style"), "display: none");
  // The report's own markup stays text: nothing it holds ends the text area.
  EXPECT_EQ(TextAfter(nodes, area), "date/time : now\r\n<html> & </textarea>");
  EXPECT_EQ(FindStart(nodes, "html", 1), nullptr);
}

TEST(WebServerPageTest, EveryLineBreakOfTheMessageBecomesBr) {
  for (const char* message : {"one%LF%two", "one\r\ntwo", "one\ntwo"}) {
    const std::string page = WebServerPage({"t", message, "s", "r"});
    EXPECT_NE(page.find(">one<br>two</p>"), std::string::npos) << message;
  }
}

}  // namespace
