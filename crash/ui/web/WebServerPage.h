#pragma once
// The page a web-server program answers with instead of the exception
// dialog: the response header line and an HTML page with the message, a
// button back to the application's previous page and a button that reveals
// the bug report. Pure function; any thread.
#include <string>

struct TWebServerPageTexts {
  std::string Title;    // the dialog's caption
  std::string Message;  // the headline; "%LF%" and line ends break the line
  std::string ShowButton;
  std::string Report;
};

// "Content-Type: text/html", an empty line, then the page. Every text is
// HTML-escaped.
std::string WebServerPage(const TWebServerPageTexts& texts);

// "&", "<", ">", '"' and "'" as character references.
std::string HtmlEscape(const std::string& text);
