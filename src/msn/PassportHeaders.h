#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelt::msn {

// Longest host, path and encoded sign-in name the Passport routine accepts.
inline constexpr size_t kPassportMaxField = 127;
// Longest response header block kept from one Passport answer.
inline constexpr size_t kPassportMaxHeaderBlock = 16384;
inline constexpr uint16_t kPassportDefaultPort = 443;

// The login address after "DALogin=" in a nexus answer: up to the first ",", "\r", "\n" or the
// end. Nothing when the marker is missing. The view points into `headers`.
[[nodiscard]] std::optional<std::string_view> FindDaLogin(std::string_view headers);

// The ticket after "from-PP='" in a login answer: up to the next "'", "\r", "\n", " " or the end.
// Nothing when the marker is missing. The view points into `headers`.
[[nodiscard]] std::optional<std::string_view> FindPassportTicket(std::string_view headers);

// The value of the first header line called `name` (any letter case) in a raw header block,
// without surrounding blanks and carriage returns. The view points into `headers`.
[[nodiscard]] std::optional<std::string_view> FindHeaderValue(std::string_view headers, std::string_view name);

struct PassportUrl {
  std::string host;      // as written, with ":port" when one was given; also the Host header
  std::string hostName;  // without the port (and without brackets around an IPv6 literal)
  uint16_t port = kPassportDefaultPort;
  std::string path;  // starts with "/"
};

// Splits "[scheme://]host[:port][/path]". Any scheme is skipped: the request always goes over
// TLS. Nothing when the host is empty or malformed, the port is not a number from 1 to 65535,
// the path holds blanks or control bytes, or host or path exceed kPassportMaxField.
[[nodiscard]] std::optional<PassportUrl> SplitPassportUrl(std::string_view url);

// Resolves a Location value against the address it came from: an absolute path keeps the
// host, anything else is taken as a full address.
[[nodiscard]] std::string ResolvePassportLocation(const PassportUrl& from, std::string_view location);

// The Authorization header value of a login request:
// "Passport1.4 OrgVerb=GET,OrgURL=<site>,sign-in=<account>,pwd=<password>,<policy>", with every
// "@" of the account written as "%40" and the rest of it unchanged, and the password
// URL-encoded. Nothing when the encoded sign-in name exceeds kPassportMaxField or the account
// or policy holds bytes that cannot go into a header line.
[[nodiscard]] std::optional<std::string> BuildPassportAuthorization(std::string_view account, std::string_view password,
                                                                    std::string_view policy);

}  // namespace quelt::msn
