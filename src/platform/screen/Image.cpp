#include "platform/screen/Image.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string>
#include <utility>

#include "platform/screen/Surface.h"

namespace quelt::platform {

namespace {

enum class Decoder { None, Still, Animation };

Decoder DecoderFor(const std::filesystem::path& path) {
  std::string ending = path.filename().string();
  if (ending.size() < 4) return Decoder::None;
  ending.erase(0, ending.size() - 4);
  std::transform(ending.begin(), ending.end(), ending.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ending == ".bmp" || ending == ".jpg" || ending == ".png") return Decoder::Still;
  if (ending == ".gif") return Decoder::Animation;
  return Decoder::None;
}

// SDL_image starts its codecs lazily and counts them in unsynchronised globals, so only one
// thread at a time may be inside it. Conversion and drawing need no such lock.
std::mutex& LibraryMutex() {
  static std::mutex mutex;
  return mutex;
}

// SDL keeps data (its error text) for each thread that calls it and frees that only on request,
// so a thread that decoded images hands it back when it ends.
void ReleaseSdlThreadDataAtExit() {
  struct Release {
    ~Release() { SDL_TLSCleanup(); }
  };
  thread_local Release release;
  static_cast<void>(release);
}

struct AnimationDeleter {
  void operator()(IMG_Animation* animation) const { IMG_FreeAnimation(animation); }
};

uint32_t NormalisedDelay(int delayMs) {
  if (delayMs < static_cast<int>(Image::kMinimumDelayMs)) return Image::kDefaultDelayMs;
  return static_cast<uint32_t>(delayMs);
}

Color PixelOf(const SDL_Surface& surface, int x, int y) {
  const auto* row = static_cast<const uint8_t*>(surface.pixels) + static_cast<ptrdiff_t>(y) * surface.pitch;
  uint32_t pixel = 0;
  std::copy_n(row + static_cast<ptrdiff_t>(x) * 4, 4, reinterpret_cast<uint8_t*>(&pixel));
  Color color;
  SDL_GetRGB(pixel, surface.format, &color.r, &color.g, &color.b);
  return color;
}

}  // namespace

void Image::SurfaceDeleter::operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }

Image::Image(std::filesystem::path path, Mode mode) : path_(std::move(path)), mode_(mode) {}

Image::~Image() = default;

bool Image::AddFrame(SDL_Surface* decoded, int delayMs) {
  if (decoded == nullptr || decoded->w <= 0 || decoded->h <= 0) return false;
  // The same format as Surface, so that drawing is a plain copy.
  FramePtr converted(SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_XRGB8888, 0));
  if (!converted) return false;
  // A key or blend mode carried over from the file would fight the drawing mode.
  SDL_SetColorKey(converted.get(), SDL_FALSE, 0);
  SDL_SetSurfaceBlendMode(converted.get(), SDL_BLENDMODE_NONE);
  frames_.push_back({std::move(converted), NormalisedDelay(delayMs)});
  return true;
}

void Image::DecodeLocked() {
  attempted_ = true;
  const Decoder decoder = DecoderFor(path_);
  if (decoder != Decoder::None) ReleaseSdlThreadDataAtExit();
  bool complete = false;
  if (decoder == Decoder::Still) {
    FramePtr decoded;
    {
      std::lock_guard library(LibraryMutex());
      decoded.reset(IMG_Load(path_.c_str()));
    }
    complete = AddFrame(decoded.get(), 0);
  } else if (decoder == Decoder::Animation) {
    std::unique_ptr<IMG_Animation, AnimationDeleter> animation;
    {
      std::lock_guard library(LibraryMutex());
      animation.reset(IMG_LoadAnimation(path_.c_str()));
    }
    complete = animation && animation->count > 0 && animation->frames != nullptr;
    for (int i = 0; complete && i < animation->count; ++i)
      complete = AddFrame(animation->frames[i], animation->delays != nullptr ? animation->delays[i] : 0);
  }
  if (!complete) {
    frames_.clear();
    return;
  }
  if (mode_ == Mode::TransparentKey) {
    keyColor_ = PixelOf(*frames_.front().surface, 0, 0);
    for (const Frame& frame : frames_) {
      SDL_Surface* surface = frame.surface.get();
      SDL_SetColorKey(surface, SDL_TRUE, SDL_MapRGB(surface->format, keyColor_->r, keyColor_->g, keyColor_->b));
    }
  }
}

bool Image::Decode() {
  std::lock_guard lock(mutex_);
  if (!attempted_) DecodeLocked();
  return !frames_.empty();
}

int Image::FrameCount() {
  std::lock_guard lock(mutex_);
  if (!attempted_) DecodeLocked();
  return static_cast<int>(frames_.size());
}

int Image::Width() {
  std::lock_guard lock(mutex_);
  if (!attempted_) DecodeLocked();
  return frames_.empty() ? 0 : frames_.front().surface->w;
}

int Image::Height() {
  std::lock_guard lock(mutex_);
  if (!attempted_) DecodeLocked();
  return frames_.empty() ? 0 : frames_.front().surface->h;
}

uint32_t Image::FrameDelayMs(int frame) {
  std::lock_guard lock(mutex_);
  if (!attempted_) DecodeLocked();
  if (frame < 0 || static_cast<size_t>(frame) >= frames_.size()) return 0;
  return frames_[static_cast<size_t>(frame)].delayMs;
}

std::optional<Color> Image::KeyColor() {
  std::lock_guard lock(mutex_);
  if (!attempted_) DecodeLocked();
  return keyColor_;
}

void Image::Draw(Surface& target, int x, int y, int frame, std::optional<Rect> clip) {
  // Held while blitting too: SDL caches the blit mapping in the source surface.
  std::lock_guard lock(mutex_);
  if (!attempted_) DecodeLocked();
  if (frame < 0 || static_cast<size_t>(frame) >= frames_.size()) return;
  if (clip && (clip->width <= 0 || clip->height <= 0)) return;
  if (clip) {
    SDL_Rect clipRect{clip->x, clip->y, clip->width, clip->height};
    SDL_SetClipRect(target.Raw(), &clipRect);
  }
  SDL_Rect destination{x, y, 0, 0};
  SDL_BlitSurface(frames_[static_cast<size_t>(frame)].surface.get(), nullptr, target.Raw(), &destination);
  if (clip) SDL_SetClipRect(target.Raw(), nullptr);
}

}  // namespace quelt::platform
