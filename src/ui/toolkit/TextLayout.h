#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quelt::platform {
class Font;
}

namespace quelt::ui {

// The text broken into lines no wider than `width`: at line ends (CR, LF or CR LF), between
// words where it can, and inside a word too long for a line of its own.
[[nodiscard]] std::vector<std::u16string> WrapText(const platform::Font& font, std::u16string_view text, int width);

}  // namespace quelt::ui
