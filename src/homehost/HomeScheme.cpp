#include "homehost/HomeScheme.h"

#include "homeplugin/SchemeSetting.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Registry.h"

namespace quelt::home {
namespace {

constexpr uint64_t kMaxSchemeBytes = 1u << 20;

}  // namespace

std::unique_ptr<HomeScheme> HomeScheme::Load(const std::filesystem::path& file) {
  auto bytes = platform::ReadWholeFile(file, kMaxSchemeBytes);
  if (!bytes) return nullptr;
  std::unique_ptr<HomeScheme> scheme(new HomeScheme());
  const auto parsed = scheme->document_.load_buffer(bytes->data(), bytes->size());
  if (!parsed || !scheme->document_.child("home")) {
    platform::Log("home: %s is not a scheme (%s)", file.c_str(), parsed.description());
    return nullptr;
  }
  scheme->file_ = file;
  scheme->bytes_ = std::move(*bytes);
  return scheme;
}

std::string HomeScheme::Title() const {
  for (const pugi::xml_node title : document_.child("home").children("title")) {
    const std::string text = title.text().as_string();
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first != std::string::npos) return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
  }
  return {};
}

std::vector<pugi::xml_node> HomeScheme::Rows() const {
  std::vector<pugi::xml_node> rows;
  for (const pugi::xml_node row : document_.child("home").children("plugin")) rows.push_back(row);
  return rows;
}

std::filesystem::path DefaultSchemeFile(const std::filesystem::path& programFolder) {
  return SchemeFileFor({}, ShippedSchemeFolder(programFolder));
}

SchemeChoice ChooseScheme(const std::filesystem::path& registryFile, const std::filesystem::path& programFolder) {
  SchemeChoice choice;
  const auto setting = platform::Registry(registryFile).GetString(kHomeSettingsKey, kSchemeValueName);
  if (setting && !setting->empty()) {
    choice.wanted = SchemeFileFor(*setting, ShippedSchemeFolder(programFolder));
    choice.scheme = HomeScheme::Load(choice.wanted);
  }
  if (!choice.scheme) choice.scheme = HomeScheme::Load(DefaultSchemeFile(programFolder));
  return choice;
}

}  // namespace quelt::home
