#include "resources/SmileyTable.h"

#include "core/XmlDocument.h"
#include "platform/screen/Image.h"

namespace quelt::resources {

std::optional<SmileyTable> SmileyTable::Parse(std::span<const uint8_t> bytes, const std::filesystem::path& setFolder,
                                              bool descriptionOnly) {
  core::XmlDocument document;
  if (!document.LoadBytes(bytes)) return std::nullopt;
  const core::XmlNode root = document.Root();
  if (!root || root.Name() != "smilies") return std::nullopt;
  SmileyTable table;
  if (const core::XmlNode desc = root.SelectFirst("desc")) table.description_ = desc.Text();
  if (descriptionOnly) return table;

  for (const core::XmlNode& smile : root.SelectAll("smile")) {
    const std::vector<core::XmlNode> texts = smile.SelectAll("text");
    if (texts.empty()) continue;
    const std::u16string file = smile.Attribute("file").value_or(u"");
    Smiley smiley{.text = texts.front().Text(), .description = smile.Attribute("desc").value_or(u"")};
    if (!file.empty()) {
      table.hasImages_ = true;
      if (const auto path = SetImagePath(setFolder, file)) {
        smiley.image = std::make_shared<platform::Image>(*path, platform::Image::Mode::TransparentKey);
      }
    }
    table.hasDescriptions_ = table.hasDescriptions_ || !smiley.description.empty();
    const auto index = static_cast<uint32_t>(table.smileys_.size());
    table.smileys_.push_back(std::move(smiley));
    for (const core::XmlNode& text : texts) table.Insert(text.Text(), index);
  }
  return table;
}

uint32_t SmileyTable::Child(uint32_t node, char16_t c) const {
  for (const auto& [key, child] : nodes_[node].children) {
    if (key == c) return child;
  }
  return kNone;
}

void SmileyTable::Insert(std::u16string_view text, uint32_t smiley) {
  uint32_t node = 0;
  for (char16_t c : text) {
    uint32_t child = Child(node, c);
    if (child == kNone) {
      child = static_cast<uint32_t>(nodes_.size());
      nodes_[node].children.emplace_back(c, child);
      nodes_.emplace_back();
    }
    node = child;
  }
  if (nodes_[node].smiley == kNone) nodes_[node].smiley = smiley;
  longest_ = std::max(longest_, text.size());
}

std::optional<SmileyMatch> SmileyTable::MatchAt(std::u16string_view text, size_t position) const {
  uint32_t node = 0;
  size_t length = 0;
  for (size_t at = position; at < text.size(); ++at) {
    const uint32_t child = Child(node, text[at]);
    if (child == kNone) break;
    node = child;
    ++length;
  }
  if (length == 0 || nodes_[node].smiley == kNone) return std::nullopt;
  return SmileyMatch{nodes_[node].smiley, length};
}

}  // namespace quelt::resources
