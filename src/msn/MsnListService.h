#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "msn/MsnCommand.h"
#include "msn/MsnConnection.h"
#include "msn/MsnContactList.h"

namespace quelt::core {
class Application;
}

namespace quelt::msn {

// The payload of MsnSearchFound (64) and MsnSearchNotFound (65).
struct MsnSearchEvent {
  int transactionId = 0;
  std::u16string address;  // from the server's reply; empty when not found
};

// Keeps the contact list in step with the server: the versioned synchronisation at login, the
// acceptance of whoever added the account, the server's list changes, the user's edits and the
// address search. Replies are handled on the hub thread; the edits come from the windows.
class MsnListService {
 public:
  struct Hooks {
    // Builds a line with the notification connection's next id and sends it; false when offline.
    std::function<bool(const std::function<std::string(int id)>&)> send;
    // The list is current after login (on this connection): time for the initial presence.
    std::function<void(const std::shared_ptr<MsnConnection>&)> listCurrent;
    // A contact left every list but the allow list: its conversation ends.
    std::function<void(std::u16string_view email)> contactGone;
  };

  MsnListService(core::Application& application, MsnContactList& list, std::u16string ownEmail, Hooks hooks);

  // Hub thread.
  // After USR OK: SYN with the stored versions. Replies go on the connection the server's
  // command came from, never on one that replaced it meanwhile.
  void StartSync(const std::shared_ptr<MsnConnection>& connection);
  void OnCommand(const MsnCommand& command, const std::shared_ptr<MsnConnection>& connection);

  // The user's edits; each sends and changes nothing here (the server's echo does). False when
  // not sent.
  bool AddContact(std::u16string_view email);
  bool DeleteContact(std::u16string_view email);
  bool Block(std::u16string_view email);
  bool Unblock(std::u16string_view email);

  // Someone who joined a conversation: onto the forward list unless there, and onto the allow
  // list unless on it or blocked.
  void AdoptParticipant(std::u16string_view email);

  enum class SearchStart { Sent, AlreadyContact, OwnAddress, NotSent };
  // Probes an address by adding it to the block list; the answer arrives as MsnSearchFound or MsnSearchNotFound with
  // the transaction id written to `transactionId`.
  SearchStart Search(std::u16string_view address, int& transactionId);

 private:
  void OnSyn(const SynFields& syn);
  void OnLst(const LstFields& lst);
  void OnAdc(const MsnCommand& command, const AdcFields& adc);
  void OnRem(const RemFields& rem);
  void OnError(int transactionId);
  void Complete();
  void Changed();
  [[nodiscard]] std::string Ansi(std::u16string_view text) const;
  bool SendListCommand(std::string_view word, std::string_view list, std::string_view rest);
  void Reply(std::string_view word, std::string_view list, std::string_view rest);

  core::Application& application_;
  MsnContactList& list_;
  const std::u16string ownEmail_;
  const Hooks hooks_;

  // Hub thread: the connection of the command in hand, and the synchronisation in progress.
  std::shared_ptr<MsnConnection> from_;
  bool syncing_ = false;
  int expected_ = 0;
  int received_ = 0;
  std::u16string newVersion1_, newVersion2_;
  std::map<std::u16string, MsnContact> kept_;  // the list before a synchronisation, by e-mail

  std::mutex probesMutex_;  // searches start on the user-interface thread
  std::set<int> probes_;
};

}  // namespace quelt::msn
