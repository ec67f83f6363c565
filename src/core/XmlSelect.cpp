#include "core/XmlSelect.h"

#include <new>
#include <string>

namespace quelt::core {

std::vector<SelectedNode> SelectNodes(const pugi::xml_node& context, std::string_view xpath, bool firstOnly) {
  std::vector<SelectedNode> selected;
  try {
    const pugi::xpath_query query(std::string(xpath).c_str());
    if (!query) return selected;
    const auto add = [&selected](const pugi::xpath_node& found) {
      if (found.attribute()) {
        selected.push_back({found.parent().internal_object(), found.attribute().internal_object()});
      } else if (found.node()) {
        selected.push_back({found.node().internal_object(), nullptr});
      }
    };
    if (firstOnly) {
      if (const pugi::xpath_node found = query.evaluate_node(context)) add(found);
    } else {
      pugi::xpath_node_set found = query.evaluate_node_set(context);
      found.sort();
      for (const auto& item : found) add(item);
    }
  } catch (const pugi::xpath_exception&) {
    selected.clear();
  } catch (const std::bad_alloc&) {
    selected.clear();
  }
  return selected;
}

}  // namespace quelt::core
