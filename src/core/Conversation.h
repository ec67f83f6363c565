#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::core {

// Where a conversation's history lives. The participants file is empty (none) unless the
// conversation has more than two participants.
struct HistoryPaths {
  std::filesystem::path accountFolder;
  std::filesystem::path participantsFile;
  std::filesystem::path indexFile;
  std::filesystem::path textFile;
};

// A conversation shared by the protocol engines and the chat windows: its participants, its
// name and where its history is kept. Engines append on their own threads while the user
// interface reads and clears, so every member may be called from any thread.
class Conversation {
 public:
  // `participants` starts with the signed-in account; for a one-to-one conversation entry 1 is
  // the partner. The history paths are computed here, once, from these values.
  Conversation(const std::filesystem::path& historyFolder, std::u16string accountId,
               std::vector<std::u16string> participants, std::u16string name);
  Conversation(const Conversation&) = delete;
  Conversation& operator=(const Conversation&) = delete;

  [[nodiscard]] const std::u16string& AccountId() const { return accountId_; }
  [[nodiscard]] const std::u16string& Name() const { return name_; }
  [[nodiscard]] const HistoryPaths& Paths() const { return paths_; }
  [[nodiscard]] bool HasParticipantsFile() const { return !paths_.participantsFile.empty(); }

  [[nodiscard]] std::vector<std::u16string> Participants() const;
  // Adds a member who joined; false when already present. The participants file is then due to
  // be written again.
  bool AddParticipant(std::u16string identifier);
  // The position of the sender in the participant list: 0 for an empty identifier, 255 for one
  // that is not in the list (or sits beyond position 254).
  [[nodiscard]] uint8_t SenderPosition(std::u16string_view senderId) const;

  // The participants file is due when a multi-party conversation starts, gains a member or has
  // its history cleared; the next append writes it.
  [[nodiscard]] bool ParticipantsFilePending() const;
  void MarkParticipantsFilePending();
  // Clears the flag and returns the participants to write, or nothing when no write is due.
  [[nodiscard]] std::optional<std::vector<std::u16string>> TakePendingParticipants();

 private:
  const std::u16string accountId_;
  const std::u16string name_;
  const HistoryPaths paths_;
  mutable std::mutex mutex_;
  std::vector<std::u16string> participants_;
  bool participantsFilePending_ = false;
};

}  // namespace quelt::core
