// Dependencies point down the layers: the walk, the console front end and the
// platform seams include nothing of the folders above them (the window, its
// framework, the crash reporter). Read from the sources, so a new include that runs up
// the layers fails here before it can tie the libraries together.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The project folders that every #include "..." in the files under folder names.
std::vector<std::string> ProjectIncludes(const fs::path& folder) {
  std::vector<std::string> includes;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".cpp" && extension != ".h") continue;
    std::ifstream file(entry.path());
    std::string line;
    while (std::getline(file, line)) {
      const std::string directive = "#include \"";
      if (line.rfind(directive, 0) != 0) continue;
      const size_t end = line.find('"', directive.size());
      includes.push_back(entry.path().filename().string() + ": " +
                         line.substr(directive.size(), end - directive.size()));
    }
  }
  return includes;
}

TEST(Layering, NoFolderIncludesAFolderAboveIt) {
  const char* source = std::getenv("RAVELIN_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  struct Case {
    const char* folder;
    std::vector<std::string> allowed;  // include prefixes
  };
  const Case cases[] = {
      {"platform", {"platform/"}},
      {"worker", {"worker/", "text/", "platform/"}},
      {"cli", {"cli/", "worker/", "platform/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    const std::vector<std::string> includes = ProjectIncludes(fs::path(source) / c.folder);
    EXPECT_FALSE(includes.empty());
    for (const std::string& include : includes) {
      const std::string target = include.substr(include.find(": ") + 2);
      bool allowed = false;
      for (const std::string& prefix : c.allowed) allowed = allowed || target.rfind(prefix, 0) == 0;
      EXPECT_TRUE(allowed) << include;
    }
  }
}

}  // namespace
