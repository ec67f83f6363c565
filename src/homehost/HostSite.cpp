#include "homehost/HostSite.h"

#include <new>
#include <string>

#include "homehost/HostMailbox.h"

namespace quelt::home {
namespace {

// Theme names are ASCII; anything else cannot name an entry.
std::string AsciiName(const char16_t* name) {
  std::string ascii;
  for (const char16_t* c = name; *c != 0; ++c) {
    if (*c > 0x7F || ascii.size() > 64) return {};
    ascii.push_back(static_cast<char>(*c));
  }
  return ascii;
}

}  // namespace

ComPtr<HostSite> HostSite::Create(std::weak_ptr<HostMailbox> mailbox, std::shared_ptr<const HomeTheme> theme, int width,
                                  int height) {
  return ComPtr<HostSite>::Adopt(new (std::nothrow) HostSite(std::move(mailbox), std::move(theme), width, height));
}

Result HostSite::QueryInterface(const Guid& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IHomeHost) {
    *out = static_cast<IHomeHost*>(this);
  } else if (iid == IID_IHomeColors) {
    *out = static_cast<IHomeColors*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

uint32_t HostSite::AddRef() { return ++references_; }

uint32_t HostSite::Release() {
  const uint32_t left = --references_;
  if (left == 0) delete this;
  return left;
}

Result HostSite::Invalidate(uint32_t pluginHandle, uint32_t /*flags*/) {
  const auto mailbox = mailbox_.lock();
  return mailbox && mailbox->Invalidate(pluginHandle) ? S_OK : E_FAIL;
}

Result HostSite::GetScreenSize(uint32_t /*pluginHandle*/, int32_t* width, int32_t* height) {
  if (width == nullptr || height == nullptr) return E_POINTER;
  *width = width_;
  *height = height_;
  return S_OK;
}

Result HostSite::GetFont(uint32_t /*pluginHandle*/, const char16_t* name, char16_t* face, uint32_t faceCapacity,
                         int32_t* pixelSize) {
  if (name == nullptr || face == nullptr || pixelSize == nullptr) return E_POINTER;
  const auto font = theme_->Font(AsciiName(name));
  // A face cut short would name another font, so too small a buffer is a failure.
  if (!font || font->face.size() >= faceCapacity) return E_FAIL;
  for (size_t i = 0; i < font->face.size(); ++i) face[i] = static_cast<char16_t>(font->face[i]);
  face[font->face.size()] = 0;
  *pixelSize = font->pixelSize;
  return S_OK;
}

Result HostSite::GetMetric(uint32_t /*pluginHandle*/, const char16_t* name, int32_t* value) {
  if (name == nullptr || value == nullptr) return E_POINTER;
  const auto metric = theme_->Metric(AsciiName(name));
  if (!metric) return E_FAIL;
  *value = *metric;
  return S_OK;
}

Result HostSite::GetColor(uint32_t /*pluginHandle*/, const char16_t* name, HomeColor* color) {
  if (name == nullptr || color == nullptr) return E_POINTER;
  const auto found = theme_->Color(AsciiName(name));
  if (!found) return E_FAIL;
  *color = HomeColor{found->r, found->g, found->b};
  return S_OK;
}

}  // namespace quelt::home
