#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quelt::msn {

// The lines of the login conversation and of the presence change; `account` is the 8-bit
// sign-in name, URL-encoded here where the protocol wants it.
[[nodiscard]] std::string VersionLine(int id);
[[nodiscard]] std::string ClientVersionLine(int id, std::string_view account);
[[nodiscard]] std::string InitialUsrLine(int id, std::string_view account);
[[nodiscard]] std::string TicketUsrLine(int id, std::string_view ticket);
[[nodiscard]] std::string SynLine(int id, std::string_view version1, std::string_view version2);
[[nodiscard]] std::string ChangeStatusLine(int id, int32_t status);

}  // namespace quelt::msn
