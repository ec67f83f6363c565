// A home-screen scheme file as the messenger reads it and writes it back with its row.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "core/HomeLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::core;
  if (size == 0) return 0;
  auto scheme = ParseScheme("/schemes/QUELTMsg3.x.home.xml", {data + 1, size - 1});
  if (!scheme) return 0;
  if (scheme->ownPosition >= 0 && static_cast<size_t>(scheme->ownPosition) > scheme->otherRows.size()) std::abort();
  const auto others = scheme->otherRows;
  // The first byte places the row; whatever the file held, it comes back with the row once.
  const RowSettings row{.position = data[0] % 8, .height = "20", .autoHeight = true, .showBottomBorder = 1};
  const auto bytes = SchemeWithRow(*scheme, row, "/schemes/x.home.xml");
  if (!bytes) std::abort();
  const auto again =
      ParseScheme("/schemes/QUELTMsg4.x.home.xml", {reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()});
  if (!again || again->otherRows != others || again->previousScheme != "/schemes/x.home.xml") std::abort();
  if (again->ownPosition != std::min<int>(row.position, static_cast<int>(others.size()))) std::abort();
  return 0;
}
