#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace quelt::home {

// A scheme file: the title, the format defaults and the rows, in document order. The document
// stays alive with the object, since rows are handed its elements.
class HomeScheme {
 public:
  // Nothing when the file cannot be read or is not a `home` document.
  [[nodiscard]] static std::unique_ptr<HomeScheme> Load(const std::filesystem::path& file);

  [[nodiscard]] const std::filesystem::path& File() const { return file_; }
  [[nodiscard]] const std::vector<uint8_t>& Bytes() const { return bytes_; }
  [[nodiscard]] std::string Title() const;
  [[nodiscard]] pugi::xml_node Defaults() const { return document_.child("home").child("default"); }
  [[nodiscard]] std::vector<pugi::xml_node> Rows() const;

 private:
  HomeScheme() = default;

  std::filesystem::path file_;
  std::vector<uint8_t> bytes_;
  pugi::xml_document document_;
};

// Where the scheme setting points and which file is shown. A relative setting is taken from the
// shipped schemes' folder.
struct SchemeChoice {
  std::filesystem::path wanted;        // empty when the setting is unset or empty
  std::unique_ptr<HomeScheme> scheme;  // the wanted one, else the shipped default; null if neither loads
};

[[nodiscard]] std::filesystem::path DefaultSchemeFile(const std::filesystem::path& programFolder);
[[nodiscard]] SchemeChoice ChooseScheme(const std::filesystem::path& registryFile,
                                        const std::filesystem::path& programFolder);

}  // namespace quelt::home
