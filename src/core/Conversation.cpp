#include "core/Conversation.h"

#include <algorithm>

#include "core/HistoryFileName.h"
#include "core/HistoryIndex.h"
#include "platform/TextCodec.h"

namespace quelt::core {
namespace {

std::filesystem::path Component(std::u16string_view identifier, std::u16string_view suffix = {}) {
  return platform::Utf16ToUtf8(HistoryFileName(identifier) + std::u16string(suffix));
}

HistoryPaths MakePaths(const std::filesystem::path& historyFolder, std::u16string_view accountId,
                       const std::vector<std::u16string>& participants, std::u16string_view name) {
  HistoryPaths paths;
  paths.accountFolder = historyFolder / Component(accountId);
  const std::u16string_view stem = participants.size() == 2 ? std::u16string_view(participants[1]) : name;
  paths.textFile = paths.accountFolder / Component(stem, u"_msg.txt");
  paths.indexFile = paths.accountFolder / Component(stem, u"_idx.dat");
  if (participants.size() > 2) paths.participantsFile = paths.accountFolder / Component(name, u"_parties.txt");
  return paths;
}

}  // namespace

Conversation::Conversation(const std::filesystem::path& historyFolder, std::u16string accountId,
                           std::vector<std::u16string> participants, std::u16string name)
    : accountId_(std::move(accountId)),
      name_(std::move(name)),
      paths_(MakePaths(historyFolder, accountId_, participants, name_)),
      participants_(std::move(participants)),
      // Nothing else would ever write the participants of a new multi-party conversation.
      participantsFilePending_(HasParticipantsFile()) {}

std::vector<std::u16string> Conversation::Participants() const {
  std::lock_guard lock(mutex_);
  return participants_;
}

bool Conversation::AddParticipant(std::u16string identifier) {
  std::lock_guard lock(mutex_);
  if (std::find(participants_.begin(), participants_.end(), identifier) != participants_.end()) return false;
  participants_.push_back(std::move(identifier));
  if (HasParticipantsFile()) participantsFilePending_ = true;
  return true;
}

uint8_t Conversation::SenderPosition(std::u16string_view senderId) const {
  if (senderId.empty()) return 0;
  std::lock_guard lock(mutex_);
  const auto found = std::find(participants_.begin(), participants_.end(), senderId);
  if (found == participants_.end()) return kUnknownSender;
  const auto position = found - participants_.begin();
  return position < kUnknownSender ? static_cast<uint8_t>(position) : kUnknownSender;
}

bool Conversation::ParticipantsFilePending() const {
  std::lock_guard lock(mutex_);
  return participantsFilePending_;
}

void Conversation::MarkParticipantsFilePending() {
  std::lock_guard lock(mutex_);
  if (HasParticipantsFile()) participantsFilePending_ = true;
}

std::optional<std::vector<std::u16string>> Conversation::TakePendingParticipants() {
  std::lock_guard lock(mutex_);
  if (!participantsFilePending_) return std::nullopt;
  participantsFilePending_ = false;
  return participants_;
}

}  // namespace quelt::core
