// Painting economy: a window paints when it asked to, the screen is composed only when
// something visible changed, and the loop presents at most once a frame and never while idle.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/UiDispatcher.h"
#include "platform/Clock.h"
#include "platform/screen/Surface.h"
#include "support/ui/ContactListScene.h"
#include "ui/shell/HeadlessUiLoop.h"
#include "ui/toolkit/Fonts.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/TextCache.h"
#include "ui/toolkit/Window.h"
#include "ui/toolkit/WindowStack.h"

namespace quelt::ui {
namespace {

class Counted final : public Window {
 public:
  Counted(platform::Color color, std::optional<platform::Rect> overlay = std::nullopt)
      : color_(color), overlay_(overlay) {}
  void Paint(Painter& painter) override {
    ++paints;
    painter.Fill(overlay_.value_or(platform::Rect{0, 0, painter.Width(), painter.Height()}), color_);
  }
  bool OnKey(platform::Key) override { return false; }
  [[nodiscard]] bool IsOverlay() const override { return overlay_.has_value(); }
  std::atomic<int> paints{0};

 private:
  const platform::Color color_;
  const std::optional<platform::Rect> overlay_;
};

TEST(WindowStackTest, RepaintsOnlyWhatAskedAndWhatShows) {
  WindowStack stack(40, 40);
  auto screen = platform::Surface::Create(40, 40);
  auto below = std::make_shared<Counted>(platform::Color{0, 0, 200});
  auto above = std::make_shared<Counted>(platform::Color{0, 200, 0});
  auto box = std::make_shared<Counted>(platform::Color{200, 0, 0}, platform::Rect{10, 10, 5, 5});
  stack.Push(below);
  stack.Push(above);
  stack.Compose(*screen);
  EXPECT_EQ(below->paints, 0);  // hidden beneath a full-screen window
  EXPECT_EQ(above->paints, 1);
  below->Invalidate();
  EXPECT_FALSE(stack.NeedsPaint());  // costs no frame while hidden

  stack.Push(box);
  stack.Compose(*screen);
  EXPECT_EQ(above->paints, 1);  // kept from its last painting under the overlay
  EXPECT_EQ(screen->PixelAt(12, 12), (platform::Color{200, 0, 0}));
  EXPECT_EQ(screen->PixelAt(2, 2), (platform::Color{0, 200, 0}));
  above->Invalidate();  // changes beneath the overlay show
  EXPECT_TRUE(stack.NeedsPaint());
  stack.Compose(*screen);
  EXPECT_EQ(above->paints, 2);
  EXPECT_EQ(box->paints, 2);

  stack.Remove(box.get());
  stack.Remove(above.get());
  stack.Compose(*screen);
  EXPECT_EQ(below->paints, 1);  // shows again: painted then, with what it asked for meanwhile
  EXPECT_EQ(screen->PixelAt(12, 12), (platform::Color{0, 0, 200}));
}

TEST(WindowStackTest, LoopPresentsAtMostOnceAFrameAndNotWhileIdle) {
  core::UiDispatcher dispatcher;
  HeadlessUiLoop loop(dispatcher, {40, 40});
  auto window = std::make_shared<Counted>(platform::Color{1, 2, 3});
  loop.Windows().Push(window);
  std::thread ui([&loop] { loop.Run(); });
  ASSERT_TRUE(loop.WaitForPresentCount(1, 5000));

  // A burst of changes, each of which would repaint on its own.
  const uint32_t start = platform::Ticks();
  constexpr int kChanges = 300;
  for (int i = 0; i < kChanges; ++i) {
    loop.PostInput({.kind = platform::InputEvent::Kind::Redraw});
    if (i % 30 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const uint32_t elapsed = platform::Ticks() - start;
  const size_t presents = loop.PresentCount();
  EXPECT_LE(presents, 2 + elapsed / UiLoopBase::kFrameMs);
  EXPECT_LT(presents, static_cast<size_t>(kChanges) / 10);
  // Nothing changes: nothing is presented.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(loop.PresentCount(), presents);
  loop.Quit(0);
  ui.join();
}

TEST(WindowStackTest, TextIsRenderedOnceAndTheCacheKeepsToItsBudget) {
  test::UseShippedFontsOnly();
  const auto font = OpenFont(u"DejaVu Sans", 14, false);
  ASSERT_TRUE(font);
  TextCache cache(128 * 1024);
  const platform::Surface* first = cache.Get(*font, u"Alice Cooper", {});
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(cache.Get(*font, u"Alice Cooper", {}), first);
  EXPECT_NE(cache.Get(*font, u"Alice Cooper", {1, 2, 3}), first);  // another colour is another picture
  for (int i = 0; i < 200; ++i) {
    const std::u16string name = {u'C', u'o', char16_t(u'A' + i % 26), char16_t(u'a' + i / 26)};
    ASSERT_NE(cache.Get(*font, name, {}), nullptr);
    EXPECT_LE(cache.Bytes(), 128u * 1024);
  }
  EXPECT_GT(cache.Size(), 10u);
  EXPECT_EQ(cache.Get(*font, u"", {}), nullptr);
}

}  // namespace
}  // namespace quelt::ui

// A digit that opens a window (a menu item chosen by number) also types itself; the new window's
// text box must not get that character, but does get what is typed after.
namespace quelt::ui {
namespace {

class Typed final : public Window {
 public:
  explicit Typed(WindowStack& stack) : stack_(stack) {}
  void Paint(Painter&) override {}
  bool OnKey(platform::Key key) override {
    if (key != platform::Key::Digit1) return true;
    auto opened = std::make_shared<Typed>(stack_);
    {
      std::lock_guard lock(mutex);
      child = opened;
    }
    stack_.Push(opened);
    return true;
  }
  bool OnText(std::u16string_view text) override {
    std::lock_guard lock(mutex);
    typed += text;
    return true;
  }
  std::u16string Typed16() {
    std::lock_guard lock(mutex);
    return typed;
  }
  std::shared_ptr<Typed> Child() {
    std::lock_guard lock(mutex);
    return child;
  }

 private:
  std::mutex mutex;
  std::u16string typed;
  std::shared_ptr<Typed> child;
  WindowStack& stack_;
};

TEST(WindowStackTest, TheCharacterOfAKeyThatOpenedAWindowStaysOutOfIt) {
  core::UiDispatcher dispatcher;
  HeadlessUiLoop loop(dispatcher, {40, 40});
  auto first = std::make_shared<Typed>(loop.Windows());
  loop.Windows().Push(first);
  std::thread ui([&loop] { loop.Run(); });
  using Kind = platform::InputEvent::Kind;
  for (const auto& [key, text] : {std::pair{platform::Key::Digit1, u"1"}, {platform::Key::Digit2, u"2"}}) {
    loop.PostInput({.kind = Kind::Key, .key = key});
    loop.PostInput({.kind = Kind::Text, .text = text});
  }
  loop.PostInput({.kind = Kind::Text, .text = u"a"});
  std::u16string typed;
  for (int tries = 0; tries < 200 && typed != u"2a"; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (const auto child = first->Child()) typed = child->Typed16();
  }
  loop.Quit(0);
  ui.join();
  EXPECT_EQ(typed, u"2a");
  EXPECT_TRUE(first->Typed16().empty());
}

}  // namespace
}  // namespace quelt::ui
