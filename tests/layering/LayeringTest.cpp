// Dependencies point down the layers. Every source folder of the tree is a
// unit with the units below it that it may include; a new include that runs
// up or sideways fails here before it can tie the libraries together, and a
// new folder fails until it is given its place in the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Units = std::set<std::string>;

// What each unit may include besides itself. A unit is a folder; its files
// and those of subfolders that are not units of their own belong to it.
const std::map<std::string, Units>& AllowedArrows() {
  static const Units kPlatform = {"platform"};
  static const Units kPlatformWin32 = {"platform", "platform/win32"};
  static const Units kPortableBase = {"text", "framework", "platform"};
  static const Units kWin32Base = {"text", "framework", "framework/win32", "platform", "platform/win32"};
  auto with = [](Units units, std::initializer_list<const char*> more) {
    units.insert(more.begin(), more.end());
    return units;
  };
  static const std::map<std::string, Units> arrows = {
      {"platform", {}},
      {"platform/posix", kPlatform},
      {"platform/simulated", kPlatform},
      {"platform/win32", kPlatform},
      {"framework", kPlatform},
      {"framework/win32", with(kPlatformWin32, {"framework"})},
      {"text", {"framework", "platform"}},
      {"worker", {"text", "platform"}},
      {"cli", {"worker", "text", "platform", "platform/posix"}},
      {"controls/base", kPortableBase},
      {"controls/base/win32", with(kWin32Base, {"controls/base"})},
      {"controls/list", with(kPortableBase, {"controls/base"})},
      {"controls/list/win32",
       with(kWin32Base, {"controls/base", "controls/base/win32", "controls/list"})},
      {"controls/check", with(kPortableBase, {"controls/base"})},
      {"controls/check/win32",
       with(kWin32Base, {"controls/base", "controls/base/win32", "controls/check"})},
      {"controls/edit", with(kPortableBase, {"controls/base"})},
      // The edit hosts the custom scroll bars of the list folder.
      {"controls/edit/win32",
       with(kWin32Base, {"controls/base", "controls/base/win32", "controls/edit", "controls/list",
                         "controls/list/win32"})},
      {"app",
       with(kWin32Base, {"worker", "controls/base", "controls/base/win32", "controls/list",
                         "controls/list/win32", "controls/check", "controls/check/win32", "controls/edit",
                         "controls/edit/win32", "crash/adapter/win32", "crash/ui/dialog/win32"})},
      // The crash reporter: only the adapter reaches the window framework.
      {"crash", kPlatform},
      {"crash/common", {}},
      {"crash/win32", with(kPlatformWin32, {"crash"})},
      {"crash/image", {}},
      {"crash/image/win32", with(kPlatformWin32, {"crash/image"})},
      {"crash/map", {"crash"}},
      {"crash/map/win32", with(kPlatformWin32, {"crash", "crash/map", "crash/win32"})},
      {"crash/stack", {"crash/map"}},
      {"crash/stack/win32", with(kPlatformWin32, {"crash/map", "crash/map/win32", "crash/stack"})},
      {"crash/report", {"crash", "crash/stack"}},
      {"crash/report/win32",
       with(kPlatformWin32, {"crash", "crash/common", "crash/map/win32", "crash/report", "crash/stack",
                             "crash/stack/win32", "crash/win32"})},
      {"crash/hooks/win32",
       with(kPlatformWin32, {"crash/common", "crash/map", "crash/map/win32", "crash/win32"})},
      {"crash/flow", {"crash", "crash/common", "crash/report"}},
      {"crash/flow/win32",
       with(kPlatformWin32, {"crash", "crash/common", "crash/flow", "crash/hooks/win32", "crash/image",
                             "crash/image/win32", "crash/map", "crash/map/win32", "crash/report",
                             "crash/report/win32", "crash/stack", "crash/stack/win32", "crash/win32"})},
      // The exception dialog, the wait and progress boxes and printing: the
      // reporter's own windows, never the window framework or the control set.
      {"crash/ui/dialog", {"crash"}},
      {"crash/ui/dialog/win32",
       with(kPlatformWin32, {"crash", "crash/common", "crash/flow", "crash/report", "crash/report/win32",
                             "crash/ui/assistant/win32", "crash/ui/dialog", "crash/win32"})},
      // The assistants and the web-server page: the reporter's own windows
      // and texts, never the window framework or the control set.
      {"crash/ui/assistant", {"crash"}},
      {"crash/ui/assistant/win32",
       with(kPlatformWin32, {"crash", "crash/common", "crash/flow", "crash/image", "crash/image/win32",
                             "crash/ui/assistant", "crash/win32"})},
      {"crash/ui/web", {}},
      {"crash/adapter/win32",
       with(kWin32Base, {"crash", "crash/common", "crash/win32", "crash/flow", "crash/flow/win32",
                         "crash/hooks/win32", "crash/image", "crash/image/win32", "crash/map",
                         "crash/map/win32", "crash/report", "crash/report/win32", "crash/stack",
                         "crash/stack/win32"})},
  };
  return arrows;
}

