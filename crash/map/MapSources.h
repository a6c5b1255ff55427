#pragma once
// Where a module's map information can come from, in the order it is tried:
// the embedded map resource, TD32 debug information, then the files beside
// the module (".map", ".ost", ".jdbg"). The Windows build answers from the
// module and the file system; tests answer from a fake.
#include <cstdint>
#include <optional>
#include <string>

class IMapSources {
 public:
  virtual ~IMapSources() = default;
  // The bytes of the module's "EXCEPT" resource of type "OST".
  virtual std::optional<std::string> EmbeddedMap() = 0;
  // The value of the module's "MinDebugInfo" setting, empty when none.
  virtual std::string MinDebugInfo() = 0;
  // TD32 data from the module's debug directory, when it has one.
  virtual std::optional<std::string> DebugDirectoryTd32() = 0;
  // The TD32 block appended to the module's own file (named by the trailer
  // at the file's end), when there is one. Only that block is read, not
  // the whole file.
  virtual std::optional<std::string> AppendedTd32() = 0;
  // The file beside the module with its name and this extension (".map"...);
  // with the extension empty, the module's own file.
  virtual std::optional<std::string> SideFile(const std::string& extension) = 0;
  // Days since any fixed day of that file's last write; nullopt when missing.
  virtual std::optional<std::int64_t> SideFileDay(const std::string& extension) = 0;
};
