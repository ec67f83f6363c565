#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Timeline.h"
#include "support/MsnServer.h"
#include "support/MsnSwitchboardServer.h"
#include "support/OscarServer.h"
#include "support/PassportServer.h"

namespace quelt::demo {

struct DemoPorts {
  uint16_t icq = 0, msn = 0, switchboard = 0, passport = 0;  // 0: a free one
  // Four ports in a row from `base`; base 0: four free ones.
  [[nodiscard]] static DemoPorts From(uint16_t base);
  // A base given on the command line: decimal, with room for the three ports after it.
  [[nodiscard]] static std::optional<uint16_t> ParseBase(std::string_view text);
};

// When the contacts act on their own, from the user's first sign-in on each service.
struct DemoTimings {
  std::chrono::milliseconds askAuthorization{6000};  // ICQ: a stranger asks to add the user
  std::chrono::milliseconds inviteToChat{25000};     // MSN: two contacts invite the user to chat
  std::chrono::milliseconds presenceEvery{40000};    // a few contacts change presence, again and again
};

// The demo network: an OSCAR login and BOS server, an MSN notification server with switchboards,
// and the Passport nexus and login over HTTPS with a certificate made at start, all on loopback,
// with the demo's contacts living on them.
class DemoNetwork {
 public:
  using Reporter = std::function<void(const std::string&)>;
  static constexpr uint16_t kDefaultBase = 15190;

  // Starts every server; on a port that cannot be had nothing runs and `error` names the port.
  static std::unique_ptr<DemoNetwork> Start(const DemoPorts& wanted, std::string& error, Reporter report = {},
                                            DemoTimings timings = {});
  ~DemoNetwork();
  DemoNetwork(const DemoNetwork&) = delete;
  DemoNetwork& operator=(const DemoNetwork&) = delete;

  [[nodiscard]] DemoPorts Ports() const;
  // The CA that signed the Passport certificate, as PEM.
  [[nodiscard]] const std::filesystem::path& CaFile() const { return passport_->CaFile(); }
  // The settings that point the messenger at this network with the demo accounts; the file's
  // other settings are kept. The MSN password is stored scrambled, as the program stores it.
  [[nodiscard]] std::string Settings(std::string_view existing, const std::filesystem::path& caFile) const;
  // Waits until the demo accounts are signed in on both services.
  bool WaitSignedIn(std::chrono::milliseconds timeout);

  test::OscarServer& Oscar() { return *oscar_; }
  test::MsnSwitchboardServer& Switchboards() { return *switchboards_; }

 private:
  DemoNetwork(Reporter report, DemoTimings timings);
  void Report(const std::string& line) const;
  bool OnIcqMessage(const std::string& from, const std::string& to, const test::oscar::MessageText& text);
  void OnIcqSignedOn(const std::string& uin);
  std::vector<std::string> OnMsnSignedIn(const std::string& id);
  void OnMsnHeard(int connection, const std::vector<std::string>& simulated, const std::string& payload);
  void InviteToGroupChat();
  void GreetInvitedRoom(int room, int triesLeft);
  void Restless(int step);

  const Reporter report_;
  const DemoTimings timings_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool icqSignedIn_ = false, msnSignedIn_ = false;
  bool asked_ = false, invited_ = false, restless_ = false;  // once per run
  std::map<std::string, std::string> msnPresence_;           // by e-mail; guarded by mutex_
  Timeline timeline_;  // stopped first in the destructor: its actions use the servers
  std::unique_ptr<test::PassportServer> passport_;
  std::unique_ptr<test::MsnSwitchboardServer> switchboards_;
  std::unique_ptr<test::MsnServer> msn_;
  std::unique_ptr<test::OscarServer> oscar_;
};

}  // namespace quelt::demo
