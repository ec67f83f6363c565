#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "resources/QuickSearchMatch.h"
#include "ui/model/AccountModel.h"

namespace quelt::ui {

class Collator;

// One row of the contact list: the header, an MSN multi-party conversation, or a contact.
struct ContactRow {
  enum class Kind { Header, Conversation, Contact };
  Kind kind = Kind::Contact;
  std::u16string key;  // what the selection holds: "1" for the header, else the identifier
  int top = 0;
  int height = 0;
  ContactEntry contact;                           // of a contact row
  ConversationEntry conversation;                 // of a conversation row
  std::optional<resources::TextMatch> highlight;  // of the quick-search match in the name
};

inline constexpr char16_t kHeaderKey[] = u"1";

// What decides which rows there are.
struct RowRules {
  bool header = false;                                // quick search is on, or a notice waits
  bool showOffline = false;                           // SHOW_OFFLINE
  const resources::TypedKeys* quickSearch = nullptr;  // while quick search is on
  int contactHeight = 17;
  int conversationHeight = 17;  // for each participant line of a conversation row
  int headerHeight = 17;
};

// Whether a contact is listed outside quick search: online (for ICQ, while it shows its status),
// or with an unread message, an open chat or a typing notice.
[[nodiscard]] bool Listed(const ContactEntry& contact);
// The rows top to bottom: the header, the conversation rows, then the contacts filtered and in
// the list's order: active ones (open chat, unread, typing, asking for authorization) first, then
// online before offline, then by display name (an empty one first) as the locale sorts, then by
// identifier. Each row has its top and height.
[[nodiscard]] std::vector<ContactRow> BuildRows(std::span<const ContactEntry> contacts,
                                                std::span<const ConversationEntry> conversations, const RowRules& rules,
                                                Collator& collator);

// A move asked of the selection; applied at the next paint, in order.
enum class Navigation { Down, Up, PageUp, PageDown };

// The selection after a move: `selected` is the selected row's index (none: no selection),
// `topRow` the first visible row, `viewHeight` the list's height in pixels.
[[nodiscard]] std::optional<size_t> Navigate(std::span<const ContactRow> rows, std::optional<size_t> selected,
                                             size_t topRow, int viewHeight, Navigation move, bool scrolling);
// The first visible row after scrolling the selection into view.
[[nodiscard]] size_t ScrollToShow(std::span<const ContactRow> rows, size_t topRow, std::optional<size_t> selected,
                                  int viewHeight);

}  // namespace quelt::ui
