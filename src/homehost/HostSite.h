#pragma once

#include <atomic>
#include <memory>

#include "homehost/HomeTheme.h"
#include "homeplugin/ComPtr.h"

namespace quelt::home {

class HostMailbox;

// The host as its plugin rows see it: one counted object per host answering IHomeHost and
// IHomeColors. Plugins may keep it past the host's life, so it reaches the host only through a
// weak reference and then answers E_FAIL.
class HostSite final : public IHomeHost, public IHomeColors {
 public:
  [[nodiscard]] static ComPtr<HostSite> Create(std::weak_ptr<HostMailbox> mailbox,
                                               std::shared_ptr<const HomeTheme> theme, int width, int height);

  Result QueryInterface(const Guid& iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;

  // Any thread.
  Result Invalidate(uint32_t pluginHandle, uint32_t flags) override;
  Result GetScreenSize(uint32_t pluginHandle, int32_t* width, int32_t* height) override;

  Result GetFont(uint32_t pluginHandle, const char16_t* name, char16_t* face, uint32_t faceCapacity,
                 int32_t* pixelSize) override;
  Result GetMetric(uint32_t pluginHandle, const char16_t* name, int32_t* value) override;
  Result GetColor(uint32_t pluginHandle, const char16_t* name, HomeColor* color) override;

 private:
  HostSite(std::weak_ptr<HostMailbox> mailbox, std::shared_ptr<const HomeTheme> theme, int width, int height)
      : mailbox_(std::move(mailbox)), theme_(std::move(theme)), width_(width), height_(height) {}
  ~HostSite() = default;

  std::atomic<uint32_t> references_{1};
  const std::weak_ptr<HostMailbox> mailbox_;
  const std::shared_ptr<const HomeTheme> theme_;
  const int width_;
  const int height_;
};

}  // namespace quelt::home
