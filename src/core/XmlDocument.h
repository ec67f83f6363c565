#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/XmlNode.h"

namespace pugi {
class xml_document;
}

namespace quelt::core {

// An XML document with the few operations the program's files need: load, select by XPath,
// read and change elements and attributes, and write back. Failures are results, never
// exceptions; a document that fails to load is left empty.
class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(XmlDocument&&) noexcept;
  XmlDocument& operator=(XmlDocument&&) noexcept;
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Bytes as stored: UTF-16 (little- or big-endian) with its byte-order mark, or UTF-8 with or
  // without one.
  bool LoadBytes(std::span<const uint8_t> bytes);
  bool LoadFile(const std::filesystem::path& path);
  bool LoadText(std::u16string_view text);

  // The document as text, without declaration or indentation (the caches store this).
  [[nodiscard]] std::u16string Text() const;
  // Text() as the caches' files hold it: UTF-16 little-endian behind the byte-order mark FF FE.
  [[nodiscard]] std::vector<uint8_t> Utf16FileBytes() const;
  // Writes the document as indented UTF-8 with a declaration, replacing the file whole.
  [[nodiscard]] bool Save(const std::filesystem::path& path) const;

  // The root element (null for an empty document); CreateRoot replaces the whole content.
  [[nodiscard]] XmlNode Root() const;
  XmlNode CreateRoot(std::string_view name);

  // XPath from the document node.
  [[nodiscard]] XmlNode SelectFirst(std::string_view xpath) const;
  [[nodiscard]] std::vector<XmlNode> SelectAll(std::string_view xpath) const;

 private:
  [[nodiscard]] XmlNode DocumentNode() const;
  std::shared_ptr<pugi::xml_document> document_;
};

}  // namespace quelt::core
