#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "msn/MsnCommand.h"

namespace quelt::msn {

// The two kinds of MSN connection recognise different command sets; a command of the other set
// is read as an unknown line.
enum class MsnConnectionKind { Notification, Switchboard };

struct ParsedCommand {
  size_t next;  // the offset just after the command (and its payload)
  MsnCommandPtr command;
};

// Frames and parses at most one command starting at `offset`. Nothing when the bytes there are not
// a whole command yet: a line without its end, or a payload command whose payload is not all
// buffered. Every complete line is consumed, as an unknown command (kind 0) when it matches no
// form, so a stream can never get stuck. Reads only inside `buffer`; `codePage` converts e-mail
// addresses, GUIDs, list names, versions and group ids.
[[nodiscard]] std::optional<ParsedCommand> ParseMsnCommand(MsnConnectionKind kind, std::span<const uint8_t> buffer,
                                                           size_t offset, uint32_t codePage);

}  // namespace quelt::msn
