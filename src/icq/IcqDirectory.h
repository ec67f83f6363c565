#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "icq/FlapFrame.h"
#include "icq/IcqMetaCodec.h"

namespace quelt::core {
class Application;
}

namespace quelt::icq {

// The meta service for the windows: user information and searches. Each request gets an id of
// its own; replies are matched by the id the server echoes, and those of no open request are
// ignored. Results arrive as IcqUserInfoReceived and IcqSearchResult; a meta error as IcqError.
class IcqDirectory {
 public:
  struct Hooks {
    std::function<void(FramePtr)> sendOnBos;
    std::function<bool()> isOnline;
  };

  IcqDirectory(core::Application& application, uint32_t ownUin, Hooks hooks);

  // Each returns the request id the results will carry, or 0 when offline.
  uint32_t RequestInfo(uint32_t uin);
  uint32_t SearchByUin(uint32_t uin);
  uint32_t Search(const IcqSearchQuery& query);

  // Hub thread: meta replies (0x15,0x03) and errors (0x15,0x01).
  void OnSnac(const SnacCommand& snac);

 private:
  enum class Kind { Info, Search };
  struct Open {
    Kind kind = Kind::Info;
    IcqUserInfo info;
  };

  uint32_t Begin(Kind kind);

  core::Application& application_;
  const uint32_t ownUin_;
  const Hooks hooks_;
  std::mutex mutex_;
  std::map<uint32_t, Open> open_;
  uint32_t nextRequestId_ = 0x00030000;  // clear of the ids the start-up and list requests use
  uint16_t nextSequence_ = 0x0003;
};

}  // namespace quelt::icq
