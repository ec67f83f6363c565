#pragma once

#include <cstdint>
#include <string>

namespace quelt::icq {

// One ICQ contact as the account's list holds it. A plain record: the list keeps them under its
// lock and hands out copies.
struct IcqContact {
  std::string uin;                     // decimal digits
  uint16_t itemId = 0;                 // server item id; 0: no server entry
  uint16_t groupId = 0;                // 0: not on the server list (wrote to or added the user)
  std::u16string nickname;             // may be empty
  bool awaitingAuthorization = false;  // "NotAuth": the other user has not consented yet

  std::u16string draft;      // unsent text of the chat input ("Cache" in the cache file)
  bool draftMarked = false;  // set with a non-empty draft; lapses after a while
  uint32_t draftTicks = 0;   // when the mark was set

  bool showStatus = true;     // per-contact options of the options file
  int32_t ansiCodePage = -1;  // -1: the global CODE_PAGE
  bool preferUnicode = false;

  int32_t status = -1;  // presence: the status word, -1 while offline
  bool typing = false;
  bool unicodeSupport = false;

  bool unread = false;             // a received message waits to be read
  bool asksAuthorization = false;  // asked the user for authorization, not answered yet

  bool operator==(const IcqContact&) const = default;
};

// A group of the server list. Its members are the contacts whose group id equals its id.
struct IcqGroup {
  uint16_t id = 0;  // never 0
  std::u16string name;

  bool operator==(const IcqGroup&) const = default;
};

}  // namespace quelt::icq
