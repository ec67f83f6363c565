#include "msn/MsnCommand.h"

#include <string_view>

namespace quelt::msn {
namespace {

// The transaction id of a line the engine built: its second token when that is a number ("PNG"
// has none).
int TransactionIdOfLine(std::string_view line) {
  const size_t space = line.find(' ');
  if (space == std::string_view::npos) return -1;
  const std::string_view rest = line.substr(space + 1);
  const std::string_view token = rest.substr(0, rest.find(' '));
  if (token.empty() || token.size() > 9) return -1;
  int value = 0;
  for (const char c : token) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

void Append(std::vector<uint8_t>& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

}  // namespace

MsnCommand::MsnCommand(MsnCommandKind kind, int transactionId, std::string line, MsnCommandFields fields,
                       std::vector<uint8_t> payload)
    : kind_(kind),
      transactionId_(transactionId),
      line_(std::move(line)),
      extra_(std::move(payload)),
      fields_(std::move(fields)) {}

std::shared_ptr<const MsnCommand> MsnCommand::Outgoing(std::string line, std::map<std::string, std::string> headers,
                                                       std::vector<uint8_t> body) {
  const int transactionId = TransactionIdOfLine(line);
  auto command =
      std::make_shared<MsnCommand>(MsnCommandKind::Unknown, transactionId, std::move(line), MsnCommandFields{});
  command->headers_ = std::move(headers);
  command->body_ = std::move(body);
  return command;
}

std::shared_ptr<const MsnCommand> MsnCommand::OutgoingWithExtra(std::string line, std::vector<uint8_t> extra) {
  const int transactionId = TransactionIdOfLine(line);
  return std::make_shared<MsnCommand>(MsnCommandKind::Unknown, transactionId, std::move(line), MsnCommandFields{},
                                      std::move(extra));
}

void MsnCommand::Serialize(uint16_t /*sequence*/, std::vector<uint8_t>& out) const {
  if (headers_.empty() && body_.empty()) {
    out.reserve(out.size() + line_.size() + 2 + extra_.size());
    Append(out, line_);
    Append(out, "\r\n");
    out.insert(out.end(), extra_.begin(), extra_.end());
    return;
  }
  size_t payloadLength = 2 + body_.size();
  for (const auto& [name, value] : headers_) payloadLength += name.size() + 2 + value.size() + 2;
  const std::string length = std::to_string(payloadLength);
  out.reserve(out.size() + line_.size() + 1 + length.size() + 2 + payloadLength);
  Append(out, line_);
  Append(out, " ");
  Append(out, length);
  Append(out, "\r\n");
  for (const auto& [name, value] : headers_) {
    Append(out, name);
    Append(out, ": ");
    Append(out, value);
    Append(out, "\r\n");
  }
  Append(out, "\r\n");
  out.insert(out.end(), body_.begin(), body_.end());
}

std::vector<uint8_t> MsnCommand::Bytes() const {
  std::vector<uint8_t> out;
  Serialize(0, out);
  return out;
}

}  // namespace quelt::msn
