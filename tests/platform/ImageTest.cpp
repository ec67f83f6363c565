#include "platform/screen/Image.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <latch>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/GifBytes.h"
#include "platform/screen/Surface.h"
#include "support/TempFolder.h"

namespace quelt::platform {
namespace {

using Mode = Image::Mode;

constexpr Color kMagenta{255, 0, 255};
constexpr Color kRed{255, 0, 0};
constexpr Color kGreen{0, 255, 0};
constexpr Color kBlue{0, 0, 255};
constexpr Color kGrey{128, 128, 128};
const test::GifPalette kPalette = {{{255, 0, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}};
const Color kPaletteColors[] = {kMagenta, kRed, kGreen, kBlue};

constexpr int kWidth = 3;
constexpr int kHeight = 2;
// Palette indices of three frames; the first frame's top-left pixel is magenta, the others' not.
const std::vector<std::vector<uint8_t>> kFrames = {{0, 1, 2, 3, 0, 1}, {1, 2, 3, 0, 0, 2}, {2, 3, 0, 1, 1, 0}};

std::vector<Color> Colors(const std::vector<uint8_t>& indices) {
  std::vector<Color> colors;
  for (const uint8_t index : indices) colors.push_back(kPaletteColors[index]);
  return colors;
}

std::string AnimatedGif(const std::vector<uint16_t>& delays) {
  std::vector<test::GifFrame> frames;
  for (size_t i = 0; i < delays.size(); ++i) frames.push_back({kFrames[i % kFrames.size()], delays[i]});
  return test::GifBytes(kWidth, kHeight, kPalette, frames);
}

class ImageTest : public ::testing::Test {
 protected:
  // Writes the first GIF frame's picture as "bmp", "png" or "jpg", the three-frame GIF as "gif",
  // or else the content's own bytes.
  std::filesystem::path Write(const std::string& name, const std::string& content) const {
    const auto path = folder_ / name;
    auto picture = Surface::Create(kWidth, kHeight);
    const std::vector<Color> colors = Colors(kFrames[0]);
    for (int i = 0; i < kWidth * kHeight; ++i) picture->Fill({i % kWidth, i / kWidth, 1, 1}, colors[i]);
    int saved = 0;
    if (content == "bmp") {
      saved = SDL_SaveBMP(picture->Raw(), path.c_str());
    } else if (content == "png") {
      saved = IMG_SavePNG(picture->Raw(), path.c_str());
    } else if (content == "jpg") {
      saved = IMG_SaveJPG(picture->Raw(), path.c_str(), 90);
    } else {
      test::WriteFile(path, content == "gif" ? AnimatedGif({10, 25, 0}) : content);
    }
    EXPECT_EQ(saved, 0) << name;
    return path;
  }

  // Draws the frame at (x, y) on a grey 6 by 5 target and checks every target pixel: the
  // picture's own colour, or grey where nothing may be drawn. No picture expects nothing drawn.
  static void ExpectDrawn(Image& image, int frame, const std::vector<Color>& picture, bool keyed, int x = 1,
                          int y = 1) {
    auto target = Surface::Create(6, 5);
    target->Fill({0, 0, 6, 5}, kGrey);
    image.Draw(*target, x, y, frame);
    for (int ty = 0; ty < target->Height(); ++ty) {
      for (int tx = 0; tx < target->Width(); ++tx) {
        const Rect drawn{x, y, kWidth, kHeight};
        Color expected = kGrey;
        if (!picture.empty() && drawn.Contains(tx, ty))
          expected = picture[static_cast<size_t>((ty - y) * kWidth + tx - x)];
        if (keyed && expected == kMagenta) expected = kGrey;
        EXPECT_EQ(target->PixelAt(tx, ty), expected) << "frame " << frame << " at " << tx << "," << ty;
      }
    }
  }

  test::TempFolder folder_;
};

TEST_F(ImageTest, TheEndingOfTheNameChoosesTheDecoderWhateverItsCase) {
  struct Case {
    std::string name;
    std::string content;
    int frames;
  };
  const std::vector<Case> cases = {
      {"a.bmp", "bmp", 1},  {"b.PNG", "png", 1},    {"c.gif", "gif", 3},         {"d.GIF", "gif", 3},
      {"e.Gif", "gif", 3},  {"f.png", "gif", 1},    {"g.bmp", "png", 1},         {"h.jpeg", "png", 0},
      {"i.txt", "bmp", 0},  {"gif", "gif", 0},      {".gif", "gif", 3},          {"j.gif.bak", "gif", 0},
      {"k.png", "junk", 0}, {"l.gif", "GIF89a", 0}, {"m.bmp", std::string(), 0}, {"n.JPG", "jpg", 1},
  };
  for (const Case& c : cases) {
    Image image(Write(c.name, c.content), Mode::Opaque);
    EXPECT_EQ(image.Decode(), c.frames > 0) << c.name;
    EXPECT_EQ(image.FrameCount(), c.frames) << c.name;
    EXPECT_EQ(image.Width(), c.frames > 0 ? kWidth : 0) << c.name;
    EXPECT_EQ(image.Height(), c.frames > 0 ? kHeight : 0) << c.name;
    if (c.frames > 0 && c.content != "jpg") ExpectDrawn(image, 0, Colors(kFrames[0]), false);  // JPEG is lossy
  }
}

TEST_F(ImageTest, GifKeepsEveryFrameWithItsDelayInMilliseconds) {
  // Hundredths in the file, milliseconds out; below 20 ms means the usual 100 ms.
  const std::vector<std::pair<uint16_t, uint32_t>> delays = {{10, 100}, {25, 250}, {0, 100}, {1, 100}, {2, 20}};
  std::vector<uint16_t> hundredths;
  for (const auto& [stored, milliseconds] : delays) hundredths.push_back(stored);
  Image image(Write("anim.gif", AnimatedGif(hundredths)), Mode::Opaque);
  ASSERT_EQ(image.FrameCount(), static_cast<int>(delays.size()));
  for (size_t i = 0; i < delays.size(); ++i) {
    EXPECT_EQ(image.FrameDelayMs(static_cast<int>(i)), delays[i].second) << "frame " << i;
    ExpectDrawn(image, static_cast<int>(i), Colors(kFrames[i % kFrames.size()]), false);
  }
  EXPECT_EQ(image.FrameDelayMs(-1), 0u);
  EXPECT_EQ(image.FrameDelayMs(static_cast<int>(delays.size())), 0u);
}

TEST_F(ImageTest, KeyedImagesLeaveTheTopLeftColourOutAndOpaqueImagesCopyIt) {
  const std::vector<std::filesystem::path> files = {Write("still.bmp", "bmp"), Write("still.png", "png"),
                                                    Write("anim.gif", "gif")};
  for (const auto& file : files) {
    for (const Mode mode : {Mode::TransparentKey, Mode::Opaque}) {
      SCOPED_TRACE(file.filename().string() + (mode == Mode::Opaque ? " opaque" : " keyed"));
      Image image(file, mode);
      EXPECT_EQ(image.KeyColor(), mode == Mode::TransparentKey ? std::optional<Color>(kMagenta) : std::nullopt);
      // Later frames use the first frame's key even where their own top-left pixel differs.
      for (int frame = 0; frame < image.FrameCount(); ++frame)
        ExpectDrawn(image, frame, Colors(kFrames[static_cast<size_t>(frame)]), mode == Mode::TransparentKey);
    }
  }
}

TEST_F(ImageTest, DrawingIsClippedAndMissingFramesDrawNothing) {
  Image image(Write("anim.gif", "gif"), Mode::Opaque);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{-1, -1}, {4, 4}, {-2, 3}, {5, 0}, {-100, 50}})
    ExpectDrawn(image, 0, Colors(kFrames[0]), false, x, y);
  for (const int frame : {-1, 3, 1000}) ExpectDrawn(image, frame, {}, false);
}

TEST_F(ImageTest, BrokenImagesHaveNothingToDraw) {
  const std::string gif = AnimatedGif({10, 25, 0});
  test::WriteFile(folder_ / "header-only.gif", gif.substr(0, 13));
  test::WriteFile(folder_ / "no-frames.gif", gif.substr(0, 13 + 12 + 19) + "\x3B");
  for (const char* name : {"missing.png", "missing.gif", "header-only.gif", "no-frames.gif"}) {
    SCOPED_TRACE(name);
    Image image(folder_ / name, Mode::TransparentKey);
    EXPECT_FALSE(image.Decode());
    EXPECT_EQ(image.FrameCount(), 0);
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.FrameDelayMs(0), 0u);
    EXPECT_EQ(image.KeyColor(), std::nullopt);
    ExpectDrawn(image, 0, {}, false);
  }
}

