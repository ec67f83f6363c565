#include "resources/SmileySet.h"

#include <new>

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/OutOfMemory.h"
#include "platform/TextCodec.h"
#include "resources/SetLocator.h"

namespace quelt::resources {

std::shared_ptr<SmileySet> SmileySet::Create(std::filesystem::path smiliesFolder, std::u16string file,
                                             bool descriptionOnly) {
  auto set = std::shared_ptr<SmileySet>(new SmileySet());
  // The thread may use the raw pointer: the destructor joins it before the set goes.
  SmileySet* raw = set.get();
  set->loader_ = std::thread([raw, folder = std::move(smiliesFolder), name = std::move(file), descriptionOnly] {
    platform::GuardOutOfMemory([&] { raw->Load(folder, name, descriptionOnly); });
    {
      std::lock_guard lock(raw->mutex_);
      raw->loaded_ = true;
    }
    raw->changed_.notify_all();
  });
  return set;
}

SmileySet::~SmileySet() {
  if (loader_.joinable()) loader_.join();
}

void SmileySet::Load(const std::filesystem::path& smiliesFolder, const std::u16string& file, bool descriptionOnly) {
  const std::u16string name = file.empty() ? u"Default.Smilies.xml" : file;
  const auto folder = FindSetFolder(smiliesFolder, name);
  if (!folder) return;
  const auto bytes = platform::ReadWholeFile(*folder / platform::Utf16ToUtf8(name), 4u << 20);
  if (!bytes) return;
  if (auto table = SmileyTable::Parse(*bytes, *folder, descriptionOnly)) table_ = std::move(*table);
}

bool SmileySet::WaitLoaded() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return loaded_ || cancelled_; });
  return loaded_;
}

void SmileySet::Cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  changed_.notify_all();
}

std::optional<SmileyMatch> SmileySet::MatchAt(std::u16string_view text, size_t position) {
  if (!WaitLoaded() || !table_.HasImages()) return std::nullopt;
  return table_.MatchAt(text, position);
}

}  // namespace quelt::resources
