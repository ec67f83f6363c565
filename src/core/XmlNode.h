#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
class xml_document;
struct xml_node_struct;
struct xml_attribute_struct;
}  // namespace pugi

namespace quelt::core {

// An element or attribute of an XmlDocument, or nothing. It keeps its document alive, so it may
// outlive the XmlDocument object it came from. Not thread-safe: one document, one thread.
class XmlNode {
 public:
  XmlNode() = default;

  [[nodiscard]] bool IsNull() const;
  explicit operator bool() const { return !IsNull(); }
  [[nodiscard]] bool IsAttribute() const { return attribute_ != nullptr; }
  // The element's or attribute's name, as written (names are ASCII in every file we read).
  [[nodiscard]] std::string Name() const;

  // An element's attribute; nothing when it is absent or this is not an element.
  [[nodiscard]] std::optional<std::u16string> Attribute(std::string_view name) const;
  bool SetAttribute(std::string_view name, std::u16string_view value);

  // All text below an element, or an attribute's value.
  [[nodiscard]] std::u16string Text() const;
  // Replaces an element's content with the text, or sets an attribute's value.
  bool SetText(std::u16string_view text);

  // XPath relative to this node; a malformed expression selects nothing.
  [[nodiscard]] XmlNode SelectFirst(std::string_view xpath) const;
  [[nodiscard]] std::vector<XmlNode> SelectAll(std::string_view xpath) const;

  // Child elements in document order; the parent element.
  [[nodiscard]] std::vector<XmlNode> Children() const;
  [[nodiscard]] XmlNode Parent() const;

  // A new child element at the end, or before `before` (at the end when `before` is null or not
  // a child of this element).
  XmlNode AppendElement(std::string_view name);
  XmlNode InsertElementBefore(std::string_view name, const XmlNode& before);
  bool RemoveChild(const XmlNode& child);

  bool operator==(const XmlNode& other) const { return node_ == other.node_ && attribute_ == other.attribute_; }

 private:
  friend class XmlDocument;
  XmlNode(std::shared_ptr<pugi::xml_document> document, pugi::xml_node_struct* node,
          pugi::xml_attribute_struct* attribute)
      : document_(std::move(document)), node_(node), attribute_(attribute) {}

  std::shared_ptr<pugi::xml_document> document_;
  // pugixml's own handles; an attribute node also names its element in node_.
  pugi::xml_node_struct* node_ = nullptr;
  pugi::xml_attribute_struct* attribute_ = nullptr;
};

}  // namespace quelt::core