// The unit a path of the tree belongs to: the longest unit that holds it.
std::string UnitOf(const std::string& folder) {
  std::string best;
  for (const auto& [unit, allowed] : AllowedArrows()) {
    const bool holds = folder == unit || folder.rfind(unit + "/", 0) == 0;
    if (holds && unit.size() > best.size()) best = unit;
  }
  return best;
}

struct Include {
  std::string file;    // relative to the source tree
  std::string target;  // as written between the quotes
};

std::vector<Include> ProjectIncludes(const fs::path& root, const std::string& folder) {
  std::vector<Include> includes;
  for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".cpp" && extension != ".h" && extension != ".inc") continue;
    std::ifstream file(entry.path());
    std::string line;
    const std::string directive = "#include \"";
    while (std::getline(file, line)) {
      if (line.rfind(directive, 0) != 0) continue;
      const size_t end = line.find('"', directive.size());
      const std::string target = line.substr(directive.size(), end - directive.size());
      if (target.find('/') == std::string::npos) continue;  // beside the file itself
      includes.push_back({fs::relative(entry.path(), root).generic_string(), target});
    }
  }
  return includes;
}

const char* SourceDir() {
  const char* source = std::getenv("RAVELIN_SOURCE_DIR");
  return source != nullptr ? source : "";
}

TEST(Layering, EveryIncludeOfTheProgramPointsDownTheLayers) {
  ASSERT_STRNE(SourceDir(), "") << "RAVELIN_SOURCE_DIR names the source tree";
  const fs::path root = SourceDir();
  size_t checked = 0;
  for (const char* top : {"platform", "framework", "text", "worker", "cli", "controls", "app", "crash"}) {
    for (const Include& include : ProjectIncludes(root, top)) {
      const std::string from = UnitOf(fs::path(include.file).parent_path().generic_string());
      const std::string to = UnitOf(fs::path(include.target).parent_path().generic_string());
      ASSERT_FALSE(from.empty()) << include.file << " lies in a folder without a place in the layers";
      EXPECT_FALSE(to.empty()) << include.file << ": " << include.target << " is outside the program's units";
      if (to.empty() || to == from) continue;
      const Units& allowed = AllowedArrows().at(from);
      EXPECT_TRUE(allowed.count(to) == 1) << include.file << " (" << from << ") includes " << include.target
                                          << " (" << to << ")";
      ++checked;
    }
  }
  EXPECT_GT(checked, 100u);
}

TEST(Layering, BenchmarksNeverIncludeTestCode) {
  ASSERT_STRNE(SourceDir(), "");
  for (const Include& include : ProjectIncludes(SourceDir(), "bench")) {
    EXPECT_NE(include.target.rfind("tests/", 0), 0u) << include.file << " includes " << include.target;
  }
}

// Below the window layer nothing links it, so the console and the reporter's
// portable parts carry no window machinery; in the reporter only the adapter may.
TEST(Layering, OnlyTheWindowSideLinksTheWindowFramework) {
  ASSERT_STRNE(SourceDir(), "");
  const fs::path root = SourceDir();
  const std::vector<std::string> window_libraries = {"ravelin_gui", "ravelin_controls_base", "ravelin_listbox",
                                                     "ravelin_check", "ravelin_edit", "ravelin_app"};
  for (const char* folder : {"platform", "framework/CMakeLists.txt", "text", "worker", "cli", "crash"}) {
    const fs::path start = root / folder;
    std::vector<fs::path> lists;
    if (fs::is_regular_file(start)) {
      lists.push_back(start);
    } else {
      for (const auto& entry : fs::recursive_directory_iterator(start))
        if (entry.path().filename() == "CMakeLists.txt") lists.push_back(entry.path());
    }
    for (const fs::path& list : lists) {
      const std::string relative = fs::relative(list, root).generic_string();
      if (relative.rfind("crash/adapter/", 0) == 0) continue;
      std::ifstream file(list);
      std::string line;
      while (std::getline(file, line)) {
        if (line.find("target_link_libraries") == std::string::npos) continue;
        for (const std::string& library : window_libraries) {
          const size_t at = line.find(library);
          const bool whole = at != std::string::npos &&
                             (at + library.size() == line.size() || line[at + library.size()] == ' ' ||
                              line[at + library.size()] == ')');
          EXPECT_FALSE(whole) << relative << " links " << library << ": " << line;
        }
      }
    }
  }
}

}  // namespace
