#pragma once

#include <atomic>
#include <map>
#include <string>

#include "homeplugin/HomeInterfaces.h"

namespace quelt::test {

// A host for one plugin: a small theme and a count of the repaints asked for. Lives on the
// test's stack, so its references are not counted.
class FakeHomeSite final : public home::IHomeHost, public home::IHomeColors {
 public:
  home::Result QueryInterface(const home::Guid& iid, void** out) override {
    if (iid == home::IID_IUnknown || iid == home::IID_IHomeHost) {
      *out = static_cast<home::IHomeHost*>(this);
    } else if (iid == home::IID_IHomeColors) {
      *out = static_cast<home::IHomeColors*>(this);
    } else {
      *out = nullptr;
      return home::E_NOINTERFACE;
    }
    return home::S_OK;
  }
  uint32_t AddRef() override { return 2; }
  uint32_t Release() override { return 1; }

  home::Result Invalidate(uint32_t, uint32_t) override {
    ++invalidations;
    return home::S_OK;
  }
  home::Result GetScreenSize(uint32_t, int32_t* width, int32_t* height) override {
    *width = 240;
    *height = 320;
    return home::S_OK;
  }
  home::Result GetFont(uint32_t, const char16_t*, char16_t*, uint32_t, int32_t*) override { return home::E_FAIL; }
  home::Result GetMetric(uint32_t, const char16_t*, int32_t*) override { return home::E_FAIL; }
  home::Result GetColor(uint32_t, const char16_t* name, home::HomeColor* color) override {
    const auto found = colors.find(name);
    if (found == colors.end()) return home::E_FAIL;
    *color = found->second;
    return home::S_OK;
  }

  std::map<std::u16string, home::HomeColor> colors = {
      {u"COLOR_HOMETEXT", {20, 20, 60}},
      {u"COLOR_HOMEHIGHLIGHT", {40, 90, 200}},
      {u"COLOR_HOMEHIGHLIGHTTEXT", {255, 255, 255}},
      {u"COLOR_HOMERULE", {150, 150, 170}},
  };
  std::atomic<int> invalidations{0};
};

}  // namespace quelt::test
