#pragma once

#include <string>
#include <variant>
#include <vector>

namespace quelt::msn {

// What the parsers read from each kind of incoming line. Display names arrive URL-encoded UTF-8
// and are decoded; e-mail addresses, GUIDs, list names, versions and group ids are converted with
// the configured code page; addresses, cookies, session ids, codes and the policy stay 8-bit.

struct VerFields {
  std::vector<std::string> protocols;
  bool operator==(const VerFields&) const = default;
};
struct UsrTwnSFields {
  std::string policy;
  bool operator==(const UsrTwnSFields&) const = default;
};
struct UsrOkFields {  // on either connection kind; `verified` only on the notification server
  std::u16string email;
  std::u16string name;
  bool verified = false;
  bool operator==(const UsrOkFields&) const = default;
};
struct XfrNsFields {
  std::string address;  // host:port
  bool operator==(const XfrNsFields&) const = default;
};
struct XfrSbFields {
  std::string address;
  std::string cookie;
  bool operator==(const XfrSbFields&) const = default;
};
struct SynFields {
  std::u16string version1;
  std::u16string version2;
  int contacts = 0;
  int groups = 0;
  bool operator==(const SynFields&) const = default;
};
struct MsgFields {  // the payload is the command's Extra()
  std::u16string sender;
  std::u16string name;
  bool operator==(const MsgFields&) const = default;
};
struct LsgFields {
  std::u16string name;
  std::u16string id;
  bool operator==(const LsgFields&) const = default;
};
struct LstFields {
  std::u16string email;
  std::u16string friendlyName;
  std::u16string guid;
  int lists = 0;
  std::vector<std::u16string> groups;
  bool operator==(const LstFields&) const = default;
};
struct ChlFields {
  std::string challenge;
  bool operator==(const ChlFields&) const = default;
};
struct PresenceFields {  // ILN and NLN
  std::string code;
  std::u16string email;
  std::u16string friendlyName;
  bool operator==(const PresenceFields&) const = default;
};
struct FlnFields {
  std::u16string email;
  bool operator==(const FlnFields&) const = default;
};
struct RngFields {
  std::string sessionId;
  std::string address;
  std::string cookie;
  std::u16string email;
  std::u16string name;
  bool operator==(const RngFields&) const = default;
};
struct IroFields {
  int index = 0;
  int total = 0;
  std::u16string email;
  std::u16string name;
  bool operator==(const IroFields&) const = default;
};
struct JoiFields {
  std::u16string email;
  std::u16string name;
  bool operator==(const JoiFields&) const = default;
};
struct ByeFields {
  std::u16string email;
  bool operator==(const ByeFields&) const = default;
};
struct AdcFields {
  std::u16string list;
  std::u16string email;  // N=
  std::u16string friendlyName;
  std::u16string guid;   // C=
  std::u16string group;  // a trailing group id, when present
  bool operator==(const AdcFields&) const = default;
};
struct RemFields {
  std::u16string list;
  std::u16string target;  // e-mail or GUID
  std::u16string group;
  bool operator==(const RemFields&) const = default;
};
struct ChgFields {
  std::string code;
  bool operator==(const ChgFields&) const = default;
};
struct ErrorFields {
  int code = 0;
  bool operator==(const ErrorFields&) const = default;
};
struct OutFields {
  std::string reason;  // "OTH", or empty
  bool operator==(const OutFields&) const = default;
};

// std::monostate: outgoing commands, unknown lines, and the kinds parsed only to be ignored.
using MsnCommandFields =
    std::variant<std::monostate, VerFields, UsrTwnSFields, UsrOkFields, XfrNsFields, XfrSbFields, SynFields, MsgFields,
                 LsgFields, LstFields, ChlFields, PresenceFields, FlnFields, RngFields, IroFields, JoiFields, ByeFields,
                 AdcFields, RemFields, ChgFields, ErrorFields, OutFields>;

}  // namespace quelt::msn
