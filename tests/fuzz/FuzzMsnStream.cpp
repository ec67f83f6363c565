// A server's bytes are arbitrary; one target per connection kind (QUELT_MSN_SWITCHBOARD picks
// the switchboard's). Commands are parsed from the front as the connection's loop does: every
// step must advance and stay inside the input, and every parsed command must write back bytes
// that parse again as the same command.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "msn/MsnParser.h"

namespace {

#ifdef QUELT_MSN_SWITCHBOARD
constexpr auto kConnection = quelt::msn::MsnConnectionKind::Switchboard;
#else
constexpr auto kConnection = quelt::msn::MsnConnectionKind::Notification;
#endif
constexpr uint32_t kCodePage = 1252;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::msn;
  const std::span<const uint8_t> input(data, size);
  size_t offset = 0;
  while (offset < size) {
    const auto parsed = ParseMsnCommand(kConnection, input, offset, kCodePage);
    if (!parsed) break;
    if (parsed->command == nullptr || parsed->next <= offset || parsed->next > size) std::abort();
    const MsnCommand& command = *parsed->command;

    const std::vector<uint8_t> written = command.Bytes();
    const auto again = ParseMsnCommand(kConnection, written, 0, kCodePage);
    if (!again || again->next != written.size()) std::abort();
    const MsnCommand& reparsed = *again->command;
    if (reparsed.Kind() != command.Kind() || reparsed.TransactionId() != command.TransactionId() ||
        reparsed.Line() != command.Line() || reparsed.Extra() != command.Extra() ||
        !(reparsed.Fields() == command.Fields())) {
      std::abort();
    }
    offset = parsed->next;
  }
  return 0;
}
