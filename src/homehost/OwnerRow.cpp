#include "homehost/OwnerRow.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "platform/screen/Font.h"

namespace quelt::home {

OwnerRow::OwnerRow(const RowFormat& format, pugi::xml_node element, std::function<std::string()> ownerName)
    : DrawnRow(format, element), ownerName_(std::move(ownerName)), name_(platform::Utf8ToUtf16(ownerName_())) {}

int OwnerRow::Height() {
  if (name_.empty()) return 0;
  const auto* font = FontOfSize(format_.font.pixelSize, format_.font.bold, font_);
  return HeightOr(font ? font->Height() + 2 * format_.paddingTop + format_.ruleWidth : 0);
}

void OwnerRow::OnDataChanged() { name_ = platform::Utf8ToUtf16(ownerName_()); }

void OwnerRow::Paint(platform::Surface& screen, const platform::Rect& area, bool selected) {
  const platform::Color color = PaintFrame(screen, area, selected);
  const platform::Rect text = TextArea(area);
  if (const auto* font = FontOfSize(format_.font.pixelSize, format_.font.bold, font_)) {
    font->Draw(screen, text.x, text.y, name_, color, text);
  }
}

std::string OwnerName(const std::filesystem::path& registryFile) {
  if (auto name = platform::Registry(registryFile).GetString("HKCU\\ControlPanel\\Owner", "Name")) {
    if (!name->empty()) return *name;
  }
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_gecos != nullptr) {
    // The real name is the first of the comma-separated fields.
    std::string gecos = found->pw_gecos;
    gecos = gecos.substr(0, gecos.find(','));
    if (!gecos.empty()) return gecos;
  }
  const char* user = std::getenv("USER");
  return user != nullptr ? user : "";
}

}  // namespace quelt::home
