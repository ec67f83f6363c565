#pragma once

#include <algorithm>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "ui/model/AccountModel.h"

namespace quelt::ui {

// The chats the windows hold: what makes a row show an open chat, and what a second opening of
// the same chat finds. Looked up by the chat's identifier of the moment, which changes when an
// MSN chat grows into a multi-party one. Thread-safe.
class OpenChats {
 public:
  [[nodiscard]] std::shared_ptr<ChatModel> Find(std::u16string_view id) const {
    std::lock_guard lock(mutex_);
    for (const auto& weak : chats_) {
      if (auto chat = weak.lock(); chat && chat->Id() == id) return chat;
    }
    return nullptr;
  }
  [[nodiscard]] bool IsOpen(std::u16string_view id) const { return Find(id) != nullptr; }
  void Add(const std::shared_ptr<ChatModel>& chat) {
    std::lock_guard lock(mutex_);
    std::erase_if(chats_, [](const auto& weak) { return weak.expired(); });
    chats_.push_back(chat);
  }
  void Remove(const ChatModel* chat) {
    std::lock_guard lock(mutex_);
    std::erase_if(chats_, [chat](const auto& weak) {
      const auto held = weak.lock();
      return !held || held.get() == chat;
    });
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::weak_ptr<ChatModel>> chats_;
};

}  // namespace quelt::ui
