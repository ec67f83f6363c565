#pragma once

#include <pugixml.hpp>
#include <string_view>
#include <vector>

namespace quelt::core {

struct SelectedNode {
  pugi::xml_node_struct* node = nullptr;
  pugi::xml_attribute_struct* attribute = nullptr;
};

// Evaluates an XPath expression from `context`, in document order; a malformed expression or a
// failure selects nothing. Shared by XmlDocument and XmlNode.
[[nodiscard]] std::vector<SelectedNode> SelectNodes(const pugi::xml_node& context, std::string_view xpath,
                                                    bool firstOnly);

}  // namespace quelt::core
