#include "msn/PassportHeaders.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "msn/UrlCoding.h"

namespace quelt::msn {
namespace {

constexpr std::string_view kDaLoginMarker = "DALogin=";
constexpr std::string_view kTicketMarker = "from-PP='";
// The messenger web site, percent-encoded as the login server expects it inside OrgURL.
constexpr std::string_view kOrgUrl = "http%3A%2F%2Fmessenger%2Emsn%2Ecom";

bool IsAsciiAlnum(unsigned char byte) {
  return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool IsControlOrBlank(unsigned char byte) { return byte <= 0x20 || byte == 0x7f; }

bool HoldsControlBytes(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
  });
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsHostNameByte(char c) { return IsAsciiAlnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_'; }

std::optional<uint16_t> ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) return std::nullopt;
  return static_cast<uint16_t>(value);
}

}  // namespace

std::optional<std::string_view> FindDaLogin(std::string_view headers) {
  const size_t marker = headers.find(kDaLoginMarker);
  if (marker == std::string_view::npos) return std::nullopt;
  const std::string_view rest = headers.substr(marker + kDaLoginMarker.size());
  return rest.substr(0, rest.find_first_of(",\r\n"));
}

std::optional<std::string_view> FindPassportTicket(std::string_view headers) {
  const size_t marker = headers.find(kTicketMarker);
  if (marker == std::string_view::npos) return std::nullopt;
  const std::string_view rest = headers.substr(marker + kTicketMarker.size());
  // A line end or a blank ends it too, so a broken answer cannot put lines into the USR command.
  return rest.substr(0, rest.find_first_of("'\r\n "));
}

std::optional<std::string_view> FindHeaderValue(std::string_view headers, std::string_view name) {
  while (!headers.empty()) {
    const size_t end = headers.find('\n');
    const std::string_view line = headers.substr(0, end);
    headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 1);
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos && EqualsIgnoringCase(line.substr(0, colon), name)) {
      return TrimBlanks(line.substr(colon + 1));
    }
  }
  return std::nullopt;
}

std::optional<PassportUrl> SplitPassportUrl(std::string_view url) {
  // A "://" further on belongs to the path (a return address in the query, say), not to a scheme.
  if (const size_t scheme = url.find("://"); scheme != std::string_view::npos && url.find('/') == scheme + 1) {
    url.remove_prefix(scheme + 3);
  }
  const size_t slash = url.find('/');
  const std::string_view host = url.substr(0, slash);
  const std::string_view path = slash == std::string_view::npos ? std::string_view("/") : url.substr(slash);
  if (host.empty() || host.size() > kPassportMaxField || path.size() > kPassportMaxField) return std::nullopt;
  if (std::any_of(path.begin(), path.end(), [](char c) { return IsControlOrBlank(static_cast<unsigned char>(c)); })) {
    return std::nullopt;
  }

  PassportUrl result;
  std::string_view name = host;
  std::string_view portText;
  bool hasPort = false;
  if (host.front() == '[') {
    const size_t close = host.find(']');
    if (close == std::string_view::npos || close < 2) return std::nullopt;
    name = host.substr(1, close - 1);
    const std::string_view after = host.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return std::nullopt;
      portText = after.substr(1);
      hasPort = true;
    }
    if (!std::all_of(name.begin(), name.end(), [](char c) {
          return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.';
        })) {
      return std::nullopt;
    }
  } else {
    const size_t colon = host.find(':');
    if (colon != std::string_view::npos) {
      name = host.substr(0, colon);
      portText = host.substr(colon + 1);
      hasPort = true;
    }
    if (name.empty() || !std::all_of(name.begin(), name.end(), IsHostNameByte)) return std::nullopt;
  }
  if (hasPort) {
    const auto port = ParsePort(portText);
    if (!port) return std::nullopt;
    result.port = *port;
  }
  result.host = host;
  result.hostName = name;
  result.path = path;
  return result;
}

std::string ResolvePassportLocation(const PassportUrl& from, std::string_view location) {
  if (location.starts_with("//")) return std::string(location.substr(2));
  if (location.starts_with('/')) return from.host + std::string(location);
  return std::string(location);
}

std::optional<std::string> BuildPassportAuthorization(std::string_view account, std::string_view password,
                                                      std::string_view policy) {
  if (HoldsControlBytes(account) || HoldsControlBytes(policy)) return std::nullopt;
  std::string signIn;
  for (const char c : account) {
    if (c == '@') {
      signIn += "%40";
    } else {
      signIn.push_back(c);
    }
    if (signIn.size() > kPassportMaxField) return std::nullopt;
  }
  std::string value = "Passport1.4 OrgVerb=GET,OrgURL=";
  value += kOrgUrl;
  value += ",sign-in=";
  value += signIn;
  value += ",pwd=";
  value += UrlEncode(password);
  value += ',';
  value += policy;
  return value;
}

}  // namespace quelt::msn
