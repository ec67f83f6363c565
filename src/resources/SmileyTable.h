#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "resources/SkinData.h"

namespace quelt::resources {

struct Smiley {
  std::u16string text;  // the first of its text forms
  std::u16string description;
  ImagePtr image;
};

struct SmileyMatch {
  size_t index = 0;   // into Smileys()
  size_t length = 0;  // characters of the message it stands for
};

// A smiley set's contents, fixed once read: the smileys in document order and a character trie
// over every text form.
class SmileyTable {
 public:
  // A smiley-set document; with `descriptionOnly` just its name. Nothing when the bytes are no
  // XML document with a `smilies` root.
  [[nodiscard]] static std::optional<SmileyTable> Parse(std::span<const uint8_t> bytes,
                                                        const std::filesystem::path& setFolder, bool descriptionOnly);

  [[nodiscard]] const std::u16string& Description() const { return description_; }
  [[nodiscard]] const std::vector<Smiley>& Smileys() const { return smileys_; }
  [[nodiscard]] size_t LongestText() const { return longest_; }
  // Some smiley has a picture; a set without any is never matched in messages.
  [[nodiscard]] bool HasImages() const { return hasImages_; }
  [[nodiscard]] bool HasDescriptions() const { return hasDescriptions_; }

  // The smiley whose text starts at `position`: the walk goes as far as the trie allows and takes
  // the smiley whose text ends exactly there, never backing up to a shorter one.
  [[nodiscard]] std::optional<SmileyMatch> MatchAt(std::u16string_view text, size_t position) const;

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  struct Node {
    std::vector<std::pair<char16_t, uint32_t>> children;  // few per node: a scan beats a map
    uint32_t smiley = kNone;                              // the first whose text ends here
  };
  void Insert(std::u16string_view text, uint32_t smiley);
  [[nodiscard]] uint32_t Child(uint32_t node, char16_t c) const;

  std::u16string description_;
  std::vector<Smiley> smileys_;
  std::vector<Node> nodes_{1};  // nodes_[0] is the root
  size_t longest_ = 0;
  bool hasImages_ = false;
  bool hasDescriptions_ = false;
};

}  // namespace quelt::resources
