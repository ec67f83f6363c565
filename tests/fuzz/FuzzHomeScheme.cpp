// A home-screen scheme file as the messenger reads it before putting its row in.
#include <cstdint>
#include <cstdlib>

#include "core/HomeLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::core;
  auto scheme = ParseScheme("/schemes/QUELTMsg3.x.home.xml", {data, size});
  if (!scheme) return 0;
  if (scheme->ownPosition >= 0 && static_cast<size_t>(scheme->ownPosition) > scheme->otherRows.size()) std::abort();
  if (NewSchemeFileName(*scheme) != "QUELTMsg4.x.home.xml") std::abort();
  return 0;
}
