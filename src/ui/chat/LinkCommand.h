#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::ui {

// Where the browser command is kept, and what it is when nothing is set there.
inline constexpr char kBrowserCommandKey[] = "HKEY_CLASSES_ROOT\\http\\Shell\\Open\\Command";
inline constexpr char kDefaultBrowserCommand[] = "xdg-open \"%1\"";

// The program and arguments that open `link` with a browser command: the program (in quotes
// when it starts with one, else up to the first space), then arguments split at spaces outside
// quotes, with "%1" in them replaced by the link. The link always stays inside its one argument,
// whatever it holds. Nothing when the command has no "%1".
[[nodiscard]] std::optional<std::vector<std::string>> LinkCommandLine(std::string_view command,
                                                                      std::u16string_view link);

}  // namespace quelt::ui
