#pragma once

#include <atomic>
#include <filesystem>

#include "core/ApplicationServices.h"

namespace quelt::test {

// Counts the sounds and vibrations asked for, instead of making them.
class CountingNotifier final : public core::Notifier {
 public:
  void PlaySound(const std::filesystem::path&) override { ++sounds; }
  void Vibrate(int) override { ++vibrations; }
  std::atomic<int> sounds{0};
  std::atomic<int> vibrations{0};
};

}  // namespace quelt::test
