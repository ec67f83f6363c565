#include "icq/IcqListItem.h"

#include "icq/ByteReader.h"
#include "icq/ByteWriter.h"

namespace quelt::icq {
namespace {

constexpr size_t kMaxField = 0xFFFF;
constexpr size_t kHeaderSize = 3;
constexpr size_t kDateSize = 4;

// The longest prefix of a UTF-8 text that fits a 16-bit length and ends on a character boundary.
std::string_view FittingName(std::string_view name) {
  if (name.size() <= kMaxField) return name;
  size_t end = kMaxField;
  while (end > 0 && (static_cast<uint8_t>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

std::optional<IcqListItem> ReadItem(ByteReader& reader) {
  IcqListItem item;
  const auto name = reader.Bytes(reader.U16());
  item.groupId = reader.U16();
  item.itemId = reader.U16();
  item.type = reader.U16();
  const auto data = reader.Bytes(reader.U16());
  if (!reader.Ok()) return std::nullopt;
  item.name.assign(name.begin(), name.end());
  item.data = TlvChain::Read(data);
  return item;
}

}  // namespace

// Every length field must describe exactly the bytes that follow it, so an oversized name is cut
// and a TLV that would not fit is left out rather than written with a wrapped length.
void IcqListItem::Serialize(ByteWriter& out) const {
  const std::string_view fitted = FittingName(name);
  out.U16(static_cast<uint16_t>(fitted.size())).Append(fitted);
  out.U16(groupId).U16(itemId).U16(type);
  ByteWriter chain;
  for (const Tlv& tlv : data.Items()) {
    if (tlv.value.size() > kMaxField || chain.Bytes().size() + 4 + tlv.value.size() > kMaxField) continue;
    tlv.Serialize(chain);
  }
  out.U16(static_cast<uint16_t>(chain.Bytes().size())).Append(chain.Bytes());
}

std::optional<IcqListPart> ParseListPart(std::span<const uint8_t> data, bool last) {
  if (data.size() < kHeaderSize) return std::nullopt;
  IcqListPart part;
  std::span<const uint8_t> body = data;
  if (last && data.size() >= kHeaderSize + kDateSize) {
    ByteReader date(data.last(kDateSize));
    part.modificationDate = date.U32();
    body = data.first(data.size() - kDateSize);
  }
  ByteReader reader(body);
  part.version = reader.U8();
  part.announcedCount = reader.U16();
  while (reader.Remaining() > 0) {
    auto item = ReadItem(reader);
    if (!item) break;
    part.items.push_back(std::move(*item));
  }
  return part;
}

}  // namespace quelt::icq
