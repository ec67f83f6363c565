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
// same colours renders nothing. The least recently used entries go when it is full. Main thread.
class TextCache {
 public:
  explicit TextCache(size_t capacity = 1024);
  ~TextCache();
  TextCache(const TextCache&) = delete;
  TextCache& operator=(const TextCache&) = delete;

  // The rendered text; null for empty text or when the font cannot render it.
  [[nodiscard]] const platform::Surface* Get(const platform::Font& font, std::u16string_view text,
                                             platform::Color color);
  [[nodiscard]] size_t Size() const { return entries_.size(); }

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

  const size_t capacity_;
  std::list<Entry> order_;  // most recently used first
  std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> entries_;
};

}  // namespace quelt::ui
