#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/screen/Geometry.h"

struct SDL_Surface;

namespace quelt::platform {

class Surface;

// A picture from a file: a still image (".bmp", ".jpg", ".png") or every frame of a ".gif".
// Creating one is cheap; the file is decoded on first use, once, and a failure is remembered.
// Works without a display. Thread-safe: every member may be called from any thread.
class Image {
 public:
  // Opaque images (backgrounds) are drawn as they are. TransparentKey images (icons, indicators,
  // toolbar images, smileys) leave out every pixel of the colour of their top-left pixel.
  enum class Mode { Opaque, TransparentKey };

  // Frames shown for less than this are shown for kDefaultDelayMs instead, as browsers do:
  // many files say 0 and mean "the usual speed".
  static constexpr uint32_t kMinimumDelayMs = 20;
  static constexpr uint32_t kDefaultDelayMs = 100;

  Image(std::filesystem::path path, Mode mode);
  ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
  [[nodiscard]] Mode DrawMode() const { return mode_; }

  // Decodes on the first call; true when the image can be drawn.
  bool Decode();

  // These decode first when needed. An undecodable image has no frames and a size of 0 by 0.
  [[nodiscard]] int FrameCount();
  [[nodiscard]] int Width();
  [[nodiscard]] int Height();
  // 0 for a frame that does not exist.
  [[nodiscard]] uint32_t FrameDelayMs(int frame);
  // The transparent colour; none for opaque or undecodable images.
  [[nodiscard]] std::optional<Color> KeyColor();

  // Draws the frame with its top-left corner at (x, y), clipped to the target and to `clip` when
  // given. A missing or broken image, or a frame that does not exist, draws nothing.
  void Draw(Surface& target, int x, int y, int frame = 0, std::optional<Rect> clip = std::nullopt);

 private:
  struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const;
  };
  using FramePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;
  struct Frame {
    FramePtr surface;
    uint32_t delayMs = 0;
  };

  void DecodeLocked();
  bool AddFrame(SDL_Surface* decoded, int delayMs);

  const std::filesystem::path path_;
  const Mode mode_;
  std::mutex mutex_;
  bool attempted_ = false;
  std::vector<Frame> frames_;
  std::optional<Color> keyColor_;
};

}  // namespace quelt::platform
