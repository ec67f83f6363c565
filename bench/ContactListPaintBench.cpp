// The main window with 1,000 ICQ and 1,000 MSN contacts: a full paint (the contacts asked for,
// filtered, sorted when they changed, the visible rows drawn, the screen composed), and one
// quick-search key press to the composed screen.
#include <benchmark/benchmark.h>

#include "support/ui/ContactListScene.h"

namespace {

using namespace quelt;
using platform::Key;

void AddContacts(test::ContactListScene& scene) {
  for (int i = 0; i < 1000; ++i) {
    const std::u16string n = platform::Utf8ToUtf16(std::to_string(i));
    scene.Icq().Add(
        {.id = u"2000" + n, .displayName = u"Contact " + n, .presence = i % 3 == 0 ? -1 : (i % 5 == 0 ? 1 : 0)});
    scene.Msn().Add({.id = u"person" + n + u"@example.com",
                     .displayName = u"Person " + n,
                     .presence = i % 4 == 0 ? -1 : 1 + i % 7,
                     .onServerList = true});
  }
}

test::ContactListScene& Scene(ui::ScreenSize screen) {
  static test::ContactListScene scene(
      {.screen = screen, .config = "ICQ_ENABLED=TRUE\r\nUIN=1\r\nMSN_ENABLED=TRUE\r\nMSN_EMAIL=a@b\r\n"});
  static const bool filled = (AddContacts(scene), true);
  (void)filled;
  return scene;
}

void BM_FullPaint(benchmark::State& state) {
  auto& scene = Scene({240, 320});
  auto screen = platform::Surface::Create(240, 320);
  const bool changing = state.range(0) != 0;
  int round = 0;
  for (auto _ : state) {
    // A presence change (the list is sorted again) or a plain refresh.
    if (changing) scene.Icq().contacts[static_cast<size_t>(round++ % 1000)].presence ^= 1;
    scene.Window().Invalidate();
    scene.Windows().Compose(*screen);
  }
  state.SetLabel(changing ? "a contact changed" : "nothing changed");
}
BENCHMARK(BM_FullPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_QuickSearchKey(benchmark::State& state) {
  auto& scene = Scene({240, 320});
  auto screen = platform::Surface::Create(240, 320);
  scene.Press(Key::LeftSoft);
  int round = 0;
  for (auto _ : state) {
    // Type a key, then take it back: every press filters and sorts anew.
    scene.Press(round++ % 2 == 0 ? Key::Digit7 : Key::Back);
    scene.Windows().Compose(*screen);
  }
  scene.Press(Key::LeftSoft);
}
BENCHMARK(BM_QuickSearchKey)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
