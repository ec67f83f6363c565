#include "msn/MsnLogin.h"

#include "msn/MsnStatus.h"
#include "msn/UrlCoding.h"

namespace quelt::msn {
namespace {

// What the client reports of itself: locale, system, its version, processor, name and version.
constexpr std::string_view kClientFields = "0x0409 winnt 5.1 i386 MSNMSGR 6.2.0205 MSMSGS";

std::string Head(std::string_view word, int id) { return std::string(word) + ' ' + std::to_string(id); }

}  // namespace

std::string VersionLine(int id) { return Head("VER", id) + " MSNP10 MSNP9 CVR0"; }

std::string ClientVersionLine(int id, std::string_view account) {
  return Head("CVR", id) + ' ' + std::string(kClientFields) + ' ' + UrlEncode(account);
}

std::string InitialUsrLine(int id, std::string_view account) {
  return Head("USR", id) + " TWN I " + UrlEncode(account);
}

std::string TicketUsrLine(int id, std::string_view ticket) { return Head("USR", id) + " TWN S " + std::string(ticket); }

std::string SynLine(int id, std::string_view version1, std::string_view version2) {
  return Head("SYN", id) + ' ' + std::string(version1) + ' ' + std::string(version2);
}

std::string ChangeStatusLine(int id, int32_t status) {
  return Head("CHG", id) + ' ' + std::string(EncodeMsnStatus(status)) + " 1";
}

}  // namespace quelt::msn
