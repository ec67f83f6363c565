// Chat messages split into items and laid out in lines with a real font and smiley set: a page
// of ten messages (what opening a chat lays out) and a thousand loaded ones (a long session).
#include <benchmark/benchmark.h>

#include <string>

#include "platform/TextCodec.h"
#include "platform/screen/Font.h"
#include "resources/SmileyTable.h"
#include "support/ui/ContactListScene.h"
#include "ui/chat/MessageLayout.h"

namespace {

using namespace quelt;

std::vector<std::u16string> Messages(int count) {
  const char16_t* kTexts[] = {
      u"Hi! How are you doing today? :)",
      u"Look at www.example.org/some/long/path?with=query and tell me what you think :-D",
      u"Привет, как дела? Давно не виделись ;)",
      u"ok",
      u"First line\r\nsecond line, a little longer than the first one\r\nthird",
  };
  std::vector<std::u16string> out;
  for (int i = 0; i < count; ++i) out.emplace_back(kTexts[i % 5]);
  return out;
}

void LayOut(benchmark::State& state) {
  test::UseShippedFontsOnly();
  const auto font = platform::Font::Open("DejaVu Sans", 12, false);
  const std::string document =
      "<smilies><desc>B</desc><smile file='a.gif'><text>:)</text></smile><smile file='b.gif'><text>:-D</text>"
      "</smile><smile file='c.gif'><text>;)</text></smile></smilies>";
  const auto smileys = resources::SmileyTable::Parse(
      std::span(reinterpret_cast<const uint8_t*>(document.data()), document.size()), "/set", false);
  const ui::LayoutMetrics metrics{.width = 227,
                                  .lineHeight = font->Height(),
                                  .textWidth = [&font](std::u16string_view text) { return font->TextWidth(text); },
                                  .smileyWidth = [](size_t) { return 16; },
                                  .smileyHeight = [](size_t) { return 16; }};
  const auto messages = Messages(static_cast<int>(state.range(0)));
  size_t lines = 0;
  for (auto _ : state) {
    lines = 0;
    for (const auto& text : messages) {
      const auto items = ui::SplitMessage(text, &*smileys);
      lines += ui::LayOutMessage(text, items, metrics).size();
    }
    benchmark::DoNotOptimize(lines);
  }
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(LayOut)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
