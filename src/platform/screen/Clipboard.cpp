#include "platform/screen/Clipboard.h"

#include <SDL.h>

#include "platform/TextCodec.h"

namespace quelt::platform {

bool SetClipboardText(std::u16string_view text) {
  return SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_SetClipboardText(Utf16ToUtf8(text).c_str()) == 0;
}

std::optional<std::u16string> ClipboardText() {
  if (!ClipboardHasText()) return std::nullopt;
  char* text = SDL_GetClipboardText();
  if (text == nullptr) return std::nullopt;
  std::u16string result = Utf8ToUtf16(text);
  SDL_free(text);
  if (result.empty()) return std::nullopt;
  return result;
}

bool ClipboardHasText() { return SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_HasClipboardText() == SDL_TRUE; }

}  // namespace quelt::platform
