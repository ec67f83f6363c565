#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/ApplicationServices.h"
#include "core/EventListener.h"
#include "core/ReconnectMachine.h"
#include "core/SessionWorker.h"
#include "icq/FlapFrame.h"
#include "icq/IcqDirectory.h"
#include "icq/IcqListService.h"
#include "icq/IcqListState.h"
#include "icq/IcqMessaging.h"
#include "icq/IcqTimings.h"
#include "net/ChannelOwner.h"
#include "net/IcqChannel.h"
#include "platform/Event.h"
#include "resources/SmileySet.h"

namespace quelt::core {
class Application;
class Conversation;
}  // namespace quelt::core

namespace quelt::icq {

class IcqLoginHandler;
class IcqStartup;

// One ICQ account: brings it from offline to online through the login server and the
// basic-services (BOS) server it redirects to, keeps it there with keep-alives, and reconnects
// with a growing back-off. The session thread runs the connection state machine; every frame,
// and a connection's end after its frames, is handled on the hub thread by the listeners. Create
// through Create, then Start.
class IcqSession final : public core::ProtocolSession,
                         public core::EventListener,
                         public net::ChannelOwner,
                         public std::enable_shared_from_this<IcqSession>,
                         private core::SessionWorker {
 public:
  static constexpr int kLoginConnection = 0;
  static constexpr int kBosConnection = 1;

  // Registers the session's engine listener with the application.
  [[nodiscard]] static std::shared_ptr<IcqSession> Create(core::Application& application, std::u16string uin,
                                                          IcqTimings timings = {});
  ~IcqSession() override;

  // core::ProtocolSession
  void Start() override;
  void Stop() override;
  void Disconnect() override;
  void Shutdown() override;
  void OnNetworkLost() override;
  [[nodiscard]] int32_t Presence() const override { return desiredStatus_.load(); }
  [[nodiscard]] bool WaitUntilEnded(uint32_t timeoutMs) override { return ended_.Wait(timeoutMs); }

  // The status the user chose (SetIcqStatus): -1 goes offline; anything else signs in.
  void SetStatus(int32_t status);

  [[nodiscard]] const std::u16string& Uin() const { return uin_; }
  [[nodiscard]] bool IsOnline() const { return online_.load(); }
  [[nodiscard]] IcqListState ListState() const { return list_->List().State(); }
  void SetListState(const IcqListState& state) { list_->List().SetState(state); }
  // The server-side list and its edits, messages, and the directory (for the windows).
  [[nodiscard]] IcqListService& ContactList() { return *list_; }
  [[nodiscard]] IcqMessaging& Messaging() { return *messaging_; }
  [[nodiscard]] IcqDirectory& Directory() { return *directory_; }
  // The smileys of SMILE_SOURCE, loading since the session was made.
  [[nodiscard]] const std::shared_ptr<resources::SmileySet>& Smileys() const { return smileys_; }
  // The conversation with a contact, made on first use; it holds the contact's history.
  [[nodiscard]] std::shared_ptr<core::Conversation> ConversationWith(const std::string& uin);

  // core::EventListener: the engine listener (status requests, frames to write, frames that
  // concern the whole session, connections that ended).
  void OnEvent(const core::AppEventPtr& event) override;

  // net::ChannelOwner, on the channels' I/O threads.
  void OnConnected(net::SocketChannel& channel) override;
  void OnConnectFailed(net::SocketChannel& channel) override;
  void OnDisconnected(net::SocketChannel& channel, bool byRequest) override;
  void OnTraffic(uint32_t bytes) override;
  [[nodiscard]] std::optional<size_t> Parse(net::SocketChannel& channel, std::span<const uint8_t> buffer,
                                            size_t offset) override;
  void OnPacketSent(net::SocketChannel& channel, const net::PacketPtr& packet) override;

  // For the login handler and the start-up listener, on the hub thread.
  [[nodiscard]] core::Application& App() const { return application_; }
  void SendOnLogin(FramePtr frame);
  void SendOnBos(FramePtr frame);
  void OnRedirected(std::string host, std::string port, std::vector<uint8_t> cookie);
  void OnLoginRefused(uint16_t code);
  void OnStartupDone();
  [[nodiscard]] int32_t DesiredStatus() const { return desiredStatus_.load(); }

 private:
  IcqSession(core::Application& application, std::u16string uin, IcqTimings timings);

  using Outcome = core::ReconnectMachine::Outcome;
  using Woken = core::ReconnectMachine::Woken;

  void RunSession();
  void RunKeepAlive();
  void ThreadEnded();
  // Login, redirect, BOS start-up, then online until something ends it.
  [[nodiscard]] Outcome Attempt();
  [[nodiscard]] Outcome StayOnline();
  // Leaves a phase of the attempt early: tidies up and says where the machine goes next.
  [[nodiscard]] Outcome Abandon(int kind, const Woken& woken);
  [[nodiscard]] std::shared_ptr<net::IcqChannel> OpenChannel(int kind, std::string host, std::string port);
  void CloseChannel(int kind);
  void UnregisterHandlers();
  void PostProgress(std::string_view languageKey);
  void OnServerDisconnect(const FlapFrame& frame);
  // Hub thread: a connection ended after everything it received was handled.
  void OnConnectionClosed(uint64_t connection);
  // The id of the session's current connection on that channel; 0 for a channel replaced.
  [[nodiscard]] uint64_t ConnectionIdOf(const net::SocketChannel& channel) const;
  void OnPresence(const SnacCommand& snac);
  void ResetPresence();
  void MoveWorkingHostToFront();
  [[nodiscard]] std::filesystem::path HistoryFolder() const;

  core::Application& application_;
  const std::u16string uin_;
  const IcqTimings timings_;

  std::atomic<int32_t> desiredStatus_{-1};
  std::atomic<bool> online_{false};
  int32_t loginHostIndex_ = -1;  // session thread only
  uint32_t loginCounter_ = 1;
  uint32_t bosCounter_ = 1;
  std::vector<std::shared_ptr<net::IcqChannel>> retired_;  // closed channels, session thread only

  mutable std::mutex mutex_;  // what the hub thread and the session thread share
  std::string bosHost_;
  std::string bosPort_;
  std::vector<uint8_t> cookie_;
  std::shared_ptr<net::IcqChannel> loginChannel_;
  std::shared_ptr<net::IcqChannel> bosChannel_;
  uint64_t loginConnectionId_ = 0;
  uint64_t bosConnectionId_ = 0;
  std::shared_ptr<IcqLoginHandler> loginHandler_;
  std::shared_ptr<IcqStartup> startup_;
  std::map<std::string, std::shared_ptr<core::Conversation>> conversations_;
  std::unique_ptr<IcqListService> list_;
  std::unique_ptr<IcqMessaging> messaging_;
  std::unique_ptr<IcqDirectory> directory_;
  std::shared_ptr<resources::SmileySet> smileys_;

  core::ReconnectMachine machine_;
  using Signal = platform::Event;
  Signal loginConnected_{Signal::Mode::ManualReset};
  Signal redirected_{Signal::Mode::ManualReset};
  Signal loginFailed_{Signal::Mode::ManualReset};
  Signal bosConnected_{Signal::Mode::ManualReset};
  Signal startupDone_{Signal::Mode::ManualReset};
  Signal bosFailed_{Signal::Mode::ManualReset};

  std::atomic<bool> started_{false};
  std::atomic<int> runningThreads_{0};
  // Signalled while neither session thread (nor a connection of theirs) runs.
  Signal ended_{Signal::Mode::ManualReset, true};
  std::thread sessionThread_;
  std::thread keepAliveThread_;
};

}  // namespace quelt::icq
