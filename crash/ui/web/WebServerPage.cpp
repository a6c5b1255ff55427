#include "crash/ui/web/WebServerPage.h"

namespace {

// The escaped message with every "%LF%" and every line end as a line break.
std::string MessageHtml(const std::string& message) {
  std::string html;
  for (std::size_t at = 0; at < message.size();) {
    if (message.compare(at, 4, "%LF%") == 0) {
      html += "<br>";
      at += 4;
    } else if (message.compare(at, 2, "\r\n") == 0 || message[at] == '\n' || message[at] == '\r') {
      html += "<br>";
      at += message.compare(at, 2, "\r\n") == 0 ? 2 : 1;
    } else {
      html += HtmlEscape(message.substr(at, 1));
      ++at;
    }
  }
  return html;
}

}  // namespace

std::string HtmlEscape(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&#39;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string WebServerPage(const TWebServerPageTexts& texts) {
  std::string page = "Content-Type: text/html\r\n\r\n";
  page += "<html>\r\n<head><title>" + HtmlEscape(texts.Title) + "</title></head>\r\n<body>\r\n";
  page += "<p style=\"font-family: Tahoma; font-size: 13pt\">" + MessageHtml(texts.Message) + "</p>\r\n";
  page += "<form>\r\n";
  page += "<input type=\"button\" value=\"continue application\" onclick=\"history.back()\">\r\n";
  page += "<input type=\"button\" value=\"" + HtmlEscape(texts.ShowButton) +
          "\" onclick=\"document.getElementById('bugreport').style.display='block'\">\r\n";
  page += "</form>\r\n";
  page += "<textarea id=\"bugreport\" cols=\"80\" rows=\"20\" readonly style=\"display: none\">" +
          HtmlEscape(texts.Report) + "</textarea>\r\n";
  page += "</body>\r\n</html>\r\n";
  return page;
}
