#include "platform/screen/Font.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/Log.h"
#include "platform/screen/Surface.h"

namespace quelt::platform {
namespace {

bool EnsureTtf() {
  static const bool ready = TTF_Init() == 0;
  return ready;
}

// The font file fontconfig offers for a face; it substitutes its default sans-serif for a face
// that is not installed.
std::string FindFontFile(std::string_view face, bool bold) {
  static std::mutex mutex;  // fontconfig's configuration is not safe to initialise concurrently
  std::lock_guard lock(mutex);
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return {};
  const std::string family(face.empty() ? "sans-serif" : face);
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("DejaVu Sans"));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string file;
  FcChar8* path = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    file = reinterpret_cast<const char*>(path);
  }
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return file;
}

// SDL_ttf takes UCS-2 without a terminator of its own, and cannot draw surrogate pairs.
std::vector<Uint16> ToUcs2(std::u16string_view text) {
  std::vector<Uint16> units;
  units.reserve(text.size() + 1);
  for (char16_t unit : text) units.push_back(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
  units.push_back(0);
  return units;
}

}  // namespace

struct Font::Handle {
  TTF_Font* font = nullptr;
  ~Handle() {
    if (font != nullptr) TTF_CloseFont(font);
  }
};

Font::Font(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
Font::~Font() = default;

std::shared_ptr<Font> Font::Open(std::string_view face, int pixelSize, bool bold) {
  if (!EnsureTtf() || pixelSize <= 0) return nullptr;
  const std::string file = FindFontFile(face, bold);
  if (file.empty()) {
    Log("no font file found for face %.*s", static_cast<int>(face.size()), face.data());
    return nullptr;
  }
  auto handle = std::make_unique<Handle>();
  handle->font = TTF_OpenFont(file.c_str(), pixelSize);
  if (handle->font == nullptr) {
    Log("cannot open font %s: %s", file.c_str(), TTF_GetError());
    return nullptr;
  }
  return std::shared_ptr<Font>(new Font(std::move(handle)));
}

int Font::Height() const { return TTF_FontHeight(handle_->font); }

int Font::TextWidth(std::u16string_view text) const {
  if (text.empty()) return 0;
  int width = 0;
  int height = 0;
  const auto units = ToUcs2(text);
  return TTF_SizeUNICODE(handle_->font, units.data(), &width, &height) == 0 ? width : 0;
}

void Font::Draw(Surface& surface, int x, int y, std::u16string_view text, Color color, const Rect& clip) const {
  if (clip.width <= 0 || clip.height <= 0) return;
  if (const auto rendered = Render(text, color)) surface.Draw(*rendered, x, y, clip);
}

std::unique_ptr<Surface> Font::Render(std::u16string_view text, Color color) const {
  if (text.empty()) return nullptr;
  const auto units = ToUcs2(text);
  return Surface::Adopt(
      TTF_RenderUNICODE_Blended(handle_->font, units.data(), SDL_Color{color.r, color.g, color.b, 255}));
}

}  // namespace quelt::platform
