#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Who lives on the demo network: the user's two accounts and the contacts on each service.
namespace quelt::demo {

inline constexpr char kIcqUin[] = "100100";
inline constexpr char kMsnEmail[] = "you@demo.example";
inline constexpr char kPassword[] = "demo";  // of both accounts

struct IcqPerson {
  std::string uin, name;
  uint16_t group = 0;              // 0: not on the list
  std::optional<uint16_t> status;  // none: offline
};
struct MsnPerson {
  std::string email, name;
  int group = 0;       // 0: not on the list
  std::string status;  // "NLN", "AWY", "BSY"...; empty: offline
};
struct Group {
  uint16_t id = 0;
  std::string name;
};

[[nodiscard]] const std::vector<Group>& IcqGroups();
[[nodiscard]] const std::vector<IcqPerson>& IcqPeople();
[[nodiscard]] const std::vector<Group>& MsnGroups();
[[nodiscard]] const std::vector<MsnPerson>& MsnPeople();

// The parts they play.
inline constexpr char kIcqAnswering[] = "100201";
inline constexpr char kIcqOfflineSender[] = "100204";
inline constexpr char kIcqAsker[] = "100207";  // asks for authorization; on no list
inline constexpr char kIcqOfflineText[] = "Hi! I wrote this while you were away. Call me when you can.";
inline constexpr char kIcqAskReason[] = "Hello, it's Katya from the course. May I add you?";
inline constexpr char kMsnAnswering[] = "tom@demo.example";
inline constexpr char kMsnInviter[] = "olga@demo.example";
inline constexpr char kMsnThird[] = "mark@demo.example";

// What an answering contact says back to `text`.
[[nodiscard]] std::string EchoOf(const std::string& text);

}  // namespace quelt::demo
