#include "ui/windows/ContactRows.h"

#include <algorithm>

#include "ui/windows/Collator.h"

namespace quelt::ui {
namespace {

bool Online(const ContactEntry& contact) { return contact.presence != -1; }

bool Active(const ContactEntry& contact) {
  return contact.openChat || contact.unread || contact.typing || contact.asksAuthorization;
}

}  // namespace

bool Listed(const ContactEntry& contact) {
  const bool online = Online(contact) && (contact.protocol != Protocol::Icq || contact.options.showStatus);
  return online || contact.unread || contact.openChat || contact.typing;
}

std::vector<ContactRow> BuildRows(std::span<const ContactEntry> contacts,
                                  std::span<const ConversationEntry> conversations, const RowRules& rules,
                                  Collator& collator) {
  std::vector<ContactRow> rows;
  int top = 0;
  const auto add = [&](ContactRow row) {
    row.top = top;
    top += row.height;
    rows.push_back(std::move(row));
  };
  if (rules.header) add(ContactRow{.kind = ContactRow::Kind::Header, .key = kHeaderKey, .height = rules.headerHeight});
  for (const ConversationEntry& conversation : conversations) {
    const int lines = std::max<int>(1, static_cast<int>(conversation.participants.size()));
    add(ContactRow{.kind = ContactRow::Kind::Conversation,
                   .key = conversation.id,
                   .height = rules.conversationHeight * lines,
                   .conversation = conversation});
  }
  // The contacts kept, with their order keys made once, so that sorting only compares bytes;
  // rows are made for them alone, already in order.
  struct Kept {
    bool active;
    bool online;
    bool named;
    const std::string* name;
    const std::string* id;
    const ContactEntry* contact;
    std::optional<resources::TextMatch> highlight;
  };
  std::vector<Kept> kept;
  kept.reserve(contacts.size());
  collator.Reserve(2 * contacts.size());
  for (const ContactEntry& contact : contacts) {
    std::optional<resources::TextMatch> highlight;
    if (rules.quickSearch != nullptr) {
      const auto match = resources::QuickSearchTest(contact.displayName, contact.id, *rules.quickSearch);
      if (!match.matches) continue;
      highlight = match.highlight;
    } else if (!rules.showOffline && !Listed(contact)) {
      continue;
    }
    kept.push_back({Active(contact), Online(contact), !contact.displayName.empty(),
                    &collator.KeyOf(contact.displayName), &collator.KeyOf(contact.id), &contact, highlight});
  }
  std::sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) {
    if (a.active != b.active) return a.active;
    if (a.online != b.online) return a.online;
    if (a.named != b.named) return !a.named;
    if (const int name = a.named ? a.name->compare(*b.name) : 0; name != 0) return name < 0;
    return *a.id < *b.id;
  });
  rows.reserve(rows.size() + kept.size());
  for (const Kept& entry : kept) {
    add(ContactRow{.kind = ContactRow::Kind::Contact,
                   .key = entry.contact->id,
                   .height = rules.contactHeight,
                   .contact = *entry.contact,
                   .highlight = entry.highlight});
  }
  return rows;
}

std::optional<size_t> Navigate(std::span<const ContactRow> rows, std::optional<size_t> selected, size_t topRow,
                               int viewHeight, Navigation move, bool scrolling) {
  if (rows.empty()) return std::nullopt;
  const size_t last = rows.size() - 1;
  topRow = std::min(topRow, last);
  switch (move) {
    case Navigation::Up:
      if (!selected) return topRow;
      if (*selected == 0) return scrolling ? last : 0;
      return *selected - 1;
    case Navigation::Down:
      if (!selected) return topRow;
      if (*selected >= last) return scrolling ? 0 : last;
      return *selected + 1;
    case Navigation::PageUp: {
      if (!selected || *selected != topRow) return topRow;
      // The first row whose top lies within one view above the current row's top.
      const int limit = rows[*selected].top - viewHeight;
      size_t index = *selected;
      while (index > 0 && rows[index - 1].top >= limit) --index;
      return index;
    }
    case Navigation::PageDown: {
      // The last row that fits completely in the view starting at the top row.
      size_t fits = topRow;
      while (fits < last && rows[fits + 1].top + rows[fits + 1].height <= rows[topRow].top + viewHeight) ++fits;
      if (!selected || *selected != fits) return fits;
      // Already there: the last row whose bottom lies within one view below the current top.
      const int limit = rows[*selected].top + viewHeight;
      size_t index = *selected;
      while (index < last && rows[index + 1].top + rows[index + 1].height <= limit) ++index;
      return index;
    }
  }
  return selected;
}

size_t ScrollToShow(std::span<const ContactRow> rows, size_t topRow, std::optional<size_t> selected, int viewHeight) {
  if (rows.empty()) return 0;
  topRow = std::min(topRow, rows.size() - 1);
  const int content = rows.back().top + rows.back().height;
  if (content <= viewHeight) return 0;
  if (!selected) return topRow;
  if (*selected < topRow) return *selected;
  const ContactRow& row = rows[*selected];
  while (topRow < *selected && row.top + row.height > rows[topRow].top + viewHeight) ++topRow;
  return topRow;
}

}  // namespace quelt::ui
