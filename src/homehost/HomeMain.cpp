// quelt-home: the stand-in for the handset's home screen that shows the scheme's rows and hosts
// their plugins. `--screenshot FILE.png` paints once and saves the picture instead of showing it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "homehost/HomeScreen.h"
#include "platform/Clock.h"
#include "platform/Event.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/screen/Display.h"
#include "platform/screen/Surface.h"
#include "ui/shell/ScreenSize.h"

namespace {

using quelt::home::HomeScreen;
namespace platform = quelt::platform;

constexpr uint32_t kFrameMs = 16;

int Screenshot(HomeScreen::Setup setup, const char* file) {
  auto surface = platform::Surface::Create(setup.width, setup.height);
  platform::Event woken(platform::Event::Mode::AutoReset);
  setup.wake = [&woken] { woken.Set(); };
  HomeScreen home(std::move(setup));
  home.Load();
  if (!surface) return 1;
  // Rows such as the messenger's ask for their state as they load; their answers get a moment
  // to arrive. Another home screen that runs keeps them to itself.
  if (home.Listen()) {
    constexpr uint32_t kAnswerMs = 1000, kSettleMs = 100;
    const uint32_t start = platform::Ticks();
    uint32_t until = kAnswerMs;
    for (uint32_t spent = 0; spent < until; spent = platform::Ticks() - start) {
      if (!woken.Wait(until - spent)) continue;
      home.RunPending();
      until = std::min(kAnswerMs, platform::Ticks() - start + kSettleMs);
    }
  }
  home.Paint(*surface);
  if (!surface->SavePng(file)) {
    std::fprintf(stderr, "quelt-home: cannot write %s\n", file);
    return 1;
  }
  return 0;
}

int Run(platform::Display& display, HomeScreen& home, platform::Surface& screen) {
  std::optional<uint32_t> lastPresent;
  while (true) {
    uint32_t wait = platform::Display::kForever;
    if (home.NeedsPaint()) {
      // However many changes arrive, the screen is presented once a frame at most.
      const uint32_t now = platform::Ticks();
      const uint32_t since = lastPresent ? now - *lastPresent : kFrameMs;
      if (since >= kFrameMs) {
        home.Paint(screen);
        display.Present(screen);
        lastPresent = now;
        continue;
      }
      wait = kFrameMs - since;
    }
    if (const auto timer = home.UntilTimer()) wait = std::min(wait, *timer);
    if (const auto input = display.WaitInput(wait)) {
      using Kind = platform::InputEvent::Kind;
      switch (input->kind) {
        case Kind::Quit: return 0;
        case Kind::Key: home.Press(input->key); break;
        case Kind::Wake: home.RunPending(); break;
        case Kind::Redraw: home.InvalidateAll(); break;
        case Kind::Activate: display.Raise(); break;
        default: break;
      }
    }
    home.RunTimers();
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* screenshot = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--screenshot" && i + 1 < argc) {
      screenshot = argv[++i];
    } else {
      std::fprintf(stderr, "usage: quelt-home [--screenshot FILE.png]\n");
      return 2;
    }
  }
  const auto [width, height] = quelt::ui::ScreenSizeFromEnvironment();
  HomeScreen::Setup setup{.width = width,
                          .height = height,
                          .registryFile = platform::Registry::ForUser().File(),
                          .programFolder = platform::ProgramFolder()};
  if (screenshot != nullptr) return Screenshot(std::move(setup), screenshot);

  std::string error;
  const auto display = platform::Display::Open("Quelt Home", width, height, error);
  if (!display) {
    std::fprintf(stderr, "quelt-home: no display to show the home screen on (%s)\n", error.c_str());
    return 1;
  }
  setup.wake = [raw = display.get()] { raw->PostWake(); };
  HomeScreen home(std::move(setup));
  home.Load();
  if (!home.Listen()) {
    std::fprintf(stderr, "quelt-home: another home screen is running\n");
    return 1;
  }
  const auto screen = platform::Surface::Create(width, height);
  if (!screen) return 1;
  display->Show();
  return Run(*display, home, *screen);
}