TEST_F(ImageTest, AGifCutShortKeepsTheFramesBeforeTheCut) {
  const std::string gif = AnimatedGif({10, 25, 0});
  for (size_t length = 13; length < gif.size(); length += 3) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    test::WriteFile(folder_ / "cut.gif", gif.substr(0, length));
    Image image(folder_ / "cut.gif", Mode::TransparentKey);
    const int frames = image.FrameCount();
    EXPECT_LE(frames, 3);
    // The decoder may keep the frame it was in, partly drawn; the ones before are whole.
    for (int frame = 0; frame + 1 < frames; ++frame)
      ExpectDrawn(image, frame, Colors(kFrames[static_cast<size_t>(frame)]), true);
    if (frames > 0) {
      EXPECT_EQ(image.Width(), kWidth);
      EXPECT_EQ(image.Height(), kHeight);
    }
  }
}

TEST_F(ImageTest, TheOutcomeOfTheFirstDecodeIsKept) {
  const auto file = folder_ / "late.png";
  Image failed(file, Mode::Opaque);
  EXPECT_FALSE(failed.Decode());
  Write("late.png", "png");
  EXPECT_FALSE(failed.Decode());  // not retried

  Image decoded(file, Mode::Opaque);
  ASSERT_TRUE(decoded.Decode());
  std::filesystem::remove(file);
  EXPECT_TRUE(decoded.Decode());
  ExpectDrawn(decoded, 0, Colors(kFrames[0]), false);
}

