// The whole messenger as a person runs it: its window shown on an X server of its own (Xvfb),
// signed in to the loopback fixtures, measured from outside through /proc.
//
//   program_bench messages [count]  CPU per incoming ICQ message, beyond an idle stretch as long
//   program_bench idle [seconds]    CPU while signed in to both services and nothing happens
//   program_bench memory [contacts] peak RSS signed in to both with 1,000 contacts each
//   program_bench chat [seconds]    CPU while a chat with animated smileys is open
//
// Sound and vibration are off: a burst of thousands of messages would otherwise measure the
// audio device.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/PasswordScrambler.h"
#include "platform/TextCodec.h"
#include "support/ChildProcess.h"
#include "support/MsnServer.h"
#include "support/OscarBytes.h"
#include "support/OscarServer.h"
#include "support/PassportServer.h"
#include "support/TempFolder.h"
#include "support/XServer.h"

namespace {

using namespace quelt;
using namespace std::chrono_literals;

constexpr char kUin[] = "123456789";
constexpr char kEmail[] = "alice@example.com";

struct Cpu {
  double user = 0;
  double system = 0;
  [[nodiscard]] double Total() const { return user + system; }
};

// The process's CPU so far, its finished threads included.
Cpu CpuOf(int pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::vector<std::string> words;
  for (std::string word; fields >> word;) words.push_back(word);
  const double tick = double(sysconf(_SC_CLK_TCK));
  if (words.size() < 13) return {};
  return {std::stod(words[11]) / tick, std::stod(words[12]) / tick};
}

// A memory figure of /proc/<pid>/status in kB: "VmHWM" (the peak RSS), "VmRSS", "RssAnon".
long StatusKb(int pid, const std::string& name) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(file, line);) {
    if (line.rfind(name + ":", 0) == 0) return std::stol(line.substr(name.size() + 1));
  }
  return -1;
}

// Waits until the program's CPU stops moving: whatever it was doing is done.
void Settle(int pid) {
  double last = CpuOf(pid).Total();
  for (int quiet = 0; quiet < 2;) {
    std::this_thread::sleep_for(250ms);
    const double now = CpuOf(pid).Total();
    quiet = now == last ? quiet + 1 : 0;
    last = now;
  }
}

// The fixtures and the program signed in to them.
class Messenger {
 public:
  Messenger(int icqContacts, int msnContacts) : oscar_(OscarScript(icqContacts)), msn_(MsnScript(msnContacts)) {
    passport_.SetAccount(kEmail, "secret", "t=ticket");
    const auto built = std::filesystem::path(QUELT_PROGRAM_PATH).parent_path();
    const auto bin = home_ / "bin";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(home_ / "run");
    std::filesystem::copy_file(QUELT_PROGRAM_PATH, bin / "QUELTMessenger");
    for (const char* kind : {"Skin", "Icons", "Language", "QSearch", "Smilies", "Sounds"}) {
      std::filesystem::create_directory_symlink(built / kind, bin / kind);
    }
    test::WriteFile(bin / "Messenger.config",
                    std::string("ICQ_ENABLED=TRUE\r\nUIN=") + kUin + "\r\nPASSWORD=secret\r\nLOGINHOSTS=127.0.0.1:" +
                        std::to_string(oscar_.LoginPort()) + "\r\nMSN_ENABLED=TRUE\r\nMSN_EMAIL=" + kEmail +
                        "\r\nMSN_PASSWORD=" + platform::Utf16ToUtf8(core::EncodePassword(u"secret")) +
                        "\r\nMSN_SERVER=127.0.0.1:" + std::to_string(msn_.Port()) +
                        "\r\nMSN_NEXUS=" + passport_.Nexus() + "\r\nMSN_CA_FILE=" + passport_.CaFile().string() +
                        "\r\nAUTO_CONNECT=TRUE\r\nICQ_AUTO_STATUS=0\r\nMSN_AUTO_STATUS=1\r\nSOUND=FALSE\r\n"
                        "VIBRO=FALSE\r\nSHOW_OFFLINE=TRUE\r\n");
    // QUELT_BENCH_WRAPPER runs the program under a profiler (heaptrack, say); its figures then
    // include the profiler.
    const char* wrapper = std::getenv("QUELT_BENCH_WRAPPER");
    const std::filesystem::path program = wrapper ? std::filesystem::path(wrapper) : bin / "QUELTMessenger";
    std::vector<std::string> arguments;
    if (wrapper) arguments.push_back((bin / "QUELTMessenger").string());
    program_ = test::ChildProcess::Start(program,
                                         {{"DISPLAY", x_.Display()},
                                          {"SDL_VIDEODRIVER", ""},
                                          {"HOME", home_.Path().string()},
                                          {"XDG_RUNTIME_DIR", (home_ / "run").string()},
                                          {"XDG_CONFIG_HOME", (home_ / "config").string()},
                                          {"XDG_DATA_HOME", (home_ / "data").string()}},
                                         arguments);
  }

  // True once both accounts are signed in and the window has drawn what they brought.
  bool SignIn() {
    if (x_.Display().empty() || !program_) return Fail("no X server or no program");
    if (!oscar_.WaitFor([](const auto& log) { return log.Count(0x01, 0x02) >= 1; }, 30s)) return Fail("ICQ sign-in");
    if (!msn_.WaitFor([](const auto& log) { return log.Count("CHG") >= 1; }, 30s)) return Fail("MSN sign-in");
    Settle(Pid());
    return true;
  }

