#include "platform/screen/Surface.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>

namespace quelt::platform {

std::unique_ptr<Surface> Surface::Create(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  SDL_Surface* raw = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
  if (raw == nullptr) return nullptr;
  return std::unique_ptr<Surface>(new Surface(raw, true));
}

std::unique_ptr<Surface> Surface::Adopt(SDL_Surface* surface) {
  if (surface == nullptr) return nullptr;
  return std::unique_ptr<Surface>(new Surface(surface, true));
}

std::unique_ptr<Surface> Surface::Borrow(SDL_Surface* surface) {
  if (surface == nullptr) return nullptr;
  return std::unique_ptr<Surface>(new Surface(surface, false));
}

Surface::~Surface() {
  if (owned_) SDL_FreeSurface(surface_);
}

void Surface::Draw(const Surface& source, int x, int y, const Rect& clip) {
  if (clip.width <= 0 || clip.height <= 0) return;
  SDL_Rect clipRect{clip.x, clip.y, clip.width, clip.height};
  SDL_SetClipRect(surface_, &clipRect);
  SDL_Rect target{x, y, 0, 0};
  SDL_BlitSurface(source.surface_, nullptr, surface_, &target);
  SDL_SetClipRect(surface_, nullptr);
}

void Surface::DrawScaled(const Surface& source, const Rect& area) {
  SDL_Rect target{area.x, area.y, area.width, area.height};
  SDL_BlitScaled(source.surface_, nullptr, surface_, &target);
}

int Surface::Width() const { return surface_->w; }
int Surface::Height() const { return surface_->h; }

void Surface::Fill(const Rect& area, Color color) {
  const SDL_Rect rect{area.x, area.y, area.width, area.height};
  SDL_FillRect(surface_, &rect, SDL_MapRGB(surface_->format, color.r, color.g, color.b));
}

void Surface::Frame(const Rect& area, Color color) {
  if (area.width <= 0 || area.height <= 0) return;
  Fill({area.x, area.y, area.width, 1}, color);
  Fill({area.x, area.y + area.height - 1, area.width, 1}, color);
  Fill({area.x, area.y, 1, area.height}, color);
  Fill({area.x + area.width - 1, area.y, 1, area.height}, color);
}

Color Surface::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= surface_->w || y >= surface_->h) return {};
  const auto* row = static_cast<const uint8_t*>(surface_->pixels) + static_cast<ptrdiff_t>(y) * surface_->pitch;
  uint32_t pixel = 0;
  std::copy_n(row + static_cast<ptrdiff_t>(x) * 4, 4, reinterpret_cast<uint8_t*>(&pixel));
  Color color;
  SDL_GetRGB(pixel, surface_->format, &color.r, &color.g, &color.b);
  return color;
}

bool Surface::SavePng(const std::filesystem::path& file) const { return IMG_SavePNG(surface_, file.c_str()) == 0; }

std::unique_ptr<Surface> Surface::LoadPng(const std::filesystem::path& file) {
  SDL_Surface* loaded = IMG_Load(file.c_str());
  if (loaded == nullptr) return nullptr;
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0);
  SDL_FreeSurface(loaded);
  if (converted == nullptr) return nullptr;
  return std::unique_ptr<Surface>(new Surface(converted, true));
}

}  // namespace quelt::platform
