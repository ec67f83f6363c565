#include "msn/MsnConversation.h"

#include <algorithm>
#include <new>

#include "msn/MsnConversations.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/OutOfMemory.h"
#include "platform/OwnThread.h"

namespace quelt::msn {
namespace {

// A little past the lapse, so that the notice has surely expired when the thread looks again.
constexpr uint32_t kExpirySlackMs = 10;

}  // namespace

MsnConversation::MsnConversation(std::weak_ptr<MsnConversations> owner, std::shared_ptr<core::Conversation> history,
                                 uint32_t typingExpiryMs)
    : owner_(std::move(owner)), typingExpiryMs_(typingExpiryMs), history_(std::move(history)) {}

MsnConversation::~MsnConversation() {
  stopEvent_->Set();
  std::lock_guard lock(threadMutex_);
  platform::JoinOrRelease(typingThread_);
}

bool MsnConversation::SendText() {
  const auto owner = owner_.lock();
  return owner && owner->SendText(*this);
}

void MsnConversation::NotifyTyping(bool hasText) {
  if (const auto owner = owner_.lock()) owner->NotifyTyping(*this, hasText);
}

void MsnConversation::Invite(const std::u16string& email) {
  if (const auto owner = owner_.lock()) owner->Invite(*this, email);
}

void MsnConversation::Close() {
  if (const auto owner = owner_.lock()) owner->Close(*this);
}

void MsnConversation::SetUnsentText(std::u16string text) {
  if (const auto owner = owner_.lock()) owner->SetUnsentText(*this, std::move(text));
}

std::u16string MsnConversation::Name() const {
  std::lock_guard lock(mutex_);
  return NameLocked();
}

std::u16string MsnConversation::NameLocked() const {
  return multiParty_ || participants_.empty() ? name_ : participants_.front().email;
}

bool MsnConversation::IsMultiParty() const {
  std::lock_guard lock(mutex_);
  return multiParty_;
}

std::vector<MsnParticipant> MsnConversation::Participants() const {
  std::lock_guard lock(mutex_);
  return participants_;
}

std::vector<int> MsnConversation::SwitchboardIds() const {
  std::lock_guard lock(mutex_);
  return switchboards_;
}

std::shared_ptr<core::Conversation> MsnConversation::History() const {
  std::lock_guard lock(mutex_);
  return history_;
}

bool MsnConversation::Sending() const {
  const auto owner = owner_.lock();
  return owner && owner->Marks(*this).sending;
}

std::u16string MsnConversation::UnsentText() const {
  const auto owner = owner_.lock();
  return owner ? owner->Marks(*this).unsentText : std::u16string();
}

bool MsnConversation::Unread() const {
  const auto owner = owner_.lock();
  return owner && owner->Marks(*this).unread;
}

void MsnConversation::MarkRead() {
  if (const auto owner = owner_.lock()) owner->MarkRead(*this);
}

bool MsnConversation::Waiting() const {
  std::lock_guard lock(mutex_);
  return waiting_;
}

MsnParticipant* MsnConversation::Find(std::u16string_view email) {
  const auto found = std::find_if(participants_.begin(), participants_.end(),
                                  [email](const MsnParticipant& participant) { return participant.email == email; });
  return found == participants_.end() ? nullptr : &*found;
}

bool MsnConversation::NobodyJoined(int switchboard) const {
  return std::none_of(participants_.begin(), participants_.end(),
                      [switchboard](const MsnParticipant& participant) { return participant.joined.contains(switchboard); });
}

void MsnConversation::StartTypingThread() {
  std::lock_guard lock(threadMutex_);
  if (typingThread_.joinable()) return;
  typingThread_ = std::thread([self = weak_from_this(), typing = typingEvent_, stop = stopEvent_] {
    platform::GuardOutOfMemory([&] { RunTypingExpiry(self, typing, stop); });
  });
}

void MsnConversation::StopTypingThread() {
  stopEvent_->Set();
  std::lock_guard lock(threadMutex_);
  platform::JoinOrRelease(typingThread_);
}

MsnConversation::Expiry MsnConversation::ExpireTyping(uint32_t now) {
  std::lock_guard lock(mutex_);
  Expiry expiry;
  expiry.oneToOne = OneToOne();
  for (MsnParticipant& participant : participants_) {
    if (participant.typingTime == 0) continue;
    const uint32_t age = now - participant.typingTime;
    if (age > typingExpiryMs_) {
      participant.typingTime = 0;
      expiry.lapsed.push_back(participant.email);
    } else {
      const uint32_t left = typingExpiryMs_ - age;
      expiry.nextMs = std::min(expiry.nextMs.value_or(left), left);
    }
  }
  return expiry;
}

// Holds the conversation only while it looks, so that the thread never keeps it alive.
void MsnConversation::RunTypingExpiry(std::weak_ptr<MsnConversation> self, std::shared_ptr<platform::Event> typing,
                                      std::shared_ptr<platform::Event> stop) {
  while (!stop->IsSet()) {
    std::optional<uint32_t> waitMs;
    {
      const auto conversation = self.lock();
      if (!conversation) return;
      const Expiry expiry = conversation->ExpireTyping(platform::Ticks());
      if (!expiry.lapsed.empty()) {
        const auto owner = conversation->owner_.lock();
        if (!owner) return;
        owner->OnTypingLapsed(expiry.lapsed, expiry.oneToOne);
      }
      waitMs = expiry.nextMs;
    }
    const uint32_t timeout = waitMs ? *waitMs + kExpirySlackMs : platform::kInfinite;
    if (platform::WaitFirst({typing.get(), stop.get()}, timeout) == stop.get()) return;
  }
}

}  // namespace quelt::msn
