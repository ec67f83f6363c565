#include "download/HttpAttempt.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/CurlEasy.h"
#include "platform/Event.h"
#include "platform/Log.h"

namespace quelt::download {
namespace {

constexpr long kMaxRedirects = 5;
constexpr std::string_view kContentLength = "content-length:";

const char* NameOf(AccessType access) {
  switch (access) {
    case AccessType::Direct: return "direct";
    case AccessType::Preconfigured: return "system proxy";
    case AccessType::Proxy: return "configured proxy";
  }
  return "?";
}

std::string_view Trimmed(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
  return text.size() >= lowerPrefix.size() &&
         std::equal(lowerPrefix.begin(), lowerPrefix.end(), text.begin(), [](char lower, char c) {
           return lower == ((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c);
         });
}

// An empty or malformed length is no length at all.
std::optional<uint64_t> ParseLength(std::string_view text) {
  text = Trimmed(text);
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string ProxyAddress(const DownloadProxy& proxy) {
  const bool bare6 = proxy.host.find(':') != std::string::npos && !proxy.host.starts_with('[');
  const std::string host = bare6 ? "[" + proxy.host + "]" : proxy.host;
  const char* scheme = proxy.type == core::ProxyType::Socks5 ? "socks5h://" : "http://";
  return scheme + host + ":" + std::to_string(proxy.port);
}

// What the callbacks share during one transfer.
struct Transfer {
  CURL* handle = nullptr;
  HttpReceiver& receiver;
  platform::Event* stop = nullptr;
  std::optional<uint64_t> contentLength;  // of the newest header block
  bool headComplete = false;              // the newest header block reached its blank line
  bool headGiven = false;
  bool declined = false;  // the receiver ended the transfer
  bool stopped = false;

  bool StopRequested() {
    if (stop != nullptr && stop->IsSet()) stopped = true;
    return stopped;
  }

  bool GiveHead() {
    headGiven = true;
    long status = 0;
    if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) status = 0;
    declined = !receiver.OnHead(status, contentLength);
    return !declined;
  }
};

size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const size_t length = size * count;
  // Trailers after the body change nothing the receiver has been told.
  if (transfer.headGiven) return length;
  const std::string_view line = Trimmed(std::string_view(data, length));
  // Every answer on the way (a redirect, a proxy's CONNECT reply) starts a block of its own.
  if (line.starts_with("HTTP/")) {
    transfer.contentLength.reset();
    transfer.headComplete = false;
  } else if (line.empty()) {
    transfer.headComplete = true;
  } else if (StartsWithIgnoringCase(line, kContentLength)) {
    transfer.contentLength = ParseLength(line.substr(kContentLength.size()));
  }
  return length;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const size_t length = size * count;
  if (length == 0) return 0;
  if (!transfer.headGiven && !transfer.GiveHead()) return 0;
  for (size_t offset = 0; offset < length; offset += kHttpBlockSize) {
    if (transfer.StopRequested()) return 0;
    if (!transfer.receiver.OnBlock({data + offset, std::min(kHttpBlockSize, length - offset)})) {
      transfer.declined = true;
      return 0;
    }
  }
  return length;
}

// Called about once a second even while the server is silent, so a stop is never kept waiting.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Transfer*>(user)->StopRequested() ? 1 : 0;
}

}  // namespace

HttpOutcome RunHttpAttempt(const HttpRequest& request, HttpReceiver& receiver) {
  if (!platform::InitialiseCurl()) {
    platform::Log("download: curl cannot start");
    return HttpOutcome::NoAnswer;
  }
  platform::CurlEasy curl(curl_easy_init());
  if (!curl) {
    platform::Log("download: no curl handle");
    return HttpOutcome::NoAnswer;
  }
  CURL* handle = curl.get();
  Transfer transfer{.handle = handle, .receiver = receiver, .stop = request.stop};
  char error[CURL_ERROR_SIZE] = "";

  bool ready = true;
  const auto set = [&](CURLoption option, auto value) {
    ready = ready && curl_easy_setopt(handle, option, value) == CURLE_OK;
  };
  set(CURLOPT_ERRORBUFFER, error);
  set(CURLOPT_URL, request.url.c_str());
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  set(CURLOPT_FOLLOWLOCATION, 1L);
  set(CURLOPT_MAXREDIRS, kMaxRedirects);
  set(CURLOPT_HTTPGET, 1L);
  set(CURLOPT_USERAGENT, "CeHttp");
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_CONNECTTIMEOUT, kHttpConnectTimeoutSeconds);
  set(CURLOPT_LOW_SPEED_LIMIT, 1L);
  set(CURLOPT_LOW_SPEED_TIME, kHttpStallSeconds);
  set(CURLOPT_BUFFERSIZE, static_cast<long>(kHttpBlockSize));
  set(CURLOPT_HEADERFUNCTION, OnHeaderLine);
  set(CURLOPT_HEADERDATA, &transfer);
  set(CURLOPT_WRITEFUNCTION, OnBody);
  set(CURLOPT_WRITEDATA, &transfer);
  set(CURLOPT_NOPROGRESS, 0L);
  set(CURLOPT_XFERINFOFUNCTION, OnProgress);
  set(CURLOPT_XFERINFODATA, &transfer);
  switch (request.access) {
    case AccessType::Direct: set(CURLOPT_PROXY, ""); break;
    case AccessType::Preconfigured: break;
    case AccessType::Proxy: {
      if (request.proxy == nullptr || request.proxy->type == core::ProxyType::None) return HttpOutcome::NoAnswer;
      const std::string address = ProxyAddress(*request.proxy);
      set(CURLOPT_PROXY, address.c_str());
      // The configured proxy carries every host, whatever no_proxy says.
      set(CURLOPT_NOPROXY, "");
      if (!request.proxy->user.empty()) {
        set(CURLOPT_PROXYUSERNAME, request.proxy->user.c_str());
        set(CURLOPT_PROXYPASSWORD, request.proxy->password.c_str());
      }
      break;
    }
  }
  if (!ready) {
    platform::Log("download: cannot set up a request (%s)", NameOf(request.access));
    return HttpOutcome::NoAnswer;
  }
  if (transfer.StopRequested()) return HttpOutcome::NoAnswer;

  const CURLcode result = curl_easy_perform(handle);
  if (result == CURLE_OK) {
    // An empty body: the head is all there was.
    if (!transfer.headGiven && !transfer.GiveHead()) return HttpOutcome::Cut;
    return HttpOutcome::Whole;
  }
  if (!transfer.declined && !transfer.stopped) {
    platform::Log("download: %s attempt failed: %s", NameOf(request.access),
                  error[0] != '\0' ? error : curl_easy_strerror(result));
  }
  if (transfer.headGiven) return HttpOutcome::Cut;
  if (transfer.stopped) return HttpOutcome::NoAnswer;
  // A final answer whose body broke off before its first byte still counts as an answer; a
  // redirect that led nowhere reachable does not, unless the redirects themselves ran out.
  long status = 0;
  if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) status = 0;
  const bool redirect = status >= 300 && status < 400;
  if (result == CURLE_TOO_MANY_REDIRECTS || (transfer.headComplete && status != 0 && !redirect)) {
    (void)transfer.GiveHead();
    return HttpOutcome::Cut;
  }
  return HttpOutcome::NoAnswer;
}

}  // namespace quelt::download
