#include "msn/PassportLogin.h"

#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <memory>
#include <mutex>
#include <optional>

#include "msn/PassportHeaders.h"
#include "platform/CurlEasy.h"
#include "platform/Log.h"

namespace quelt::msn {
namespace {

constexpr std::string_view kNexusPath = "/rdr/pprdr.asp";
constexpr int kStatusFound = 302;

struct HeaderListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

bool Cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(); }

struct Answer {
  long status = 0;
  std::string headers;
};

struct Transfer {
  std::string headers;
  bool overflow = false;
};

size_t CollectHeader(char* data, size_t size, size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const size_t length = size * count;
  std::string_view line(data, length);
  // An interim (1xx) answer comes first with its own block; only the final one counts.
  if (line.starts_with("HTTP/")) transfer.headers.clear();
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.empty()) return length;
  if (transfer.headers.size() + line.size() + 2 > kPassportMaxHeaderBlock) {
    transfer.overflow = true;
    return 0;
  }
  transfer.headers.append(line).append("\r\n");
  return length;
}

size_t DiscardBody(char*, size_t size, size_t count, void*) { return size * count; }

int CheckCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return Cancelled(static_cast<const std::atomic<bool>*>(user)) ? 1 : 0;
}

// A private authority is trusted besides the system's, not instead of them.
CURLcode AddAuthority(CURL*, void* context, void* caFile) {
  X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(context));
  const auto& file = *static_cast<const std::string*>(caFile);
  if (store != nullptr && X509_STORE_load_file(store, file.c_str()) == 1) return CURLE_OK;
  platform::Log("passport: cannot read the certificate authority in %s", file.c_str());
  return CURLE_SSL_CACERT_BADFILE;
}

std::optional<Answer> GetOnce(const PassportEndpoints& endpoints, const PassportUrl& url,
                              const std::optional<std::string>& authorization, const std::atomic<bool>* cancel) {
  platform::CurlEasy curl(curl_easy_init());
  if (!curl) return std::nullopt;
  CURL* handle = curl.get();
  const std::string address = "https://" + url.host + url.path;
  std::unique_ptr<curl_slist, HeaderListDeleter> extraHeaders;
  if (authorization) {
    // curl derives the Host header from the address, which is built from the same host text.
    const std::string line = "Authorization: " + *authorization;
    extraHeaders.reset(curl_slist_append(nullptr, line.c_str()));
    if (!extraHeaders) return std::nullopt;
  }
  Transfer transfer;
  char error[CURL_ERROR_SIZE] = "";
  const long timeout = static_cast<long>(endpoints.timeoutMs);

  bool ready = true;
  const auto set = [&](CURLoption option, auto value) {
    ready = ready && curl_easy_setopt(handle, option, value) == CURLE_OK;
  };
  set(CURLOPT_ERRORBUFFER, error);
  set(CURLOPT_URL, address.c_str());
  set(CURLOPT_PROTOCOLS_STR, "https");
  set(CURLOPT_REDIR_PROTOCOLS_STR, "https");
  set(CURLOPT_FOLLOWLOCATION, 0L);
  set(CURLOPT_PROXY, "");
  set(CURLOPT_NOPROXY, "*");
  set(CURLOPT_HTTPGET, 1L);
  set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  set(CURLOPT_USERAGENT, "MSMSGS");
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_CONNECTTIMEOUT_MS, timeout);
  set(CURLOPT_TIMEOUT_MS, timeout);
  set(CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  set(CURLOPT_SSL_VERIFYPEER, 1L);
  set(CURLOPT_SSL_VERIFYHOST, 2L);
  if (!endpoints.caFile.empty()) {
    set(CURLOPT_SSL_CTX_FUNCTION, AddAuthority);
    set(CURLOPT_SSL_CTX_DATA, &endpoints.caFile);
  }
  set(CURLOPT_HEADERFUNCTION, CollectHeader);
  set(CURLOPT_HEADERDATA, &transfer);
  set(CURLOPT_WRITEFUNCTION, DiscardBody);
  set(CURLOPT_NOPROGRESS, 0L);
  set(CURLOPT_XFERINFOFUNCTION, CheckCancel);
  set(CURLOPT_XFERINFODATA, cancel);
  if (extraHeaders) set(CURLOPT_HTTPHEADER, extraHeaders.get());
  if (!ready) {
    platform::Log("passport: cannot set up a request");
    return std::nullopt;
  }

  const CURLcode result = curl_easy_perform(handle);
  if (result != CURLE_OK) {
    if (transfer.overflow) {
      platform::Log("passport: header block from %s exceeds %zu bytes", url.hostName.c_str(), kPassportMaxHeaderBlock);
    } else {
      platform::Log("passport: request to %s failed: %s", url.hostName.c_str(),
                    error[0] != '\0' ? error : curl_easy_strerror(result));
    }
    return std::nullopt;
  }
  Answer answer;
  if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &answer.status) != CURLE_OK) return std::nullopt;
  answer.headers = std::move(transfer.headers);
  return answer;
}

}  // namespace

std::string PassportHttpGet(const PassportEndpoints& endpoints, std::string_view url, std::string_view account,
                            std::string_view password, std::string_view policy, const std::atomic<bool>* cancel) {
  if (!platform::InitialiseCurl()) {
    platform::Log("passport: curl cannot start");
    return {};
  }
  std::optional<std::string> authorization;
  if (!policy.empty()) {
    authorization = BuildPassportAuthorization(account, password, policy);
    if (!authorization) {
      platform::Log("passport: the account name cannot be sent");
      return {};
    }
  }
  std::string address(url);
  for (int hop = 0;; ++hop) {
    if (Cancelled(cancel)) return {};
    const auto parts = SplitPassportUrl(address);
    if (!parts) {
      platform::Log("passport: unusable address (%zu bytes)", address.size());
      return {};
    }
    auto answer = GetOnce(endpoints, *parts, authorization, cancel);
    if (!answer) return {};
    if (answer->status != kStatusFound) return std::move(answer->headers);
    if (hop >= endpoints.maxRedirects) {
      platform::Log("passport: more than %d redirects, giving up", endpoints.maxRedirects);
      return {};
    }
    const auto location = FindHeaderValue(answer->headers, "Location");
    if (!location || location->empty()) {
      platform::Log("passport: redirect from %s without a location", parts->hostName.c_str());
      return {};
    }
    address = ResolvePassportLocation(*parts, *location);
  }
}

std::string PassportLogin(const PassportEndpoints& endpoints, std::string_view account, std::string_view password,
                          std::string_view policy, const std::atomic<bool>* cancel) {
  if (endpoints.nexus.empty()) return {};
  const std::string nexusHeaders =
      PassportHttpGet(endpoints, endpoints.nexus + std::string(kNexusPath), {}, {}, {}, cancel);
  const auto loginAddress = FindDaLogin(nexusHeaders);
  if (!loginAddress || loginAddress->empty()) {
    if (!nexusHeaders.empty()) platform::Log("passport: nexus answer names no login server");
    return {};
  }
  const std::string loginHeaders = PassportHttpGet(endpoints, *loginAddress, account, password, policy, cancel);
  const auto ticket = FindPassportTicket(loginHeaders);
  if (!ticket) {
    if (!loginHeaders.empty()) platform::Log("passport: login answer carries no ticket");
    return {};
  }
  return std::string(*ticket);
}

}  // namespace quelt::msn
