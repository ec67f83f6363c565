// Skin, override, icon-set and smiley-set documents are files users exchange. Whatever the
// bytes, reading gives values within their rules: image paths stay inside the set's folder,
// every pane appears once, and a smiley match lies within the text and names a smiley.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/screen/Image.h"
#include "resources/IconSet.h"
#include "resources/SkinData.h"
#include "resources/SmileyTable.h"

namespace {

using namespace quelt::resources;

const std::filesystem::path kFolder = "/set";

void CheckInside(const ImagePtr& image) {
  if (!image) return;
  const auto relative = image->Path().lexically_relative(kFolder);
  if (relative.empty() || *relative.begin() == "..") std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  const std::span<const uint8_t> bytes(data, size);

  if (const auto skin = ParseSkin(bytes, kFolder)) {
    auto order = skin->paneOrder;
    std::sort(order.begin(), order.end());
    if (order != std::vector<Pane>{Pane::ContactList, Pane::Status, Pane::Toolbar}) std::abort();
    for (const auto& image : skin->toolbar.actions) CheckInside(image);
    for (const auto& image : skin->toolbar.digits) CheckInside(image);
    CheckInside(skin->contactList.chatImage);
    CheckInside(skin->main.backgroundImage);
    if (VisiblePanes(*skin).size() > 3) std::abort();
  }
  if (const auto values = ParseSkinOverride(bytes)) {
    (void)ApplyOverride(SkinData{}, *values);
  }
  if (const auto icons = ParseIconSet(bytes, kFolder)) {
    for (const auto& image : icons->icons) CheckInside(image);
  }
  for (bool descriptionOnly : {false, true}) {
    const auto table = SmileyTable::Parse(bytes, kFolder, descriptionOnly);
    if (!table) continue;
    if (descriptionOnly && !table->Smileys().empty()) std::abort();
    for (const Smiley& smiley : table->Smileys()) CheckInside(smiley.image);
    // The document's own bytes as a message.
    const std::u16string text(data, data + std::min<size_t>(size, 512));
    for (size_t at = 0; at <= text.size(); ++at) {
      const auto match = table->MatchAt(text, at);
      if (!match) continue;
      if (match->length == 0 || at + match->length > text.size() || match->index >= table->Smileys().size() ||
          match->length > table->LongestText()) {
        std::abort();
      }
    }
  }
  return 0;
}
