#include "core/HistoryStore.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "core/HistoryIndex.h"
#include "core/LockedFile.h"

namespace quelt::core {
namespace {

constexpr uint8_t kByteOrderMark[] = {0xFF, 0xFE};
constexpr uint64_t kMaxFileOffset = UINT32_MAX;

std::optional<LockedFile> OpenLocked(const std::filesystem::path& path, int flags, LockedFile::Lock lock,
                                     const HistoryTimings& timings, int& error) {
  return LockedFile::Open(path, flags, lock, {timings.lockRetryMs, timings.lockWaitLimitMs}, error);
}

void AppendUtf16Le(std::vector<uint8_t>& out, std::u16string_view text) {
  for (const char16_t c : text) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
}

std::u16string DecodeUtf16Le(std::span<const uint8_t> bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return text;
}

// Opens a file for writing; the participants and text files may need the account folder made
// first. HISTORY_FOLDER itself is never created.
std::optional<LockedFile> OpenForWriting(const std::filesystem::path& path, const std::filesystem::path& folder,
                                         const HistoryTimings& timings) {
  int error = 0;
  auto file = OpenLocked(path, O_RDWR | O_CREAT, LockedFile::Lock::Exclusive, timings, error);
  if (file || error != ENOENT || folder.empty()) return file;
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return std::nullopt;
  return OpenLocked(path, O_RDWR | O_CREAT, LockedFile::Lock::Exclusive, timings, error);
}

bool WriteParticipantsFile(const Conversation& conversation, const std::vector<std::u16string>& participants,
                           const HistoryTimings& timings) {
  const HistoryPaths& paths = conversation.Paths();
  auto file = OpenForWriting(paths.participantsFile, paths.accountFolder, timings);
  if (!file) return false;
  std::vector<uint8_t> bytes(std::begin(kByteOrderMark), std::end(kByteOrderMark));
  for (size_t i = 1; i < participants.size(); ++i) {
    AppendUtf16Le(bytes, participants[i]);
    AppendUtf16Le(bytes, u"\r\n");
  }
  // Truncated only now: opening with O_TRUNC would cut the file before the lock is held.
  return file->Truncate(0) && file->WriteAt(0, bytes) && file->Close();
}

}  // namespace

bool AppendMessages(Conversation& conversation, std::span<const PendingMessage> messages,
                    const HistoryTimings& timings) {
  if (messages.empty()) return true;
  if (auto participants = conversation.TakePendingParticipants()) {
    if (!WriteParticipantsFile(conversation, *participants, timings)) {
      conversation.MarkParticipantsFilePending();
      return false;
    }
  }
  const HistoryPaths& paths = conversation.Paths();

  // The text file stays locked until the index records are written, so that clearing the history
  // or another append can never come between a text and its record.
  auto textFile = OpenForWriting(paths.textFile, paths.accountFolder, timings);
  if (!textFile) return false;
  const std::optional<uint64_t> textSize = textFile->Size();
  if (!textSize) return false;
  std::vector<uint8_t> entries;
  if (*textSize == 0) entries.assign(std::begin(kByteOrderMark), std::end(kByteOrderMark));
  std::vector<IndexRecord> records;
  records.reserve(messages.size());
  for (const PendingMessage& message : messages) {
    const uint64_t offset = *textSize + entries.size();
    // A wrapped 32-bit offset would point the record at some older message.
    if (message.text.size() > kMaxFileOffset / 2 || offset > kMaxFileOffset) return false;
    const auto textLength = static_cast<uint32_t>(message.text.size() * 2);
    AppendUtf16Le(entries, message.text);
    AppendUtf16Le(entries, u"\r\n");
    records.push_back({message.time, message.sender, static_cast<uint32_t>(offset), textLength});
  }
  const auto undoText = [&] {
    (void)textFile->Truncate(*textSize);
    return false;
  };
  if (!textFile->WriteAt(*textSize, entries)) return undoText();

  auto indexFile = OpenForWriting(paths.indexFile, {}, timings);
  if (!indexFile) return undoText();
  const std::optional<uint64_t> indexSize = indexFile->Size();
  if (!indexSize) return undoText();
  // A torn record from an interrupted write is dropped; a torn header is written again.
  const uint64_t whole = *indexSize - *indexSize % kIndexRecordSize;
  if (whole != *indexSize && !indexFile->Truncate(whole)) return undoText();
  std::vector<uint8_t> bytes;
  if (whole == 0) {
    const auto header = EncodeIndexHeader();
    bytes.assign(header.begin(), header.end());
  }
  for (const IndexRecord& record : records) {
    const auto encoded = EncodeIndexRecord(record);
    bytes.insert(bytes.end(), encoded.begin(), encoded.end());
  }
  if (!indexFile->WriteAt(whole, bytes)) {
    (void)indexFile->Truncate(whole);
    return undoText();
  }
  if (!indexFile->Close()) return undoText();
  return true;
}

bool AppendMessage(Conversation& conversation, const MessageTime& time, std::u16string_view senderId,
                   std::u16string_view text, const HistoryTimings& timings) {
  const PendingMessage message{time, conversation.SenderPosition(senderId), std::u16string(text)};
  return AppendMessages(conversation, std::span(&message, 1), timings);
}

namespace {

// Reads the records that `pick` chooses, given the index file's size, oldest first; records that
// point outside the text file are left out. `total` gets how many whole records the index held.
template <class Pick>
std::optional<std::vector<HistoryMessage>> ReadRecordRange(Conversation& conversation, const HistoryTimings& timings,
                                                           Pick pick, uint64_t* total = nullptr) {
  const HistoryPaths& paths = conversation.Paths();
  // Locks are always taken text file first, then index file, by readers and writers alike.
  int error = 0;
  auto textFile = OpenLocked(paths.textFile, O_RDONLY, LockedFile::Lock::Shared, timings, error);
  if (!textFile) return std::nullopt;
  auto indexFile = OpenLocked(paths.indexFile, O_RDONLY, LockedFile::Lock::Shared, timings, error);
  if (!indexFile) return std::nullopt;
  const std::optional<uint64_t> indexSize = indexFile->Size();
  const std::optional<uint64_t> textSize = textFile->Size();
  if (!indexSize || !textSize) return std::nullopt;
  if (total != nullptr) {
    const uint64_t whole = *indexSize - *indexSize % kIndexRecordSize;
    *total = whole > kIndexHeaderSize ? (whole - kIndexHeaderSize) / kIndexRecordSize : 0;
  }
  const std::optional<IndexRange> range = pick(*indexSize);
  if (!range) return std::vector<HistoryMessage>{};
  std::vector<uint8_t> records(range->end - range->begin);
  if (!indexFile->ReadAt(range->begin, records)) return std::nullopt;

  std::vector<HistoryMessage> messages;
  std::vector<uint8_t> bytes;
  for (size_t at = 0; at < records.size(); at += kIndexRecordSize) {
    const auto record = DecodeIndexRecord(std::span(records).subspan(at));
    if (!record || uint64_t{record->textOffset} + record->textLength > *textSize) continue;
    bytes.resize(record->textLength);
    if (!bytes.empty() && !textFile->ReadAt(record->textOffset, bytes)) continue;
    messages.push_back({record->time, record->sender, DecodeUtf16Le(bytes)});
  }
  return messages;
}

}  // namespace

std::optional<std::vector<HistoryMessage>> ReadPage(Conversation& conversation, uint32_t skip,
                                                    const HistoryTimings& timings) {
  auto page = ReadRecordRange(conversation, timings, [skip](uint64_t indexSize) { return PageRange(indexSize, skip); });
  if (!page || page->empty()) return std::nullopt;
  std::reverse(page->begin(), page->end());
  return page;
}

std::optional<HistorySlice> ReadRecords(Conversation& conversation, uint64_t first, uint32_t count,
                                        const HistoryTimings& timings) {
  HistorySlice slice;
  auto messages = ReadRecordRange(
      conversation, timings,
      [first, count](uint64_t indexSize) -> std::optional<IndexRange> {
        const uint64_t whole = indexSize - indexSize % kIndexRecordSize;
        if (whole <= kIndexHeaderSize || count == 0) return std::nullopt;
        const uint64_t stored = (whole - kIndexHeaderSize) / kIndexRecordSize;
        if (first >= stored) return std::nullopt;
        const uint64_t last = std::min<uint64_t>(stored, first + count);
        return IndexRange{kIndexHeaderSize + first * kIndexRecordSize, kIndexHeaderSize + last * kIndexRecordSize};
      },
      &slice.total);
  if (!messages) return std::nullopt;
  slice.messages = std::move(*messages);
  return slice;
}

bool ClearHistory(Conversation& conversation, const HistoryTimings& timings) {
  const HistoryPaths& paths = conversation.Paths();
  // Holding both locks keeps the deletion from falling between an append's text and its record.
  // A file still locked after the wait is being written: deleting it would lose that message.
  int error = 0;
  auto textFile = OpenLocked(paths.textFile, O_RDONLY, LockedFile::Lock::Exclusive, timings, error);
  if (!textFile && error != ENOENT) return false;
  auto indexFile = OpenLocked(paths.indexFile, O_RDONLY, LockedFile::Lock::Exclusive, timings, error);
  if (!indexFile && error != ENOENT) return false;
  std::error_code ignored;
  if (conversation.HasParticipantsFile()) std::filesystem::remove(paths.participantsFile, ignored);
  std::filesystem::remove(paths.indexFile, ignored);
  std::filesystem::remove(paths.textFile, ignored);
  conversation.MarkParticipantsFilePending();
  return true;
}

}  // namespace quelt::core
