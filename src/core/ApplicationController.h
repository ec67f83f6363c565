#pragma once

#include "core/EventListener.h"

namespace quelt::core {

class Application;

// The application's own core listener, registered before any other: keeps the network signals,
// asks for connections, deletes files for the user interface and re-creates sessions whose
// account changed.
class ApplicationController final : public EventListener {
 public:
  explicit ApplicationController(Application& application) : application_(application) {}
  void OnEvent(const AppEventPtr& event) override;

 private:
  void OnNetworkLost();
  void OnAccountChanged(bool icq);

  Application& application_;
};

}  // namespace quelt::core
