#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <string>

#include "homehost/HomeScreen.h"
#include "platform/Event.h"
#include "platform/Registry.h"
#include "platform/screen/Surface.h"
#include "support/PictureCompare.h"
#include "support/TempFolder.h"

namespace quelt::home {

inline constexpr char kClockClass[] = "{B9C26B1D-E14B-4AA1-B4E1-BE458AD26B52}";
inline constexpr char kOwnerClass[] = "{11FCDE36-AF6F-4393-B401-CB79FD343CFB}";
inline constexpr char kUnknownClass[] = "{01234567-89AB-CDEF-0123-456789ABCDEF}";

// A home screen over a registry, config and port folder of the test's own, at a fixed time.
class HomeFixture : public ::testing::Test {
 protected:
  HomeFixture() { tzset(); }

  [[nodiscard]] HomeScreen::Setup Setup(int width = 240, int height = 320) {
    return {.width = width,
            .height = height,
            .registryFile = registry_.File(),
            .programFolder = QUELT_DATA_DIR,
            .wake = [this] { woken_.Set(); },
            // Thursday 14 March 2024, 09:41 UTC.
            .clock = [] { return std::chrono::system_clock::from_time_t(1710409260); }};
  }

  // A scheme file with the default format and these rows, e.g. Row(kClockClass, "Clock").
  std::filesystem::path WriteScheme(const std::string& name, const std::string& title, const std::string& rows) {
    const auto file = folder_ / name;
    test::WriteFile(file, "<home><title>" + title + "</title><default padding-left=\"4\" b-border-width=\"1\"/>" +
                              rows + "</home>");
    return file;
  }
  static std::string Row(const std::string& clsid, const std::string& name, const std::string& more = {}) {
    return "<plugin clsid=\"" + clsid + "\" name=\"" + name + "\" " + more + "/>";
  }
  void UseScheme(const std::filesystem::path& file) {
    ASSERT_TRUE(registry_.SetString("HKCU\\ControlPanel\\Home", "Scheme", file.string()));
  }
  void SetOwner(const std::string& name) {
    ASSERT_TRUE(registry_.SetString("HKCU\\ControlPanel\\Owner", "Name", name));
  }

  [[nodiscard]] static std::unique_ptr<platform::Surface> Painted(HomeScreen& home, int width = 240, int height = 320) {
    auto screen = platform::Surface::Create(width, height);
    home.Paint(*screen);
    return screen;
  }
  // A copy of the screen as it is now, to compare with later paintings of the same screen.
  [[nodiscard]] static std::unique_ptr<platform::Surface> Snapshot(const platform::Surface& screen) {
    auto copy = platform::Surface::Create(screen.Width(), screen.Height());
    copy->Draw(screen, 0, 0, {0, 0, screen.Width(), screen.Height()});
    return copy;
  }

  test::TempFolder folder_;
  test::ScopedEnv config_{"XDG_CONFIG_HOME", (folder_ / "config").string()};
  test::ScopedEnv runtime_{"XDG_RUNTIME_DIR", folder_.Path().string()};
  test::ScopedEnv zone_{"TZ", "UTC"};
  platform::Registry registry_{folder_ / "config" / "quelt" / "registry"};
  platform::Event woken_{platform::Event::Mode::AutoReset};
};

}  // namespace quelt::home
