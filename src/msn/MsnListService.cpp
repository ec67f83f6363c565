#include "msn/MsnListService.h"

#include <algorithm>

#include "core/Application.h"
#include "msn/MsnLogin.h"
#include "platform/CaseMapping.h"
#include "platform/Log.h"
#include "platform/TextCodec.h"

namespace quelt::msn {
namespace {

constexpr size_t kMaxSearchLength = 127;

// An address goes into a command line as one token; a space or a line end in it would break the
// line into other commands.
bool IsOneToken(std::u16string_view text) {
  return !text.empty() && std::none_of(text.begin(), text.end(), [](char16_t c) { return c <= u' ' || c == 0x7F; });
}

std::u16string Lower(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower) c = platform::ToLowerCase(c);
  return lower;
}

}  // namespace

MsnListService::MsnListService(core::Application& application, MsnContactList& list, std::u16string ownEmail,
                               Hooks hooks)
    : application_(application), list_(list), ownEmail_(std::move(ownEmail)), hooks_(std::move(hooks)) {}

std::string MsnListService::Ansi(std::u16string_view text) const {
  return platform::EncodeCodePage(text, application_.TextCodePage()).bytes;
}

bool MsnListService::SendListCommand(std::string_view word, std::string_view list, std::string_view rest) {
  return hooks_.send([&](int id) {
    return std::string(word) + ' ' + std::to_string(id) + ' ' + std::string(list) + ' ' + std::string(rest);
  });
}

void MsnListService::Reply(std::string_view word, std::string_view list, std::string_view rest) {
  if (!from_ || !from_->IsRunning()) return;
  from_->Send(MsnCommand::Outgoing(std::string(word) + ' ' + std::to_string(from_->NextTransactionId()) + ' ' +
                                   std::string(list) + ' ' + std::string(rest)));
}

void MsnListService::StartSync(const std::shared_ptr<MsnConnection>& connection) {
  syncing_ = false;  // a new login starts over
  const auto [version1, version2] = list_.Versions();
  if (connection->IsRunning()) {
    connection->Send(MsnCommand::Outgoing(SynLine(connection->NextTransactionId(), Ansi(version1), Ansi(version2))));
  }
}

void MsnListService::OnCommand(const MsnCommand& command, const std::shared_ptr<MsnConnection>& connection) {
  from_ = connection;
  switch (command.Kind()) {
    case MsnCommandKind::Syn:
      if (const auto* syn = command.As<SynFields>()) OnSyn(*syn);
      break;
    case MsnCommandKind::Lsg:
      if (const auto* lsg = command.As<LsgFields>(); lsg && syncing_) list_.AddGroup({lsg->id, lsg->name});
      break;
    case MsnCommandKind::Lst:
      if (const auto* lst = command.As<LstFields>(); lst && syncing_) OnLst(*lst);
      break;
    case MsnCommandKind::Adc:
      if (const auto* adc = command.As<AdcFields>()) OnAdc(command, *adc);
      break;
    case MsnCommandKind::Rem:
      if (const auto* rem = command.As<RemFields>()) OnRem(*rem);
      break;
    case MsnCommandKind::Error: OnError(command.TransactionId()); break;
    default: break;
  }
}

void MsnListService::OnSyn(const SynFields& syn) {
  const auto [version1, version2] = list_.Versions();
  if (syn.version1 == version1 && syn.version2 == version2) {
    Complete();
    return;
  }
  syncing_ = true;
  expected_ = syn.contacts;
  received_ = 0;
  newVersion1_ = syn.version1;
  newVersion2_ = syn.version2;
  list_.SetVersions(u"0", u"0");
  // What the user gave a contact is not the server's to take: it comes back with the contact.
  kept_.clear();
  for (MsnContact& contact : list_.Contacts()) kept_.emplace(contact.email, std::move(contact));
  list_.Clear();
  if (expected_ <= 0) {
    syncing_ = false;
    list_.SetVersions(newVersion1_, newVersion2_);
    Complete();
  }
}

void MsnListService::OnLst(const LstFields& lst) {
  MsnContact contact;
  contact.email = lst.email;
  contact.friendlyName = lst.friendlyName;
  contact.guid = Ansi(lst.guid);
  contact.lists = lst.lists;
  contact.groups = lst.groups;
  if (const auto before = kept_.find(contact.email); before != kept_.end()) {
    contact.localName = before->second.localName;
    contact.unsentText = before->second.unsentText;
    contact.unread = before->second.unread;
    contact.activity = before->second.activity;
    contact.activityTime = before->second.activityTime;
  }
  if (!contact.email.empty()) list_.Add(std::move(contact));
  if (++received_ < expected_) return;
  syncing_ = false;
  kept_.clear();
  list_.SetVersions(newVersion1_, newVersion2_);
  Complete();
}

// Whoever added the account is accepted and allowed, unless blocked; the server's echoes of
// these commands then change the list for good.
void MsnListService::Complete() {
  std::vector<std::u16string> allow, unpend, reverse;
  list_.UpdateAll([&](MsnContact& contact) {
    bool changed = false;
    if (contact.In(kPendingList)) {
      contact.lists &= ~kPendingList;
      unpend.push_back(contact.email);
      if (!contact.In(kReverseList)) {
        reverse.push_back(contact.email);
        contact.lists |= kReverseList;
      }
      changed = true;
    }
    if (!contact.In(kAllowList) && !contact.In(kBlockList)) {
      allow.push_back(contact.email);
      contact.lists |= kAllowList;
      changed = true;
    }
    return changed;
  });
  for (const auto& email : allow) Reply("ADC", "AL", "N=" + Ansi(email));
  for (const auto& email : unpend) Reply("REM", "PL", Ansi(email));
  for (const auto& email : reverse) Reply("ADC", "RL", "N=" + Ansi(email));
  // Saved here too: when nothing needs accepting, no echo would ever write the new list.
  if (!list_.SaveCache()) platform::Log("MSN: could not save the contact list");
  Changed();
  if (hooks_.listCurrent && from_) hooks_.listCurrent(from_);
}

