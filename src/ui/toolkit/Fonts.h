#pragma once

#include <memory>
#include <string>

namespace quelt::platform {
class Font;
}
namespace quelt::resources {
struct SkinFont;
}

namespace quelt::ui {

// A font by face, pixel size and weight, opened once and kept for the life of the program: skins
// name a handful, and text already rendered in one stays valid while the font lives. Null when no
// font could be opened. Any thread.
[[nodiscard]] std::shared_ptr<platform::Font> OpenFont(const std::u16string& face, int pixelSize, bool bold);
// A skin's font: its face and size, bold from the skin's bold weight on.
[[nodiscard]] std::shared_ptr<platform::Font> OpenFont(const resources::SkinFont& font);

}  // namespace quelt::ui
