#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/screen/Geometry.h"

namespace quelt::platform {
class Font;
class Surface;
}  // namespace quelt::platform

namespace quelt::ui {

// Text rendered once and drawn from memory after: a repaint that shows the same names in the
// same colours renders nothing. The least recently used entries go when the rendered pixels pass
// the budget, so scrolling through a long list does not keep every name. Main thread.
class TextCache {
 public:
  static constexpr size_t kDefaultBudgetBytes = 1536 * 1024;  // a few screens of text

  explicit TextCache(size_t budgetBytes = kDefaultBudgetBytes);
  ~TextCache();
  TextCache(const TextCache&) = delete;
  TextCache& operator=(const TextCache&) = delete;

  // The rendered text; null for empty text or when the font cannot render it.
  [[nodiscard]] const platform::Surface* Get(const platform::Font& font, std::u16string_view text,
                                             platform::Color color);
  [[nodiscard]] size_t Size() const { return entries_.size(); }
  [[nodiscard]] size_t Bytes() const { return bytes_; }

 private:
  struct Key {
    const platform::Font* font;
    uint32_t color;
    std::u16string text;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& key) const;
  };
  struct Entry {
    Key key;
    std::unique_ptr<platform::Surface> surface;
  };

  const size_t budgetBytes_;
  size_t bytes_ = 0;
  std::list<Entry> order_;  // most recently used first
  std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> entries_;
};

}  // namespace quelt::ui