void MsnListService::OnAdc(const MsnCommand& command, const AdcFields& adc) {
  const int bit = ListBitOf(adc.list);
  if (bit == 0 || adc.email.empty()) return;
  bool probe = false;
  {
    std::lock_guard lock(probesMutex_);
    probe = probes_.erase(command.TransactionId()) > 0;
  }
  if (probe) {
    application_.PostEvent(
        core::MakeEvent(core::EventCode::MsnSearchFound, MsnSearchEvent{command.TransactionId(), adc.email}));
    Reply("REM", "BL", Ansi(adc.email));
  }
  if (!list_.FindByEmail(adc.email)) {
    MsnContact contact;
    contact.email = adc.email;
    contact.friendlyName = adc.friendlyName;
    list_.Add(std::move(contact));
    if (bit != kAllowList && bit != kBlockList) Reply("ADC", "AL", "N=" + Ansi(adc.email));
  }
  list_.Update(adc.email, [&](MsnContact& contact) {
    contact.lists |= bit;
    if (bit == kForwardList) contact.guid = Ansi(adc.guid);
  });
  if (!list_.SaveCache()) platform::Log("MSN: could not save the contact list");
  Changed();
}

void MsnListService::OnRem(const RemFields& rem) {
  const int bit = ListBitOf(rem.list);
  if (bit == 0) return;
  const auto contact = bit == kForwardList ? list_.FindByGuid(Ansi(rem.target)) : list_.FindByEmail(rem.target);
  if (!contact) return;
  MsnContact after = *contact;
  list_.Update(contact->email, [&](MsnContact& current) {
    current.lists &= ~bit;
    if (bit == kForwardList) {
      current.guid.clear();
      current.status = -1;
    }
    after = current;
  });
  if (!after.In(kForwardList | kBlockList | kReverseList | kPendingList)) {
    if (hooks_.contactGone) hooks_.contactGone(after.email);
    if (after.In(kAllowList)) {
      Reply("REM", "AL", Ansi(after.email));  // the server's echo removes it
    } else {
      list_.Remove(after.email);
    }
  }
  if (!list_.SaveCache()) platform::Log("MSN: could not save the contact list");
  Changed();
}

void MsnListService::OnError(int transactionId) {
  {
    std::lock_guard lock(probesMutex_);
    if (probes_.erase(transactionId) == 0) return;
  }
  application_.PostEvent(core::MakeEvent(core::EventCode::MsnSearchNotFound, MsnSearchEvent{transactionId, {}}));
}

void MsnListService::Changed() { application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh)); }

bool MsnListService::AddContact(std::u16string_view email) {
  if (!IsOneToken(email)) return false;
  const std::string address = Ansi(email);
  return SendListCommand("ADC", "FL", "N=" + address + " F=" + address) && SendListCommand("ADC", "AL", "N=" + address);
}

void MsnListService::AdoptParticipant(std::u16string_view email) {
  const auto contact = list_.FindByEmail(email);
  if (!IsOneToken(email) || !contact) return;
  const std::string address = Ansi(email);
  if (!contact->In(kForwardList)) SendListCommand("ADC", "FL", "N=" + address + " F=" + address);
  if (!contact->In(kAllowList | kBlockList)) SendListCommand("ADC", "AL", "N=" + address);
}

bool MsnListService::DeleteContact(std::u16string_view email) {
  const auto contact = list_.FindByEmail(email);
  return contact && !contact->guid.empty() && SendListCommand("REM", "FL", contact->guid);
}

bool MsnListService::Block(std::u16string_view email) {
  if (!IsOneToken(email)) return false;
  return SendListCommand("REM", "AL", Ansi(email)) && SendListCommand("ADC", "BL", "N=" + Ansi(email));
}

bool MsnListService::Unblock(std::u16string_view email) {
  if (!IsOneToken(email)) return false;
  return SendListCommand("REM", "BL", Ansi(email)) && SendListCommand("ADC", "AL", "N=" + Ansi(email));
}

MsnListService::SearchStart MsnListService::Search(std::u16string_view address, int& transactionId) {
  const std::u16string wanted = Lower(address.substr(0, kMaxSearchLength));
  if (!IsOneToken(wanted)) return SearchStart::NotSent;
  if (wanted == Lower(ownEmail_)) return SearchStart::OwnAddress;
  if (list_.FindByEmail(wanted)) return SearchStart::AlreadyContact;
  // The id is known before the line goes out, so the reply can never come first unclaimed.
  std::lock_guard lock(probesMutex_);
  const bool sent = hooks_.send([&](int id) {
    transactionId = id;
    probes_.insert(id);
    return "ADC " + std::to_string(id) + " BL N=" + Ansi(wanted);
  });
  if (!sent) {
    probes_.erase(transactionId);
    return SearchStart::NotSent;
  }
  return SearchStart::Sent;
}

}  // namespace quelt::msn
