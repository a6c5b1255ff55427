// Encodes pictures as the screenshot PNG and sets size and time against the
// peers of the same run: optipng -o2 on our PNG (size) and ImageMagick
// writing a 256-colour PNG of the same picture (time).
// Usage: png_bench WORKDIR NAME=FILE.bmp...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "crash/image/ImageFiles.h"
#include "crash/image/PngEncoder.h"

namespace {

using TClock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double SecondsOf(const std::function<void()>& step, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = TClock::now();
    step();
    times.push_back(std::chrono::duration<double>(TClock::now() - start).count());
  }
  return Median(times);
}

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

bool Measure(const std::string& work, const std::string& name, const std::string& bmp) {
  const auto picture = ReadBmpFile(bmp);
  if (!picture) {
    std::fprintf(stderr, "png_bench: cannot read %s\n", bmp.c_str());
    return false;
  }
  std::string png;
  const double ours = SecondsOf([&] { png = PngBytes(picture->View(), 0); }, 5);
  const std::string ourFile = work + "/" + name + ".png", optFile = work + "/" + name + ".opt.png",
                    magickFile = work + "/" + name + ".magick.png";
  if (png.empty() || !WriteWholeFile(ourFile, png)) return false;
  std::filesystem::remove(optFile);
  if (!Shell("optipng -quiet -o2 -out '" + optFile + "' '" + ourFile + "'")) return false;
  const auto optSize = std::filesystem::file_size(optFile);
  bool magickOk = true;
  const double magick = SecondsOf([&] { magickOk = magickOk && Shell("convert '" + bmp + "' -colors 256 'png8:" + magickFile + "'"); }, 5);
  const double magickRead = SecondsOf([&] { magickOk = magickOk && Shell("convert '" + bmp + "' null:"); }, 5);
  if (!magickOk) return false;
  std::printf("%s: %d x %d\n", name.c_str(), picture->Width(), picture->Height());
  std::printf("  size: ours %zu bytes, optipng -o2 %ju bytes, ratio %.3f (target <= 1.2)\n", png.size(),
              static_cast<std::uintmax_t>(optSize), static_cast<double>(png.size()) / optSize);
  std::printf("  time: ours %.1f ms, ImageMagick 256-colour PNG %.1f ms (of it reading the file and starting: %.1f ms),"
              " ratio %.3f (target <= 1)\n",
              ours * 1000, magick * 1000, magickRead * 1000, ours / magick);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: png_bench WORKDIR NAME=FILE.bmp...\n");
    return 2;
  }
  bool ok = true;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto eq = arg.find('=');
    if (eq == std::string::npos) return 2;
    ok = Measure(argv[1], arg.substr(0, eq), arg.substr(eq + 1)) && ok;
  }
  return ok ? 0 : 1;
}
