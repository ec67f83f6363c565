#include "icq/Tlv.h"

#include "icq/ByteReader.h"
#include "icq/ByteWriter.h"
#include "platform/SecureWipe.h"
#include "platform/TextCodec.h"

namespace quelt::icq {

Tlv Tlv::FromU16(uint16_t type, uint16_t number) {
  ByteWriter value;
  value.U16(number);
  return Tlv{type, value.Take()};
}

Tlv Tlv::FromU32(uint16_t type, uint32_t number) {
  ByteWriter value;
  value.U32(number);
  return Tlv{type, value.Take()};
}

Tlv Tlv::FromBytes(uint16_t type, std::span<const uint8_t> bytes) {
  return Tlv{type, std::vector<uint8_t>(bytes.begin(), bytes.end())};
}

Tlv Tlv::FromAscii(uint16_t type, std::string_view text) {
  return Tlv{type, std::vector<uint8_t>(text.begin(), text.end())};
}

Tlv Tlv::FromText(uint16_t type, std::u16string_view text, uint32_t codePage) {
  const std::string bytes = platform::EncodeCodePage(text, codePage).bytes;
  return FromAscii(type, bytes);
}

void Tlv::Serialize(ByteWriter& out) const {
  out.U16(type);
  out.U16(static_cast<uint16_t>(value.size()));
  out.Append(value);
}

TlvChain TlvChain::Read(std::span<const uint8_t> bytes) {
  TlvChain chain;
  ByteReader reader(bytes);
  while (auto tlv = reader.ReadTlv()) chain.Add(std::move(*tlv));
  return chain;
}

const Tlv* TlvChain::Find(uint16_t type) const {
  for (const Tlv& tlv : items_) {
    if (tlv.type == type) return &tlv;
  }
  return nullptr;
}

void TlvChain::WipeValues() {
  for (Tlv& tlv : items_) platform::Wipe(tlv.value);
}

}  // namespace quelt::icq
