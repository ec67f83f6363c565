// Chat messages split into items and laid out in lines with a real font and smiley set: a page
// of ten messages (what opening a chat lays out) and a thousand loaded ones (a long session);
// a keystroke in the chat window to the composed screen; a thousand messages paged in and painted.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <string>

#include "platform/TextCodec.h"
#include "platform/screen/Font.h"
#include "resources/SmileyTable.h"
#include "support/ui/ContactListScene.h"
#include "support/ui/FakeChat.h"
#include "ui/chat/ChatWindow.h"
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

// A chat window with a long talk in a real history, its smileys animated.
struct ChatScene {
  ChatScene()
      : scene({.screen = {240, 320}, .config = "ICQ_ENABLED=TRUE\r\nUIN=1\r\n"}),
        chat((
            std::filesystem::create_directories(scene.Folder() / "history"),
            std::make_shared<test::FakeChat>(ui::Protocol::Icq, scene.Folder() / "history",
                                             std::vector<ui::ParticipantEntry>{{.id = u"2", .displayName = u"Bob"}}))) {
    chat->smileys = resources::SmileySet::Create(scene.Folder() / "Smilies", u"");
    for (const auto& text : Messages(1000)) chat->Store(u"2", text);
    window = ui::ChatWindow::Open(scene.App(), scene.Loop(), {240, 320}, nullptr, chat);
    screen = platform::Surface::Create(240, 320);
    scene.Windows().Compose(*screen);
  }
  test::ContactListScene scene;
  std::shared_ptr<test::FakeChat> chat;
  std::shared_ptr<ui::ChatWindow> window;
  std::unique_ptr<platform::Surface> screen;
};

// One typed character (and taking it back) to the composed screen: the entry changes, the
// window paints again and the screen is composed.
void Keystroke(benchmark::State& state) {
  ChatScene chat;
  int round = 0;
  for (auto _ : state) {
    if (round++ % 2 == 0) {
      chat.scene.Windows().OnText(u"a");
    } else {
      chat.scene.Windows().OnKey(platform::Key::Backspace);
    }
    chat.scene.Windows().Compose(*chat.screen);
  }
}
BENCHMARK(Keystroke)->Unit(benchmark::kMicrosecond);

// Reading the whole talk in (1,000 messages, a page at a time from the top of list mode) and
// painting it; the heap it takes once laid out.
void LoadAndPaintThousand(benchmark::State& state) {
  for (auto _ : state) {
    ChatScene chat;
    const size_t before = mallinfo2().uordblks;
    chat.scene.Windows().OnKey(platform::Key::Up);
    while (chat.window->Messages().Up()) {
    }
    chat.window->Invalidate();
    chat.scene.Windows().Compose(*chat.screen);
    state.counters["messages"] = static_cast<double>(chat.window->Messages().Count());
    state.counters["heap_kB"] = static_cast<double>(mallinfo2().uordblks - before) / 1024.0;
  }
}
BENCHMARK(LoadAndPaintThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
