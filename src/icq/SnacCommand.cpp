#include "icq/SnacCommand.h"

#include "icq/ByteWriter.h"
#include "platform/SecureWipe.h"

namespace quelt::icq {

SnacCommand::SnacCommand(SnacHeader header, SnacKind kind, std::vector<uint8_t> data)
    : header_(header), kind_(kind), data_(std::move(data)) {}

SnacCommand::~SnacCommand() { platform::Wipe(data_); }

void SnacCommand::Serialize(ByteWriter& out) const {
  out.U16(header_.family);
  out.U16(header_.subtype);
  // No extra header is ever written, so its flag must not claim one.
  out.U16(static_cast<uint16_t>(header_.flags & ~kSnacFlagExtraHeader));
  out.U32(header_.requestId);
  out.Append(data_);
}

}  // namespace quelt::icq