  [[nodiscard]] int Pid() const { return program_->Pid(); }
  // Bytes the program has written into its home (the history, the caches), to check the work
  // measured was done.
  [[nodiscard]] uintmax_t WrittenBytes() const {
    uintmax_t total = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home_.Path())) {
      if (entry.is_regular_file() && !entry.is_symlink() && entry.path().filename() != "QUELTMessenger") {
        total += entry.file_size();
      }
    }
    return total;
  }
  test::OscarServer& Oscar() { return oscar_; }

  // Presses keys (xdotool's names) in the program's window.
  bool Press(const std::vector<std::string>& keys) {
    const auto error = x_.Xdotool("Quelt Messenger", "key", keys);
    return error.empty() || Fail(error.c_str());
  }

  bool Quit() {
    program_->Signal(SIGTERM);
    const auto exit = program_->WaitForExit(20s);
    return exit && !exit->signalled && exit->code == 0;
  }

 private:
  bool Fail(const char* what) {
    std::fprintf(stderr, "program_bench: %s failed\n%s", what, program_ ? program_->Stderr().c_str() : "");
    return false;
  }

  static test::OscarServer::Script OscarScript(int contacts) {
    test::OscarServer::Script script;
    script.list.push_back({"Friends", 1, 0, 1});
    for (int i = 0; i < contacts; ++i) script.list.push_back({std::to_string(300000 + i), 1, uint16_t(100 + i), 0});
    return script;
  }
  static test::MsnServer::Script MsnScript(int contacts) {
    test::MsnServer::Script script;
    script.email = kEmail;
    script.ticket = "t=ticket";
    script.synReply = "1 1 " + std::to_string(contacts) + " 0";
    for (int i = 0; i < contacts; ++i) {
      const std::string who = "person" + std::to_string(i) + "@example.com";
      script.listLines.push_back("LST N=" + who + " F=Person%20" + std::to_string(i) + " C=g-" + std::to_string(i) +
                                 " 11");
    }
    return script;
  }

  test::TempFolder home_;
  test::XServer x_;
  test::OscarServer oscar_;
  test::MsnServer msn_;
  test::PassportServer passport_;
  std::unique_ptr<test::ChildProcess> program_;
};

int Messages(int count) {
  Messenger messenger(50, 10);
  if (!messenger.SignIn()) return 1;
  const int pid = messenger.Pid();
  const uintmax_t written = messenger.WrittenBytes();
  const auto start = std::chrono::steady_clock::now();
  const Cpu before = CpuOf(pid);
  for (int i = 0; i < count; ++i) {
    if (!messenger.Oscar().SendToBos(2, test::oscar::ChannelOneMessage(uint32_t(i), std::to_string(300000 + i % 50)))) {
      std::fprintf(stderr, "program_bench: the connection closed after %d messages\n", i);
      return 1;
    }
  }
  Settle(pid);
  const Cpu busy = CpuOf(pid);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  std::this_thread::sleep_for(elapsed);  // as long again, with nothing arriving
  const Cpu idle = CpuOf(pid);
  const double userUs = ((busy.user - before.user) - (idle.user - busy.user)) * 1e6 / count;
  const double systemUs = ((busy.system - before.system) - (idle.system - busy.system)) * 1e6 / count;
  std::printf(
      "%d messages in %.2f s: %.1f us of CPU a message (user %.1f, system %.1f) beyond idle; %ju bytes "
      "written\n",
      count, std::chrono::duration<double>(elapsed).count(), userUs + systemUs, userUs, systemUs,
      messenger.WrittenBytes() - written);
  return messenger.Quit() ? 0 : 1;
}

int Idle(int seconds) {
  Messenger messenger(50, 50);
  if (!messenger.SignIn()) return 1;
  const Cpu before = CpuOf(messenger.Pid());
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const Cpu after = CpuOf(messenger.Pid());
  std::printf("idle for %d s signed in to both: %.3f s of CPU (user %.3f, system %.3f)\n", seconds,
              after.Total() - before.Total(), after.user - before.user, after.system - before.system);
  return messenger.Quit() ? 0 : 1;
}

int Chat(int seconds) {
  Messenger messenger(50, 50);
  if (!messenger.SignIn()) return 1;
  // A message with smileys makes its contact the first row; Return opens the chat, where they
  // animate.
  if (!messenger.Oscar().SendChannel2(kUin, "300000", "Hello :) :-D ;) O:)")) return 1;
  std::this_thread::sleep_for(1s);
  if (!messenger.Press({"Down", "Return"})) return 1;
  std::this_thread::sleep_for(1s);
  const Cpu before = CpuOf(messenger.Pid());
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const Cpu after = CpuOf(messenger.Pid());
  std::printf(
      "a chat with 4 animated smileys open for %d s: %.3f s of CPU (user %.3f, system %.3f), %.1f%% of one core\n",
      seconds, after.Total() - before.Total(), after.user - before.user, after.system - before.system,
      100.0 * (after.Total() - before.Total()) / seconds);
  return messenger.Quit() ? 0 : 1;
}

int Memory(int contacts) {
  Messenger messenger(contacts, contacts);
  if (!messenger.SignIn()) return 1;
  const int pid = messenger.Pid();
  std::printf(
      "signed in to both with %d + %d contacts: peak RSS %ld kB (now %ld kB, %ld kB of it private "
      "data)\n",
      contacts, contacts, StatusKb(pid, "VmHWM"), StatusKb(pid, "VmRSS"), StatusKb(pid, "RssAnon"));
  return messenger.Quit() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const int amount = argc > 2 ? std::atoi(argv[2]) : 0;
  if (mode == "messages") return Messages(amount > 0 ? amount : 5000);
  if (mode == "idle") return Idle(amount > 0 ? amount : 60);
  if (mode == "memory") return Memory(amount > 0 ? amount : 1000);
  if (mode == "chat") return Chat(amount > 0 ? amount : 30);
  std::fprintf(stderr, "usage: program_bench messages [count] | idle [seconds] | memory [contacts] | chat [seconds]\n");
  return 2;
}
