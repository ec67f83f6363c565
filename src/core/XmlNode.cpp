#include "core/XmlNode.h"

#include <pugixml.hpp>

#include "core/XmlSelect.h"
#include "platform/TextCodec.h"

namespace quelt::core {
namespace {

// Walks the subtree without recursion, so a hostile file's nesting depth cannot exhaust the stack.
void AppendText(const pugi::xml_node& top, std::string& out) {
  pugi::xml_node node = top.first_child();
  while (node && node != top) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) out += node.value();
    if (node.type() == pugi::node_element && node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node != top && !node.next_sibling()) node = node.parent();
    if (node != top) node = node.next_sibling();
  }
}

}  // namespace

bool XmlNode::IsNull() const { return node_ == nullptr; }

std::string XmlNode::Name() const {
  if (attribute_ != nullptr) return pugi::xml_attribute(attribute_).name();
  return node_ != nullptr ? pugi::xml_node(node_).name() : std::string();
}

std::optional<std::u16string> XmlNode::Attribute(std::string_view name) const {
  if (IsNull() || IsAttribute()) return std::nullopt;
  const pugi::xml_attribute attribute = pugi::xml_node(node_).attribute(std::string(name).c_str());
  if (!attribute) return std::nullopt;
  return platform::Utf8ToUtf16(attribute.value());
}

bool XmlNode::SetAttribute(std::string_view name, std::u16string_view value) {
  pugi::xml_node element(node_);
  if (IsAttribute() || element.type() != pugi::node_element) return false;
  const std::string key(name);
  pugi::xml_attribute attribute = element.attribute(key.c_str());
  if (!attribute) attribute = element.append_attribute(key.c_str());
  return attribute.set_value(platform::Utf16ToUtf8(value).c_str());
}

std::u16string XmlNode::Text() const {
  if (IsAttribute()) return platform::Utf8ToUtf16(pugi::xml_attribute(attribute_).value());
  if (IsNull()) return {};
  std::string text;
  AppendText(pugi::xml_node(node_), text);
  return platform::Utf8ToUtf16(text);
}

bool XmlNode::SetText(std::u16string_view text) {
  const std::string utf8 = platform::Utf16ToUtf8(text);
  if (IsAttribute()) return pugi::xml_attribute(attribute_).set_value(utf8.c_str());
  pugi::xml_node element(node_);
  if (element.type() != pugi::node_element) return false;
  while (element.first_child()) element.remove_child(element.first_child());
  return text.empty() || element.append_child(pugi::node_pcdata).set_value(utf8.c_str());
}

XmlNode XmlNode::SelectFirst(std::string_view xpath) const {
  if (IsNull() || IsAttribute()) return {};
  const auto found = SelectNodes(pugi::xml_node(node_), xpath, true);
  return found.empty() ? XmlNode() : XmlNode(document_, found[0].node, found[0].attribute);
}

std::vector<XmlNode> XmlNode::SelectAll(std::string_view xpath) const {
  std::vector<XmlNode> nodes;
  if (IsNull() || IsAttribute()) return nodes;
  for (const auto& found : SelectNodes(pugi::xml_node(node_), xpath, false)) {
    nodes.push_back(XmlNode(document_, found.node, found.attribute));
  }
  return nodes;
}

std::vector<XmlNode> XmlNode::Children() const {
  std::vector<XmlNode> children;
  if (IsNull() || IsAttribute()) return children;
  for (const pugi::xml_node child : pugi::xml_node(node_).children()) {
    if (child.type() == pugi::node_element) children.push_back(XmlNode(document_, child.internal_object(), nullptr));
  }
  return children;
}

XmlNode XmlNode::Parent() const {
  if (IsNull()) return {};
  if (IsAttribute()) return XmlNode(document_, node_, nullptr);
  const pugi::xml_node parent = pugi::xml_node(node_).parent();
  return parent.type() == pugi::node_element ? XmlNode(document_, parent.internal_object(), nullptr) : XmlNode();
}

XmlNode XmlNode::AppendElement(std::string_view name) { return InsertElementBefore(name, XmlNode()); }

XmlNode XmlNode::InsertElementBefore(std::string_view name, const XmlNode& before) {
  pugi::xml_node element(node_);
  if (IsAttribute() || (element.type() != pugi::node_element && element.type() != pugi::node_document)) return {};
  const std::string key(name);
  const pugi::xml_node reference(before.IsAttribute() ? nullptr : before.node_);
  const pugi::xml_node created = reference && reference.parent() == element
                                     ? element.insert_child_before(key.c_str(), reference)
                                     : element.append_child(key.c_str());
  return created ? XmlNode(document_, created.internal_object(), nullptr) : XmlNode();
}

bool XmlNode::RemoveChild(const XmlNode& child) {
  if (IsNull() || IsAttribute() || child.IsNull() || child.IsAttribute()) return false;
  return pugi::xml_node(node_).remove_child(pugi::xml_node(child.node_));
}

}  // namespace quelt::core
