// How fast messages are appended to a history, and how long reading one page takes on small and
// very large histories: a page reads only its own records and texts, so its cost must not grow
// with the history.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>

#include "core/HistoryIndex.h"
#include "core/HistoryStore.h"
#include "support/TempFolder.h"

namespace {

using namespace quelt;

constexpr core::MessageTime kTime{2024, 5, 17, 9, 5, 0};

std::u16string MessageText(int64_t number) {
  char text[32];
  std::snprintf(text, sizeof text, "message %07lld", static_cast<long long>(number));
  return {text, text + std::char_traits<char>::length(text)};
}

// A history of `count` messages, written straight into its two files.
struct StoredHistory {
  explicit StoredHistory(int64_t count) {
    std::filesystem::create_directory(folder.Path() / "history");
    conversation = std::make_unique<core::Conversation>(folder.Path() / "history", u"123456789",
                                                        std::vector<std::u16string>{u"123456789", u"555"}, u"");
    std::filesystem::create_directory(conversation->Paths().accountFolder);
    std::ofstream text(conversation->Paths().textFile, std::ios::binary);
    std::ofstream index(conversation->Paths().indexFile, std::ios::binary);
    const auto header = core::EncodeIndexHeader();
    index.write(reinterpret_cast<const char*>(header.data()), header.size());
    text.write("\xFF\xFE", 2);
    uint32_t offset = 2;
    for (int64_t i = 0; i < count; ++i) {
      std::string bytes;
      for (const char16_t c : MessageText(i) + u"\r\n") bytes += {static_cast<char>(c), static_cast<char>(c >> 8)};
      const uint32_t length = static_cast<uint32_t>(bytes.size() - 4);
      const auto record = core::EncodeIndexRecord({kTime, static_cast<uint8_t>(i % 2), offset, length});
      index.write(reinterpret_cast<const char*>(record.data()), record.size());
      text.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      offset += static_cast<uint32_t>(bytes.size());
    }
  }

  test::TempFolder folder;
  std::unique_ptr<core::Conversation> conversation;
};

core::Conversation& HistoryOf(int64_t count) {
  static std::map<int64_t, std::unique_ptr<StoredHistory>> histories;
  auto& history = histories[count];
  if (!history) history = std::make_unique<StoredHistory>(count);
  return *history->conversation;
}

void BM_AppendMessage(benchmark::State& state) {
  test::TempFolder folder;
  std::filesystem::create_directory(folder.Path() / "history");
  core::Conversation conversation(folder.Path() / "history", u"123456789", {u"123456789", u"555"}, u"");
  int64_t number = 0;
  for (auto _ : state) {
    if (!core::AppendMessage(conversation, kTime, u"555", MessageText(number++))) state.SkipWithError("append failed");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendMessage);

// Arguments: messages in the history, and which page (0 = newest, 1 = the middle one).
void BM_ReadPage(benchmark::State& state) {
  core::Conversation& conversation = HistoryOf(state.range(0));
  const auto skip = static_cast<uint32_t>(state.range(1) == 0 ? 0 : state.range(0) / 2);
  for (auto _ : state) {
    auto page = core::ReadPage(conversation, skip);
    if (!page || page->size() != 10) state.SkipWithError("short page");
    benchmark::DoNotOptimize(page);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadPage)->ArgsProduct({{1000, 1000000}, {0, 1}})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
