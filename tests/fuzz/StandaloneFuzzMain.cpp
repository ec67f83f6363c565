// Replays a fuzz target's seed files, then feeds it inputs derived from them by a fixed-seed
// mutator, so that a plain build exercises every target without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::vector<uint8_t>> ReadSeeds(int argc, char** argv) {
  std::vector<std::vector<uint8_t>> seeds;
  for (int i = 1; i < argc; ++i) {
    std::error_code error;
    std::filesystem::path root(argv[i]);
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(root, error)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    } else if (std::filesystem::is_regular_file(root, error)) {
      files.push_back(root);
    }
    for (const auto& file : files) {
      std::ifstream in(file, std::ios::binary);
      seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  if (seeds.empty()) seeds.emplace_back();
  return seeds;
}

std::vector<uint8_t> Mutate(std::vector<uint8_t> input, std::mt19937& random) {
  const int edits = 1 + static_cast<int>(random() % 8);
  for (int i = 0; i < edits; ++i) {
    switch (random() % 5) {
      case 0:  // flip a byte
        if (!input.empty()) input[random() % input.size()] = static_cast<uint8_t>(random());
        break;
      case 1:  // insert a byte
        input.insert(input.begin() + static_cast<long>(input.empty() ? 0 : random() % (input.size() + 1)),
                     static_cast<uint8_t>(random()));
        break;
      case 2:  // drop a byte
        if (!input.empty()) input.erase(input.begin() + static_cast<long>(random() % input.size()));
        break;
      case 3:  // truncate
        if (!input.empty()) input.resize(random() % input.size());
        break;
      default:  // duplicate a slice
        if (!input.empty()) {
          const size_t from = random() % input.size();
          const size_t length = 1 + random() % (input.size() - from);
          std::vector<uint8_t> slice(input.begin() + static_cast<long>(from),
                                     input.begin() + static_cast<long>(from + length));
          input.insert(input.begin() + static_cast<long>(random() % (input.size() + 1)), slice.begin(), slice.end());
        }
        break;
    }
  }
  return input;
}

}  // namespace

int main(int argc, char** argv) {
  const auto seeds = ReadSeeds(argc, argv);
  for (const auto& seed : seeds) LLVMFuzzerTestOneInput(seed.data(), seed.size());
  std::mt19937 random(0x5eed);
  constexpr int kRounds = 5000;
  for (int round = 0; round < kRounds; ++round) {
    const auto input = Mutate(seeds[random() % seeds.size()], random);
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  std::printf("%zu seeds and %d derived inputs ran clean\n", seeds.size(), kRounds);
  return 0;
}
