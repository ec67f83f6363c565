#pragma once

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace quelt::platform {

// libcurl's one-time set-up, done by whichever thread gets there first; false when it failed.
// Users link CURL::libcurl themselves.
[[nodiscard]] inline bool InitialiseCurl() {
  static std::once_flag once;
  static bool initialised = false;
  std::call_once(once, [] { initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return initialised;
}

struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlDeleter>;

}  // namespace quelt::platform
