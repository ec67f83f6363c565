// Reads arbitrary bytes as a language file. A failed load must leave the table as it was; after a
// successful one every key must be readable.
#include <cstdint>
#include <cstdlib>

#include "resources/LanguageKeys.h"
#include "resources/LanguageTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::resources;
  LanguageTable table;
  if (!table.LoadFromBytes({data, size})) {
    if (!table.Name().empty() || !table.Text("offline").empty()) std::abort();
    return 0;
  }
  size_t characters = table.Id().size() + table.Name().size();
  for (const std::string_view key : kLanguageKeys) characters += table.Text(key).size();
  if (characters > size * 2) std::abort();  // UTF-16 never takes more code units than UTF-8 bytes
  return 0;
}
