#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelt::platform {

// The desktop's clipboard, as Unicode text; needs the display to be open. False, or nothing,
// when the clipboard cannot be reached.
bool SetClipboardText(std::u16string_view text);
[[nodiscard]] std::optional<std::u16string> ClipboardText();
[[nodiscard]] bool ClipboardHasText();

}  // namespace quelt::platform
