#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/ApplicationServices.h"
#include "core/SessionWorker.h"

namespace quelt::test {

// A protocol session that records what the application asks of it. It counts as a live worker
// while it exists, like the real sessions.
class FakeSession final : public core::ProtocolSession, private core::SessionWorker {
 public:
  explicit FakeSession(std::u16string accountName) : account(std::move(accountName)) {}
  void Start() override { started = true; }
  void Stop() override { stopped = true; }
  void Disconnect() override { disconnected = true; }
  void Shutdown() override { shutDown = true; }
  void OnNetworkLost() override { networkLost = true; }
  [[nodiscard]] int32_t Presence() const override { return presence.load(); }
  [[nodiscard]] bool WaitUntilEnded(uint32_t) override { return true; }

  const std::u16string account;
  std::atomic<int32_t> presence{-1};
  std::atomic<bool> started{false};
  std::atomic<bool> stopped{false};
  std::atomic<bool> disconnected{false};
  std::atomic<bool> shutDown{false};
  std::atomic<bool> networkLost{false};
};

class FakeSessionFactory final : public core::SessionFactory {
 public:
  std::shared_ptr<core::ProtocolSession> CreateIcqSession(core::Application&, const std::u16string& uin) override {
    return Remember(icq, uin);
  }
  std::shared_ptr<core::ProtocolSession> CreateMsnSession(core::Application&, const std::u16string& email) override {
    return Remember(msn, email);
  }

  [[nodiscard]] std::vector<std::shared_ptr<FakeSession>> IcqCreated() const {
    std::lock_guard lock(mutex_);
    return icq;
  }
  [[nodiscard]] std::vector<std::shared_ptr<FakeSession>> MsnCreated() const {
    std::lock_guard lock(mutex_);
    return msn;
  }

 private:
  std::shared_ptr<core::ProtocolSession> Remember(std::vector<std::shared_ptr<FakeSession>>& list,
                                                  const std::u16string& account) {
    auto session = std::make_shared<FakeSession>(account);
    std::lock_guard lock(mutex_);
    list.push_back(session);
    return session;
  }

  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<FakeSession>> icq;
  std::vector<std::shared_ptr<FakeSession>> msn;
};

class FakeConnectionRequester final : public core::ConnectionRequester {
 public:
  void RequestConnection(core::Application&) override { ++requests; }
  std::atomic<int> requests{0};
};

// Records the order of save and load calls on the download list.
class FakeDownloadStore final : public core::DownloadListStore {
 public:
  void SaveList() override { Record("save"); }
  void LoadList(const std::shared_ptr<core::Settings>& settings) override {
    Record("load");
    std::lock_guard lock(mutex_);
    lastLoadedWith = settings;
  }

  [[nodiscard]] std::vector<std::string> Calls() const {
    std::lock_guard lock(mutex_);
    return calls;
  }
  [[nodiscard]] std::shared_ptr<core::Settings> LastLoadedWith() const {
    std::lock_guard lock(mutex_);
    return lastLoadedWith;
  }

 private:
  void Record(std::string call) {
    std::lock_guard lock(mutex_);
    calls.push_back(std::move(call));
  }

  mutable std::mutex mutex_;
  std::vector<std::string> calls;
  std::shared_ptr<core::Settings> lastLoadedWith;
};

}  // namespace quelt::test
