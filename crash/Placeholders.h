#pragma once
// The placeholders of crash-report texts and their expansion.
#include <string>

struct TLocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Where the values come from; each is asked for only when its placeholder occurs.
class IPlaceholderSource {
 public:
  virtual ~IPlaceholderSource() = default;
  virtual std::string AppName() = 0;        // the executable's file name with extension
  virtual std::string ModuleName() = 0;     // the settings' module, likewise
  virtual std::string AppVersion() = 0;     // version text, else file version, else "?"
  virtual std::string ModuleVersion() = 0;
  virtual TLocalTime Now() = 0;
};

// Replaces, case-insensitively and in this order: %appname%, %modname%,
// %appversion%, %modversion%, %exceptMsg% ("Unknown" when empty), %bugReport%,
// %LF%, %date%, %time%, %datetime%.
std::string ExpandPlaceholders(const std::string& text, IPlaceholderSource& source,
                               const std::string& exceptMsg, const std::string& bugReport);

// "a.b.c.d" of a file version, as reports show it.
std::string FormatFileVersion(unsigned major, unsigned minor, unsigned release, unsigned build);
