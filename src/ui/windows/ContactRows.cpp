#include "ui/windows/ContactRows.h"

#include <algorithm>

#include "ui/windows/Collator.h"

namespace quelt::ui {
namespace {

bool Online(const ContactEntry& contact) { return contact.presence != -1; }

bool Active(const ContactEntry& contact) {
  return contact.openChat || contact.unread || contact.typing || contact.asksAuthorization;
}

int CompareTexts(const std::u16string& a, const std::u16string& b, Collator& collator) {
  if (a.empty() || b.empty()) return static_cast<int>(!a.empty()) - static_cast<int>(!b.empty());
  return collator.Compare(a, b);
}

}  // namespace

bool Listed(const ContactEntry& contact) {
  const bool online = Online(contact) && (contact.protocol != Protocol::Icq || contact.showStatus);
  return online || contact.unread || contact.openChat || contact.typing;
}

int CompareContacts(const ContactEntry& a, const ContactEntry& b, Collator& collator) {
  if (const int active = static_cast<int>(Active(b)) - static_cast<int>(Active(a)); active != 0) return active;
  if (const int online = static_cast<int>(Online(b)) - static_cast<int>(Online(a)); online != 0) return online;
  if (const int name = CompareTexts(a.displayName, b.displayName, collator); name != 0) return name;
  return CompareTexts(a.id, b.id, collator);
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
  std::vector<ContactRow> kept;
  for (const ContactEntry& contact : contacts) {
    ContactRow row{
        .kind = ContactRow::Kind::Contact, .key = contact.id, .height = rules.contactHeight, .contact = contact};
    if (rules.quickSearch != nullptr) {
      const auto match = resources::QuickSearchTest(contact.displayName, contact.id, *rules.quickSearch);
      if (!match.matches) continue;
      row.highlight = match.highlight;
    } else if (!rules.showOffline && !Listed(contact)) {
      continue;
    }
    kept.push_back(std::move(row));
  }
  std::sort(kept.begin(), kept.end(), [&collator](const ContactRow& a, const ContactRow& b) {
    return CompareContacts(a.contact, b.contact, collator) < 0;
  });
  for (ContactRow& row : kept) add(std::move(row));
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
