#include "core/SettingsValues.h"

namespace quelt::core {

std::vector<LoginHost> DefaultLoginHosts() {
  return {
      {"login.icq.com", "5190"},
      {"login.oscar.aol.com", "5190"},
      {"login.messaging.aol.com", "5190"},
      {"ibucp-vip-d.blue.aol.com", "5190"},
      {"ibucp-vip-m.blue.aol.com", "5190"},
      {"ibucp2-vip-m.blue.aol.com", "5190"},
      {"icq.mirabilis.com", "5190"},
  };
}

}  // namespace quelt::core
