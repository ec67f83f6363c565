#include "ui/shell/ScreenSize.h"

#include <charconv>
#include <cstdlib>

namespace quelt::ui {

ScreenSize ScreenSizeForWidth(int configuredWidth) {
  if (configuredWidth <= 200) return {176, 220};
  return {240, 320};
}

std::optional<int> ParseConfiguredWidth(std::string_view text) {
  int width = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), width);
  if (error != std::errc() || width <= 0) return std::nullopt;
  const std::string_view rest(end, static_cast<size_t>(text.data() + text.size() - end));
  if (!rest.empty() && rest.front() != 'x' && rest.front() != 'X') return std::nullopt;
  return width;
}

ScreenSize ScreenSizeFromEnvironment() {
  const char* configured = std::getenv("QUELT_SCREEN");
  if (configured == nullptr) return {};
  const auto width = ParseConfiguredWidth(configured);
  return width ? ScreenSizeForWidth(*width) : ScreenSize{};
}

}  // namespace quelt::ui
