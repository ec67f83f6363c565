#include "msn/MsnChallenge.h"

#include <openssl/evp.h>

#include <memory>

namespace quelt::msn {
namespace {

constexpr std::string_view kProductKey = "Q1P7W2E4J9R8U3S5";

}  // namespace

std::optional<std::string> ChallengeAnswer(std::string_view challenge) {
  const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
      EVP_DigestUpdate(context.get(), challenge.data(), challenge.size()) != 1 ||
      EVP_DigestUpdate(context.get(), kProductKey.data(), kProductKey.size()) != 1 ||
      EVP_DigestFinal_ex(context.get(), digest, &length) != 1 || length != 16) {
    return std::nullopt;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string answer;
  for (unsigned int i = 0; i < length; ++i) {
    answer += kHex[digest[i] >> 4];
    answer += kHex[digest[i] & 0x0F];
  }
  return answer;
}

}  // namespace quelt::msn
