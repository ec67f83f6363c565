// Passport answers and redirect addresses come from the network: every scan must stay inside
// the text, stop at its terminators, and every accepted address must be within the limits and
// split the same way again once put back together.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "msn/PassportHeaders.h"

namespace {

using namespace quelt::msn;

void Require(bool condition) {
  if (!condition) std::abort();
}

bool Inside(std::string_view part, std::string_view whole) {
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

void CheckScans(std::string_view text) {
  if (const auto login = FindDaLogin(text)) {
    Require(Inside(*login, text));
    Require(login->find_first_of(",\r\n") == std::string_view::npos);
    Require(login->data() >= text.data() + 8 && std::string_view(login->data() - 8, 8) == "DALogin=");
  }
  if (const auto ticket = FindPassportTicket(text)) {
    Require(Inside(*ticket, text));
    Require(ticket->find('\'') == std::string_view::npos);
  }
  for (const std::string_view name : {"Location", "location", "X"}) {
    if (const auto value = FindHeaderValue(text, name)) {
      Require(Inside(*value, text));
      Require(value->find('\n') == std::string_view::npos);
      Require(value->empty() || (value->front() != ' ' && value->back() != ' ' && value->back() != '\r'));
    }
  }
}

void CheckAddress(std::string_view url, std::string_view location) {
  const auto split = SplitPassportUrl(url);
  if (!split) return;
  Require(!split->host.empty() && split->host.size() <= kPassportMaxField);
  Require(!split->hostName.empty() && split->hostName.size() <= split->host.size());
  Require(split->path.size() <= kPassportMaxField && split->path.front() == '/');
  Require(split->port != 0);
  const auto again = SplitPassportUrl(split->host + split->path);
  Require(again && again->host == split->host && again->port == split->port && again->path == split->path);
  (void)SplitPassportUrl(ResolvePassportLocation(*split, location));
}

void CheckAuthorization(std::string_view account, std::string_view password, std::string_view policy) {
  const auto value = BuildPassportAuthorization(account, password, policy);
  if (!value) return;
  Require(value->find_first_of("\r\n") == std::string::npos);
  Require(value->starts_with("Passport1.4 OrgVerb=GET,OrgURL="));
  Require(value->ends_with(policy));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckScans(text);

  // The same bytes as address and redirect location, split at the first line break.
  const size_t lineBreak = text.find('\n');
  const std::string_view all(text);
  CheckAddress(all.substr(0, lineBreak), lineBreak == std::string::npos ? "" : all.substr(lineBreak + 1));

  // ... and as account, password and policy, split at NUL bytes.
  const size_t first = text.find('\0');
  const size_t second = first == std::string::npos ? first : text.find('\0', first + 1);
  const std::string_view account = all.substr(0, first);
  const std::string_view password =
      first == std::string::npos ? ""
                                 : all.substr(first + 1, second == std::string::npos ? second : second - first - 1);
  const std::string_view policy = second == std::string::npos ? "p" : all.substr(second + 1);
  CheckAuthorization(account, password, policy);
  return 0;
}
