#include "icq/IcqSessionFactory.h"

#include "icq/IcqSession.h"

namespace quelt::icq {

std::shared_ptr<core::ProtocolSession> IcqSessionFactory::CreateIcqSession(core::Application& application,
                                                                           const std::u16string& uin) {
  return IcqSession::Create(application, uin, timings_);
}

std::shared_ptr<core::ProtocolSession> IcqSessionFactory::CreateMsnSession(core::Application& /*application*/,
                                                                           const std::u16string& /*email*/) {
  return nullptr;
}

}  // namespace quelt::icq
