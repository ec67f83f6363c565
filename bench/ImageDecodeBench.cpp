// How fast the shipped skin, icon and smiley images decode: every image file under the data
// folder's Skin, Icons and Smilies folders, each through a fresh Image per iteration, as when a
// set is loaded and first drawn.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/screen/Image.h"

namespace {

using quelt::platform::Image;

bool IsImageFile(const std::filesystem::path& path) {
  std::string name = path.filename().string();
  if (name.size() < 4) return false;
  name.erase(0, name.size() - 4);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name == ".bmp" || name == ".jpg" || name == ".png" || name == ".gif";
}

const std::vector<std::filesystem::path>& ImageFiles() {
  static const std::vector<std::filesystem::path> files = [] {
    std::vector<std::filesystem::path> found;
    for (const char* kind : {"Skin", "Icons", "Smilies"}) {
      std::error_code error;
      std::filesystem::recursive_directory_iterator it(std::filesystem::path(QUELT_DATA_DIR) / kind, error);
      // A folder that is not there yet simply holds no images.
      for (; !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error) && IsImageFile(it->path())) found.push_back(it->path());
      }
    }
    std::sort(found.begin(), found.end());
    return found;
  }();
  return files;
}

void DecodeShippedImages(benchmark::State& state) {
  const auto& files = ImageFiles();
  int64_t frames = 0;
  for (auto _ : state) {
    for (const auto& file : files) {
      Image image(file, Image::Mode::TransparentKey);
      frames += image.FrameCount();
    }
  }
  state.counters["files"] = static_cast<double>(files.size());
  state.counters["images/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * files.size()), benchmark::Counter::kIsRate);
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(DecodeShippedImages)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
