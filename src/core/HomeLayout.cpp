#include "core/HomeLayout.h"

#include <cctype>
#include <sstream>

#include "homeplugin/HomeInterfaces.h"
#include "homeplugin/SchemeSetting.h"
#include "platform/CaseMapping.h"
#include "platform/Files.h"
#include "platform/Registry.h"

namespace quelt::core {
namespace {

constexpr std::string_view kOwnPrefix = "QUELTMSG";
constexpr std::string_view kTitlePrefix = "Quelt Msg - ";
// Comments, declarations and the whitespace inside the root survive a rewrite.
constexpr unsigned kKeepEverything = pugi::parse_full | pugi::parse_ws_pcdata;
// What the home screen itself would read.
constexpr uint64_t kMaxSchemeBytes = 1u << 20;

std::string OwnClass() { return home::GuidText(home::CLSID_StatusTile); }

// The document the configuration service takes, with `parm` as its innermost element.
std::string HomeDocument(std::string_view parmElement, std::string_view value) {
  pugi::xml_document document;
  auto home = document.append_child("wap-provisioningdoc").append_child("characteristic");
  home.append_attribute("type") = "Home";
  auto key = home.append_child("characteristic");
  key.append_attribute("type") = std::string(home::kHomeSettingsKey).c_str();
  auto parm = key.append_child(std::string(parmElement).c_str());
  parm.append_attribute("name") = std::string(home::kSchemeValueName).c_str();
  if (parmElement == "parm") parm.append_attribute("value") = std::string(value).c_str();
  std::ostringstream text;
  document.save(text, "", pugi::format_raw | pugi::format_no_declaration);
  return text.str();
}

// Compared as the home screen compares class identifiers: without regard to case.
bool IsOwnRow(pugi::xml_node row) { return home::ParseGuid(row.attribute("clsid").value()) == home::CLSID_StatusTile; }

pugi::xml_node OwnRow(const pugi::xml_document& document) {
  for (auto row : document.child("home").children("plugin")) {
    if (IsOwnRow(row)) return row;
  }
  return {};
}

std::optional<std::string> SchemeSetting(platform::Registry& registry) {
  const auto reply = ProcessProvisioning(registry, HomeDocument("parm-query", {}));
  if (!reply) return std::nullopt;
  pugi::xml_document answer;
  if (!answer.load_string(reply->c_str())) return std::nullopt;
  return answer
      .select_node("/wap-provisioningdoc/characteristic[@type=\"Home\"]/characteristic/parm[@name=\"Scheme\"]/@value")
      .attribute()
      .value();
}

}  // namespace

std::optional<std::string> ProcessProvisioning(platform::Registry& registry, std::string_view document) {
  pugi::xml_document request;
  if (!request.load_buffer(document.data(), document.size())) return std::nullopt;
  const auto root = request.child("wap-provisioningdoc");
  if (!root) return std::nullopt;
  for (auto home : root.children("characteristic")) {
    if (std::string_view(home.attribute("type").value()) != "Home") return std::nullopt;
    for (auto key : home.children("characteristic")) {
      const std::string path = key.attribute("type").value();
      if (path.empty()) return std::nullopt;
      for (auto parm : key.children()) {
        const std::string_view element = parm.name();
        const std::string name = parm.attribute("name").value();
        if (element == "parm") {
          if (!registry.SetString(path, name, parm.attribute("value").value())) return std::nullopt;
        } else if (element == "parm-query") {
          // The answer takes the query's place, as the service gives it back.
          parm.set_name("parm");
          parm.append_attribute("value") = registry.GetString(path, name).value_or("").c_str();
        }
      }
    }
  }
  std::ostringstream reply;
  request.save(reply, "", pugi::format_raw | pugi::format_no_declaration);
  return reply.str();
}

std::optional<CurrentScheme> ReadCurrentScheme(platform::Registry& registry,
                                               const std::filesystem::path& shippedFolder) {
  const auto setting = SchemeSetting(registry);
  if (!setting) return std::nullopt;
  const auto path = home::SchemeFileFor(*setting, shippedFolder);
  if (path.empty()) return std::nullopt;
  return ReadSchemeFile(path);
}

std::optional<CurrentScheme> ReadSchemeFile(const std::filesystem::path& path) {
  const auto bytes = platform::ReadWholeFile(path, kMaxSchemeBytes);
  if (!bytes) return std::nullopt;
  return ParseScheme(path, *bytes);
}

bool SchemeInUse(platform::Registry& registry, const std::filesystem::path& file,
                 const std::filesystem::path& shippedFolder) {
  const auto setting = SchemeSetting(registry);
  if (!setting) return false;
  const auto shown = home::SchemeFileFor(*setting, shippedFolder);
  std::error_code error;
  return shown == file || std::filesystem::equivalent(shown, file, error);
}

std::optional<CurrentScheme> ParseScheme(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  CurrentScheme scheme;
  scheme.path = path;
  scheme.document = std::make_unique<pugi::xml_document>();
  const auto parsed = scheme.document->load_buffer(bytes.data(), bytes.size(), kKeepEverything);
  if (!parsed || !scheme.document->child("home")) return std::nullopt;
  scheme.converted = parsed.encoding != pugi::encoding_utf8;
  const std::string value = path.string();
  const size_t slash = value.find_last_of("\\/");
  scheme.fileName = slash == std::string::npos ? value : value.substr(slash + 1);
  scheme.own = platform::AsciiUpper(scheme.fileName).starts_with(kOwnPrefix);
  if (scheme.own) {
    // As far as digits go, short of overflowing.
    scheme.ownNumber = 0;
    for (size_t i = kOwnPrefix.size();
         i < scheme.fileName.size() && std::isdigit(static_cast<unsigned char>(scheme.fileName[i])) &&
         scheme.ownNumber < 100'000'000;
         ++i) {
      scheme.ownNumber = scheme.ownNumber * 10 + (scheme.fileName[i] - '0');
    }
  }
  int index = 0;
  pugi::xml_node own;
  for (auto row : scheme.document->child("home").children("plugin")) {
    if (!IsOwnRow(row)) {
      scheme.otherRows.emplace_back(row.attribute("name").value());
    } else if (!own) {
      // A hand-edited scheme may hold the row twice; the first is the one read and replaced.
      own = row;
      scheme.ownPosition = index;
    }
    ++index;
  }
  if (own) {
    scheme.autoHeight = platform::AsciiUpper(own.attribute("autoheight").value()) == "TRUE";
    if (const auto height = own.attribute("height")) scheme.height = height.value();
    scheme.showBottomBorder = own.attribute("show-b-border").as_int(0);
    scheme.previousScheme = own.child("oldschema").text().get();
  }
  return scheme;
}

std::string NewSchemeFileName(const CurrentScheme& scheme) {
  std::string name(kOwnRowName);
  const int number = scheme.ownNumber + 1;
  if (number > 0) name += std::to_string(number);
  if (scheme.own) {
    const size_t dot = scheme.fileName.find('.');
    if (dot != std::string::npos) name += scheme.fileName.substr(dot);
  } else {
    name += "." + scheme.fileName;
  }
  return name;
}

std::optional<std::string> SchemeWithRow(CurrentScheme& scheme, const RowSettings& row,
                                         const std::string& previousScheme) {
  if (!scheme.document) return std::nullopt;
  auto home = scheme.document->child("home");
  if (!home) return std::nullopt;
  for (auto title : home.children("title")) {
    const std::string text = title.text().get();
    if (!text.starts_with(kTitlePrefix.substr(0, 9))) title.text().set((std::string(kTitlePrefix) + text).c_str());
  }
  while (const auto own = OwnRow(*scheme.document)) own.parent().remove_child(own);

  std::vector<pugi::xml_node> rows;
  for (auto plugin : home.children("plugin")) rows.push_back(plugin);
  const bool last = row.position < 0 || static_cast<size_t>(row.position) >= rows.size();
  auto element = last ? home.append_child("plugin") : home.insert_child_before("plugin", rows[row.position]);
  element.append_attribute("clsid") = OwnClass().c_str();
  element.append_attribute("name") = std::string(kOwnRowName).c_str();
  element.append_attribute("height") = row.height.c_str();
  element.append_attribute("autoheight") = row.autoHeight ? "True" : "False";
  if (row.showBottomBorder != 0) element.append_attribute("show-b-border") = row.showBottomBorder;
  if (!previousScheme.empty()) element.append_child("oldschema").text().set(previousScheme.c_str());

  // Text read from UTF-16 is written in UTF-8, and its declaration must then say so; bytes
  // pugixml passed through untouched keep the encoding they declare.
  if (auto declaration = scheme.document->first_child();
      scheme.converted && declaration.type() == pugi::node_declaration) {
    if (auto encoding = declaration.attribute("encoding")) encoding.set_value("utf-8");
  }
  std::ostringstream text;
  scheme.document->save(text, "", pugi::format_raw | pugi::format_no_declaration);
  return text.str();
}

std::optional<std::filesystem::path> MakeSchemeFile(CurrentScheme& scheme, const RowSettings& row,
                                                    const std::string& previousScheme,
                                                    const std::filesystem::path& appData, std::string& error) {
  const auto bytes = SchemeWithRow(scheme, row, previousScheme);
  const auto file = appData / "Home" / NewSchemeFileName(scheme);
  std::error_code ignored;
  std::filesystem::create_directories(file.parent_path(), ignored);
  if (!bytes ||
      !platform::WriteFileAtomically(file, {reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()})) {
    error = kSchemeSaveFailed;
    return std::nullopt;
  }
  return file;
}

bool SwitchScheme(platform::Registry& registry, const std::filesystem::path& scheme, std::string& error) {
  if (ProcessProvisioning(registry, HomeDocument("parm", scheme.string()))) return true;
  error = kSchemeSwitchFailed;
  return false;
}

}  // namespace quelt::core
