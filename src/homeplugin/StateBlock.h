#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::home {

// The messenger's main window, which the plugin asks for a state block and brings forward.
inline constexpr std::string_view kMessengerPortClass = "D357587E-9665-4975-A100-617D72FDF5D3";
// The port the row's plugin listens on, and the tags the messenger sends it.
inline constexpr std::string_view kTileListenerClass = "D28FE8A3-62E6-424B-9F59-862B6D071E15";
inline constexpr uint32_t kMessengerGoneTag = 0;  // no bytes: the messenger has closed
inline constexpr uint32_t kStateRequestTag = 0;   // to the messenger, no bytes: send a block
inline constexpr uint32_t kStateBlockTag = 1;
// Longer status texts are cut to this many UTF-16 units when read.
inline constexpr size_t kTileTextLimit = 63;

struct ServiceTileState {
  bool enabled = false;
  int32_t online = 0;   // -1: not signed in, no count shown
  uint32_t unread = 0;  // contacts with unread messages
  std::u16string text;
  bool operator==(const ServiceTileState&) const = default;
};

struct MessengerTileState {
  bool running = false;
  ServiceTileState icq;
  ServiceTileState msn;
  bool operator==(const MessengerTileState&) const = default;
};

// The block the messenger sends: for each service a presence word, and when present its count,
// unread number and status text, padded to 4 bytes. A service without a value is absent.
[[nodiscard]] std::vector<uint8_t> EncodeStateBlock(const std::optional<ServiceTileState>& icq,
                                                    const std::optional<ServiceTileState>& msn);

// What a message from the messenger says. A block is read only as far as it goes: items past its
// end keep their cleared values.
[[nodiscard]] MessengerTileState ReadStateMessage(uint32_t tag, std::span<const uint8_t> block);

}  // namespace quelt::home
