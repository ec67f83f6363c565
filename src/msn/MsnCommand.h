#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "msn/MsnCommandFields.h"
#include "net/Packet.h"

namespace quelt::msn {

enum class MsnCommandKind : int {
  Unknown = 0,  // also every command the engine builds
  Ver = 1,
  Cvr = 2,
  UsrTwnS = 3,  // the Passport challenge
  UsrOkNs = 4,
  UsrOkSb = 5,
  XfrNs = 6,  // redirect
  XfrSb = 7,  // switchboard granted
  Syn = 8,
  Msg = 9,
  Gtc = 10,
  Blp = 11,
  Prp = 12,
  Lsg = 13,
  Lst = 14,
  Chl = 15,
  Qry = 16,
  Iln = 17,
  Ipg = 18,
  Not = 19,
  Rng = 20,
  Iro = 21,
  Ans = 22,
  Bye = 23,
  Joi = 24,
  Fln = 25,
  Nln = 26,
  Adc = 27,
  Rem = 28,
  Ack = 29,
  Nak = 30,
  Chg = 31,
  Error = 32,  // a numeric server error
  Out = 33,
};

// One MSN command, incoming (parsed) or outgoing (built by the engine). Immutable once made and
// shared by the send queue and the events that carry it.
class MsnCommand final : public net::Packet {
 public:
  // An outgoing command: the line without its end, and optionally MIME headers and a body,
  // which make it a payload command ("MSG 5 U" goes out as "MSG 5 U <length>").
  static std::shared_ptr<const MsnCommand> Outgoing(std::string line, std::map<std::string, std::string> headers = {},
                                                    std::vector<uint8_t> body = {});
  // An outgoing command with bytes after its line end (QRY's answer).
  static std::shared_ptr<const MsnCommand> OutgoingWithExtra(std::string line, std::vector<uint8_t> extra);
  // An incoming command as a parser found it.
  MsnCommand(MsnCommandKind kind, int transactionId, std::string line, MsnCommandFields fields,
             std::vector<uint8_t> payload = {});

  [[nodiscard]] MsnCommandKind Kind() const { return kind_; }
  [[nodiscard]] int TransactionId() const { return transactionId_; }  // -1: the line has none
  [[nodiscard]] const std::string& Line() const { return line_; }
  // The bytes after the line end: the payload of an incoming MSG, NOT or IPG; QRY's answer.
  [[nodiscard]] const std::vector<uint8_t>& Extra() const { return extra_; }
  [[nodiscard]] const MsnCommandFields& Fields() const { return fields_; }
  // The fields of this kind, or null.
  template <class T>
  [[nodiscard]] const T* As() const {
    return std::get_if<T>(&fields_);
  }

  // net::Packet: the bytes to send.
  void Serialize(uint16_t sequence, std::vector<uint8_t>& out) const override;
  [[nodiscard]] std::vector<uint8_t> Bytes() const;

 private:
  MsnCommandKind kind_ = MsnCommandKind::Unknown;
  int transactionId_ = -1;
  std::string line_;
  std::map<std::string, std::string> headers_;
  std::vector<uint8_t> body_;
  std::vector<uint8_t> extra_;
  MsnCommandFields fields_;
};

using MsnCommandPtr = std::shared_ptr<const MsnCommand>;

}  // namespace quelt::msn
