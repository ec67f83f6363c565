#pragma once

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "resources/SmileyTable.h"

namespace quelt::resources {

// A smiley set loading in the background. Readers call WaitLoaded first; the table it then
// offers never changes. A set whose file is missing or unreadable is empty.
class SmileySet {
 public:
  // Starts loading `file` (empty: "Default.Smilies.xml") from the first subfolder of
  // `smiliesFolder` that holds it; returns at once.
  [[nodiscard]] static std::shared_ptr<SmileySet> Create(std::filesystem::path smiliesFolder, std::u16string file,
                                                         bool descriptionOnly = false);
  // Waits for the loader thread.
  ~SmileySet();
  SmileySet(const SmileySet&) = delete;
  SmileySet& operator=(const SmileySet&) = delete;

  // True once loaded; false when Cancel came first (the program is quitting).
  bool WaitLoaded();
  void Cancel();

  // After a successful WaitLoaded.
  [[nodiscard]] const SmileyTable& Table() const { return table_; }
  // Nothing for a set without pictures, which stays text in messages.
  [[nodiscard]] std::optional<SmileyMatch> MatchAt(std::u16string_view text, size_t position);

 private:
  SmileySet() = default;
  void Load(const std::filesystem::path& smiliesFolder, const std::u16string& file, bool descriptionOnly);

  std::mutex mutex_;
  std::condition_variable changed_;
  bool loaded_ = false;
  bool cancelled_ = false;
  SmileyTable table_;  // written by the loader before loaded_ is set, read-only afterwards
  std::thread loader_;
};

}  // namespace quelt::resources
