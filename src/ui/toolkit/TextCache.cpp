#include "ui/toolkit/TextCache.h"

#include <functional>

#include "platform/screen/Font.h"
#include "platform/screen/Surface.h"

namespace quelt::ui {

namespace {

size_t BytesOf(const platform::Surface& surface) {
  return static_cast<size_t>(surface.Width()) * static_cast<size_t>(surface.Height()) * 4;
}

}  // namespace

TextCache::TextCache(size_t budgetBytes) : budgetBytes_(budgetBytes) {}
TextCache::~TextCache() = default;

size_t TextCache::KeyHash::operator()(const Key& key) const {
  const size_t text = std::hash<std::u16string>{}(key.text);
  const size_t font = std::hash<const void*>{}(key.font);
  return text ^ (font * 31) ^ (size_t{key.color} * 1000003);
}

const platform::Surface* TextCache::Get(const platform::Font& font, std::u16string_view text, platform::Color color) {
  if (text.empty()) return nullptr;
  Key key{&font, color.Rgb(), std::u16string(text)};
  if (const auto found = entries_.find(key); found != entries_.end()) {
    order_.splice(order_.begin(), order_, found->second);
    return found->second->surface.get();
  }
  auto surface = font.Render(text, color);
  if (!surface) return nullptr;
  bytes_ += BytesOf(*surface);
  order_.push_front(Entry{key, std::move(surface)});
  entries_.emplace(std::move(key), order_.begin());
  // The newest entry stays, even alone over the budget: it is about to be drawn.
  while (bytes_ > budgetBytes_ && entries_.size() > 1) {
    bytes_ -= BytesOf(*order_.back().surface);
    entries_.erase(order_.back().key);
    order_.pop_back();
  }
  return order_.front().surface.get();
}

}  // namespace quelt::ui
