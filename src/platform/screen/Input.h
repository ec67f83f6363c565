#pragma once

#include <string>

namespace quelt::platform {

// The handset's keys. Arrows are the joystick, Return its press; F1/F2 the soft keys; Escape
// and Backspace are Back.
enum class Key {
  None,
  Up,
  Down,
  Left,
  Right,
  Action,
  LeftSoft,
  RightSoft,
  Back,
  Backspace,
  Digit0,
  Digit1,
  Digit2,
  Digit3,
  Digit4,
  Digit5,
  Digit6,
  Digit7,
  Digit8,
  Digit9,
  Star,
  Hash,
};

struct InputEvent {
  enum class Kind {
    Key,       // `key` was pressed
    Text,      // `text` was typed (text boxes only)
    Click,     // a mouse click at (x, y) in screen coordinates
    Quit,      // the user closed the window or the process was asked to end
    Wake,      // events are waiting for the user-interface thread
    Activate,  // another copy asked this one to come to the front
    Redraw,    // the window must be drawn again
  };
  Kind kind = Kind::Redraw;
  Key key = Key::None;
  std::u16string text;
  int x = 0;
  int y = 0;
};

}  // namespace quelt::platform