TEST_F(ImageTest, ThreadsRacingToTheFirstUseAllSeeOneDecodedImage) {
  const std::vector<std::shared_ptr<Image>> images = {
      std::make_shared<Image>(Write("anim.gif", "gif"), Mode::TransparentKey),
      std::make_shared<Image>(Write("still.png", "png"), Mode::TransparentKey),
      std::make_shared<Image>(Write("still.bmp", "bmp"), Mode::Opaque),
  };
  const std::vector<int> expectedFrames = {3, 1, 1};
  constexpr int kThreads = 8;
  std::latch start(kThreads);
  std::vector<int> frameCounts(kThreads);
  std::vector<Color> drawn(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      Image& image = *images[static_cast<size_t>(i) % images.size()];
      auto target = Surface::Create(kWidth, kHeight);
      target->Fill({0, 0, kWidth, kHeight}, kGrey);
      start.arrive_and_wait();
      // Half of them start by drawing, so that decoding is reached from both ways in.
      if (i % 2 == 0) image.Draw(*target, 0, 0);
      frameCounts[static_cast<size_t>(i)] = image.FrameCount();
      if (i % 2 != 0) image.Draw(*target, 0, 0);
      drawn[static_cast<size_t>(i)] = target->PixelAt(1, 0);
    });
  }
  for (auto& thread : threads) thread.join();
  for (int i = 0; i < kThreads; ++i) {
    EXPECT_EQ(frameCounts[static_cast<size_t>(i)], expectedFrames[static_cast<size_t>(i) % images.size()]);
    EXPECT_EQ(drawn[static_cast<size_t>(i)], kRed);
  }
}

}  // namespace
}  // namespace quelt::platform
