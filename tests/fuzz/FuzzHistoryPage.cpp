// Reads pages from arbitrary index and text files. The first two bytes give the length of the
// index part; the rest is the text file. Every message read must lie inside the text file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/HistoryStore.h"

namespace {

// One folder for the whole run, removed when the process ends.
struct FuzzFolder {
  FuzzFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quelt-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path = pattern;
    std::filesystem::create_directory(path / "account");
  }
  ~FuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::filesystem::path path;
};

void WriteBytes(const std::filesystem::path& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::core;
  static const FuzzFolder folder;
  static Conversation conversation(folder.path, u"account", {u"account", u"partner"}, u"");

  if (size < 2) return 0;
  const size_t indexSize = std::min<size_t>(size - 2, data[0] | data[1] << 8);
  WriteBytes(conversation.Paths().indexFile, data + 2, indexSize);
  WriteBytes(conversation.Paths().textFile, data + 2 + indexSize, size - 2 - indexSize);
  const uint64_t textSize = size - 2 - indexSize;

  for (const uint32_t skip : {0u, 1u, 9u, 10u, UINT32_MAX}) {
    const auto page = ReadPage(conversation, skip);
    if (!page) continue;
    if (page->size() > 10) std::abort();
    for (const HistoryMessage& message : *page) {
      if (message.text.size() * 2 > textSize) std::abort();
    }
  }
  return 0;
}
