#include "msn/MsnSessionFactory.h"

#include "msn/MsnSession.h"

namespace quelt::msn {

std::shared_ptr<core::ProtocolSession> MsnSessionFactory::CreateMsnSession(core::Application& application,
                                                                           const std::u16string& email) {
  return MsnSession::Create(application, email, timings_);
}

}  // namespace quelt::msn
