// quelt-demo-network: the demo network on its own, until interrupted.
//
//   quelt-demo-network [--port-base N] [--config FILE] [--ca-file FILE]
//
// Ports N to N+3 (15190 by default; 0 takes free ones) serve ICQ, MSN, the MSN switchboards and
// Passport. --config points a "Messenger.config" at the network, with --ca-file (default: beside
// it, "demo-ca.pem") receiving the CA the messenger must trust.
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "DemoCast.h"
#include "DemoFolder.h"
#include "DemoNetwork.h"

namespace {

using namespace quelt::demo;

int Usage() {
  std::fprintf(stderr, "usage: quelt-demo-network [--port-base N] [--config FILE] [--ca-file FILE]\n");
  return 2;
}

int Run(int argc, char** argv) {
  uint16_t base = DemoNetwork::kDefaultBase;
  std::filesystem::path config, caFile;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage();
    const std::string value = argv[++i];
    if (option == "--port-base") {
      const auto parsed = DemoPorts::ParseBase(value);
      if (!parsed) return Usage();
      base = *parsed;
    } else if (option == "--config") {
      config = value;
    } else if (option == "--ca-file") {
      caFile = value;
    } else {
      return Usage();
    }
  }
  // The servers' threads inherit the mask, so the signals wait for sigwait below.
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);

  std::string error;
  auto network = DemoNetwork::Start(DemoPorts::From(base), error, [](const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  });
  if (!network) {
    std::fprintf(stderr, "quelt-demo-network: %s\n", error.c_str());
    return 1;
  }
  if (!config.empty()) {
    if (caFile.empty()) caFile = config.parent_path() / "demo-ca.pem";
    if (!WriteDemoSettings(*network, config, caFile, error)) {
      std::fprintf(stderr, "quelt-demo-network: %s\n", error.c_str());
      return 1;
    }
  }
  const DemoPorts ports = network->Ports();
  std::printf(
      "ready: ICQ 127.0.0.1:%u, MSN 127.0.0.1:%u (switchboards %u), Passport 127.0.0.1:%u; "
      "accounts ICQ %s and MSN %s, password \"%s\"\n",
      ports.icq, ports.msn, ports.switchboard, ports.passport, kIcqUin, kMsnEmail, kPassword);
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stops, &signal);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "quelt-demo-network: out of memory\n");
    return 1;
  }
}
