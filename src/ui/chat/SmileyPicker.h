#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/screen/Geometry.h"
#include "resources/SkinData.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/AnimationScheduler.h"
#include "ui/toolkit/Window.h"

namespace quelt::core {
class UiDispatcher;
}
namespace quelt::resources {
class SmileyTable;
}

namespace quelt::ui {

class WindowStack;

// Chooses a smiley: a grid of the set's pictures with the chosen one's description beneath, or,
// for a set without pictures, a titled list of its texts. The joystick moves, Return or the left
// soft key chooses, the right soft key or Back closes without a choice. Main thread.
class SmileyPicker final : public Window, public std::enable_shared_from_this<SmileyPicker> {
 public:
  // Gets the chosen smiley's first text form.
  using Chosen = std::function<void(const std::u16string& text)>;
  struct Labels {
    std::u16string title;  // of the list
    std::u16string choose;
    std::u16string cancel;
  };

  // `table` must outlive the picker (its set is held by the chat that opens it). With a
  // dispatcher the pictures animate, their frames repainted through it.
  static std::shared_ptr<SmileyPicker> Open(WindowStack& stack, ScreenSize screen, const resources::SmileyTable& table,
                                            const resources::SkinData::Chat& colours, Labels labels, Chosen chosen,
                                            core::UiDispatcher* animate = nullptr);

  void Paint(Painter& painter) override;
  bool OnKey(platform::Key key) override;
  [[nodiscard]] std::optional<platform::Key> KeyForClick(int x, int y) const override;

  [[nodiscard]] size_t Selected() const { return selected_; }
  [[nodiscard]] bool Grid() const { return grid_; }
  [[nodiscard]] int Columns() const { return columns_; }

 private:
  SmileyPicker(WindowStack& stack, ScreenSize screen, const resources::SmileyTable& table,
               const resources::SkinData::Chat& colours, Labels labels, Chosen chosen);
  void Move(int step);
  void Choose();

  WindowStack& stack_;
  const ScreenSize screen_;
  const resources::SmileyTable& table_;
  const resources::SkinData::Chat colours_;
  const Labels labels_;
  const Chosen chosen_;
  const bool grid_;
  int cellWidth_ = 1;
  int cellHeight_ = 1;
  int columns_ = 1;
  size_t selected_ = 0;
  int firstRow_ = 0;  // scrolled past
  std::unique_ptr<AnimationScheduler> animation_;
  std::vector<size_t> animationItem_;  // by smiley: its item in the scheduler, or none
};

}  // namespace quelt::ui
