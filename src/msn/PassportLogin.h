#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace quelt::msn {

struct PassportEndpoints {
  std::string nexus;           // host[:port] of the nexus
  std::string caFile;          // PEM file of an authority trusted besides the system trust store
  int maxRedirects = 10;       // 302 answers followed per request before giving up
  uint32_t timeoutMs = 30000;  // connect and total time of each request
};

// The whole Passport 1.4 exchange: asks the nexus for the login address, then signs in there.
// Blocking; returns the ticket, or an empty text on any failure (no network, certificate not
// trusted, HTTP error, wrong password, missing markers, too many redirects, cancelled). Setting
// *cancel to true from another thread ends it early. Safe to call from several threads.
[[nodiscard]] std::string PassportLogin(const PassportEndpoints& endpoints, std::string_view account,
                                        std::string_view password, std::string_view policy,
                                        const std::atomic<bool>* cancel = nullptr);

// One GET over HTTPS, following 302 answers itself and sending the Authorization header again
// at every hop. The Authorization header is sent only when `policy` is not empty. Returns the
// final answer's header block (status line first, lines ending in "\r\n"), or an empty text
// on failure.
[[nodiscard]] std::string PassportHttpGet(const PassportEndpoints& endpoints, std::string_view url,
                                          std::string_view account, std::string_view password, std::string_view policy,
                                          const std::atomic<bool>* cancel = nullptr);

}  // namespace quelt::msn
