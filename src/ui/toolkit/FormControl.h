#pragma once

#include <memory>
#include <string_view>

#include "platform/screen/Geometry.h"
#include "platform/screen/Input.h"

namespace quelt::platform {
class Font;
}

namespace quelt::ui {

class Painter;

// How a dialog's controls look: the skin's font and the colours around it.
struct FormStyle {
  std::shared_ptr<platform::Font> font;  // null: nothing is drawn
  platform::Color text;
  platform::Color background;
  platform::Color field;   // inside text and choice boxes
  platform::Color focus;   // the frame around the control with the focus
  platform::Color greyed;  // a disabled control's text
  [[nodiscard]] int LineHeight() const;
};

// One control of a dialog, laid out in a column: it paints itself across the form's width and
// takes the keys it uses. Up and Down it leaves alone move the focus. Main thread.
class FormControl {
 public:
  virtual ~FormControl() = default;
  // Its height across `width`.
  [[nodiscard]] virtual int Height(const FormStyle& style, int width) const = 0;
  virtual void Paint(Painter& painter, const platform::Rect& area, const FormStyle& style, bool focused) = 0;
  virtual bool OnKey(platform::Key /*key*/) { return false; }
  virtual bool OnText(std::u16string_view /*text*/) { return false; }
  [[nodiscard]] virtual bool Focusable() const { return true; }
};

}  // namespace quelt::ui
