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
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "support/MessengerProcess.h"
#include "support/OscarBytes.h"

namespace {

using namespace quelt;
using namespace std::chrono_literals;

// The program started and signed in to both fixtures; nothing when that failed (and why on stderr).
std::unique_ptr<test::MessengerProcess> SignedIn(int icqContacts, int msnContacts) {
  // QUELT_BENCH_WRAPPER runs the program under a profiler (heaptrack, say); its figures then
  // include the profiler.
  const char* wrapper = std::getenv("QUELT_BENCH_WRAPPER");
  auto messenger = std::make_unique<test::MessengerProcess>(
      test::MessengerProcess::Options{.program = QUELT_PROGRAM_PATH,
                                      .icqContacts = icqContacts,
                                      .msnContacts = msnContacts,
                                      .besideProgram = {},
                                      .programWrapper = wrapper != nullptr ? wrapper : ""});
  if (!messenger->Start() || !messenger->SignIn()) return nullptr;
  return messenger;
}

int Messages(int count) {
  const auto started = SignedIn(50, 10);
  if (!started) return 1;
  auto& messenger = *started;
  const int pid = messenger.Pid();
  const uintmax_t written = messenger.WrittenBytes();
  const auto start = std::chrono::steady_clock::now();
  const test::ProcessCpu before = test::CpuOf(pid);
  for (int i = 0; i < count; ++i) {
    if (!messenger.Oscar().SendToBos(2, test::oscar::ChannelOneMessage(uint32_t(i), std::to_string(300000 + i % 50)))) {
      std::fprintf(stderr, "program_bench: the connection closed after %d messages\n", i);
      return 1;
    }
  }
  test::Settle(pid);
  const test::ProcessCpu busy = test::CpuOf(pid);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  std::this_thread::sleep_for(elapsed);  // as long again, with nothing arriving
  const test::ProcessCpu idle = test::CpuOf(pid);
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
  const auto started = SignedIn(50, 50);
  if (!started) return 1;
  auto& messenger = *started;
  const test::ProcessCpu before = test::CpuOf(messenger.Pid());
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const test::ProcessCpu after = test::CpuOf(messenger.Pid());
  std::printf("idle for %d s signed in to both: %.3f s of CPU (user %.3f, system %.3f)\n", seconds,
              after.Total() - before.Total(), after.user - before.user, after.system - before.system);
  return messenger.Quit() ? 0 : 1;
}

int Chat(int seconds) {
  const auto started = SignedIn(50, 50);
  if (!started) return 1;
  auto& messenger = *started;
  // A message with smileys makes its contact the first row; Return opens the chat, where they
  // animate.
  if (!messenger.Oscar().SendChannel2(test::MessengerProcess::kUin, "300000", "Hello :) :-D ;) O:)")) return 1;
  std::this_thread::sleep_for(1s);
  if (!messenger.Press({"Down", "Return"})) return 1;
  std::this_thread::sleep_for(1s);
  const test::ProcessCpu before = test::CpuOf(messenger.Pid());
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const test::ProcessCpu after = test::CpuOf(messenger.Pid());
  std::printf(
      "a chat with 4 animated smileys open for %d s: %.3f s of CPU (user %.3f, system %.3f), %.1f%% of one core\n",
      seconds, after.Total() - before.Total(), after.user - before.user, after.system - before.system,
      100.0 * (after.Total() - before.Total()) / seconds);
  return messenger.Quit() ? 0 : 1;
}

int Memory(int contacts) {
  const auto started = SignedIn(contacts, contacts);
  if (!started) return 1;
  auto& messenger = *started;
  const int pid = messenger.Pid();
  std::printf(
      "signed in to both with %d + %d contacts: peak RSS %ld kB (now %ld kB, %ld kB of it private "
      "data)\n",
      contacts, contacts, test::StatusKb(pid, "VmHWM"), test::StatusKb(pid, "VmRSS"), test::StatusKb(pid, "RssAnon"));
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
