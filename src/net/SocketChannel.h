#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "net/ChannelOwner.h"
#include "net/NetTimings.h"
#include "net/Packet.h"
#include "platform/Event.h"
#include "platform/UniqueFd.h"
#include "platform/Waker.h"

namespace quelt::net {

// One TCP connection and its I/O thread. The thread connects, then waits at once on the socket,
// on queued packets and on a stop request; it hands received bytes to the parser and writes
// queued packets. Start, Stop, IsRunning and Send may be called from any thread; every owner
// callback runs on the I/O thread, with no lock held. A channel runs once: engines make a new
// one for each connection.
//
// The I/O thread holds the channel and its owner for as long as it runs, so neither goes away
// under it; the channel holds its owner only weakly otherwise.
class SocketChannel : public std::enable_shared_from_this<SocketChannel> {
 public:
  virtual ~SocketChannel();
  SocketChannel(const SocketChannel&) = delete;
  SocketChannel& operator=(const SocketChannel&) = delete;

  // Starts the I/O thread unless it runs or has run already, or was stopped before.
  void Start();
  // Asks the I/O thread to end; returns at once. Before Start it keeps the channel from running.
  void Stop();
  // Queues a farewell and ends the connection once it and everything queued before it are
  // written; returns at once. Nothing more is accepted. A stop ends it sooner.
  void StopAfterSending(PacketPtr last);
  [[nodiscard]] bool IsRunning() const;
  // Started, and running no more (a channel not yet started has not ended).
  [[nodiscard]] bool HasEnded();
  // Queues a packet; false (and the packet dropped) when the channel is not running.
  bool Send(PacketPtr packet);
  // Waits until the I/O thread has ended (or was never started); false on time-out.
  [[nodiscard]] bool WaitUntilEnded(uint32_t timeoutMs);

  [[nodiscard]] int Kind() const { return kind_; }
  [[nodiscard]] const std::string& Host() const { return host_; }
  [[nodiscard]] const std::string& Port() const { return port_; }

 protected:
  SocketChannel(std::weak_ptr<ChannelOwner> owner, int kind, std::string host, std::string port, NetTimings timings);

  // The variant's steps, all on the I/O thread. Connect may use cancelFd to give up at once.
  [[nodiscard]] virtual Connection Connect(int cancelFd) = 0;
  virtual void OnConnectedSocket(ChannelOwner& owner) = 0;
  virtual void ReportConnectFailed(ChannelOwner& owner) = 0;
  virtual void ReportEnded(ChannelOwner& owner, bool connected, bool byRequest) = 0;
  [[nodiscard]] virtual std::optional<size_t> ParseUnit(ChannelOwner& owner, std::span<const uint8_t> buffer,
                                                        size_t offset) = 0;
  // Writes a batch taken from the queue; false ends the connection.
  [[nodiscard]] virtual bool WriteBatch(ChannelOwner& owner, int socket, std::vector<PacketPtr>& batch) = 0;
  // Called for every chunk received, before parsing.
  virtual void OnReceived() {}

  // For the variants' writers: writes every byte, waiting for the socket as needed and giving up
  // when Stop is called. Returns false on failure or stop.
  [[nodiscard]] bool WriteAll(int socket, std::span<const uint8_t> bytes);
  // Sleeps up to `milliseconds`, waking early (false) when Stop is called.
  [[nodiscard]] bool WaitOrStop(uint32_t milliseconds);
  [[nodiscard]] const NetTimings& Timings() const { return timings_; }
  [[nodiscard]] bool StopRequested() const { return stopRequested_.load(); }

 private:
  void Run(ChannelOwner& owner);
  void Loop(ChannelOwner& owner, int socket, bool& byRequest);
  enum class Receipt { Data, Nothing, Ended };  // Ended: closed, failed or broke the protocol
  [[nodiscard]] Receipt ReceiveAndParse(ChannelOwner& owner, int socket);
  [[nodiscard]] bool ParseBuffered(ChannelOwner& owner);
  [[nodiscard]] std::span<const uint8_t> Buffered() const;
  void Finish();

  const std::weak_ptr<ChannelOwner> owner_;
  const int kind_;
  const std::string host_;
  const std::string port_;
  const NetTimings timings_;

  std::mutex mutex_;  // the send queue
  std::vector<PacketPtr> queue_;
  platform::Waker sendWake_;  // readable while packets may wait
  // Readable once a stop is asked, and never cleared: it also cancels a connect in progress,
  // which a send must not do.
  platform::Waker stopWake_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> farewellQueued_{false};  // ends once the queue is written
  std::atomic<bool> running_{false};
  bool started_ = false;  // guarded by mutex_
  platform::Event ended_{platform::Event::Mode::ManualReset, true};
  std::thread thread_;

  // I/O thread only. The buffered bytes are followed by one zero byte that is not counted, so a
  // text parser may rely on a terminator.
  std::vector<uint8_t> accumulated_;
};

}  // namespace quelt::net
