#include "support/MessengerProcess.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/PasswordScrambler.h"
#include "platform/TextCodec.h"

namespace quelt::test {
namespace {

using namespace std::chrono_literals;

OscarServer::Script OscarScript(int contacts) {
  OscarServer::Script script;
  script.list.push_back({"Friends", 1, 0, 1});
  for (int i = 0; i < contacts; ++i) script.list.push_back({std::to_string(300000 + i), 1, uint16_t(100 + i), 0});
  return script;
}

MsnServer::Script MsnScript(int contacts) {
  MsnServer::Script script;
  script.email = MessengerProcess::kEmail;
  script.ticket = "t=ticket";
  script.synReply = "1 1 " + std::to_string(contacts) + " 0";
  for (int i = 0; i < contacts; ++i) {
    const std::string who = "person" + std::to_string(i) + "@example.com";
    script.listLines.push_back("LST N=" + who + " F=Person%20" + std::to_string(i) + " C=g-" + std::to_string(i) +
                               " 11");
  }
  return script;
}

}  // namespace

MessengerProcess::MessengerProcess(Options options)
    : options_(std::move(options)), oscar_(OscarScript(options_.icqContacts)), msn_(MsnScript(options_.msnContacts)) {
  passport_.SetAccount(kEmail, "secret", "t=ticket");
  const auto built = options_.program.parent_path();
  const auto bin = ProgramFolder();
  std::filesystem::create_directories(bin);
  std::filesystem::create_directories(RuntimeFolder());
  std::filesystem::permissions(RuntimeFolder(), std::filesystem::perms::owner_all);
  std::filesystem::copy_file(options_.program, bin / "QUELTMessenger");
  for (const auto& file : options_.besideProgram) std::filesystem::copy_file(file, bin / file.filename());
  for (const char* kind : {"Skin", "Icons", "Language", "QSearch", "Smilies", "Sounds"}) {
    std::filesystem::create_directory_symlink(built / kind, bin / kind);
  }
  WriteFile(bin / "Messenger.config",
            std::string("ICQ_ENABLED=TRUE\r\nUIN=") + kUin + "\r\nPASSWORD=secret\r\nLOGINHOSTS=127.0.0.1:" +
                std::to_string(oscar_.LoginPort()) + "\r\nMSN_ENABLED=TRUE\r\nMSN_EMAIL=" + kEmail +
                "\r\nMSN_PASSWORD=" + platform::Utf16ToUtf8(core::EncodePassword(u"secret")) +
                "\r\nMSN_SERVER=127.0.0.1:" + std::to_string(msn_.Port()) + "\r\nMSN_NEXUS=" + passport_.Nexus() +
                "\r\nMSN_CA_FILE=" + passport_.CaFile().string() +
                "\r\nAUTO_CONNECT=TRUE\r\nICQ_AUTO_STATUS=0\r\nMSN_AUTO_STATUS=1\r\nSOUND=FALSE\r\n"
                "VIBRO=FALSE\r\nSHOW_OFFLINE=TRUE\r\n");
}

bool MessengerProcess::Start() {
  if (x_.Display().empty()) return Fail("no X server");
  const auto bin = ProgramFolder();
  const bool wrapped = !options_.programWrapper.empty();
  std::vector<std::string> arguments;
  if (wrapped) arguments.push_back((bin / "QUELTMessenger").string());
  program_ = ChildProcess::Start(wrapped ? std::filesystem::path(options_.programWrapper) : bin / "QUELTMessenger",
                                 {{"DISPLAY", x_.Display()},
                                  {"SDL_VIDEODRIVER", ""},
                                  {"HOME", Home().string()},
                                  {"XDG_RUNTIME_DIR", RuntimeFolder().string()},
                                  {"XDG_CONFIG_HOME", ConfigFolder().string()},
                                  {"XDG_DATA_HOME", (home_ / "data").string()},
                                  {"QUELT_LOG", options_.log ? "1" : ""}},
                                 arguments);
  return program_ != nullptr || Fail("starting the program");
}

bool MessengerProcess::SignIn() {
  if (!program_) return Fail("no program");
  if (!oscar_.WaitFor([](const auto& log) { return log.Count(0x01, 0x02) >= 1; }, 30s)) return Fail("ICQ sign-in");
  if (!msn_.WaitFor([](const auto& log) { return log.Count("CHG") >= 1; }, 30s)) return Fail("MSN sign-in");
  Settle(Pid());
  return true;
}

bool MessengerProcess::Quit() {
  if (!program_) return false;
  program_->Signal(SIGTERM);
  const auto exit = program_->WaitForExit(20s);
  return exit && !exit->signalled && exit->code == 0;
}

bool MessengerProcess::Press(const std::vector<std::string>& keys) {
  const auto error = x_.Xdotool("Quelt Messenger", "key", keys);
  return error.empty() || Fail(error);
}

uintmax_t MessengerProcess::WrittenBytes() const {
  uintmax_t total = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Home())) {
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    const auto name = entry.path().filename();
    const bool copied =
        name == "QUELTMessenger" || std::any_of(options_.besideProgram.begin(), options_.besideProgram.end(),
                                                [&name](const auto& file) { return file.filename() == name; });
    if (!copied) total += entry.file_size();
  }
  return total;
}

bool MessengerProcess::Fail(const std::string& what) const {
  std::fprintf(stderr, "messenger: %s failed\n%s", what.c_str(), Stderr().c_str());
  return false;
}

ProcessCpu CpuOf(int pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const size_t name = text.rfind(')');
  if (name == std::string::npos || name + 2 > text.size()) return {};  // the process has ended
  std::istringstream fields(text.substr(name + 2));
  std::vector<std::string> words;
  for (std::string word; fields >> word;) words.push_back(word);
  const double tick = double(sysconf(_SC_CLK_TCK));
  if (words.size() < 13) return {};
  return {std::stod(words[11]) / tick, std::stod(words[12]) / tick};
}

long StatusKb(int pid, const std::string& name) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(file, line);) {
    if (line.rfind(name + ":", 0) == 0) return std::stol(line.substr(name.size() + 1));
  }
  return -1;
}

void Settle(int pid) {
  double last = CpuOf(pid).Total();
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  for (int quiet = 0; quiet < 2 && std::chrono::steady_clock::now() < deadline;) {
    std::this_thread::sleep_for(250ms);
    const double now = CpuOf(pid).Total();
    quiet = now == last ? quiet + 1 : 0;
    last = now;
  }
}

}  // namespace quelt::test
