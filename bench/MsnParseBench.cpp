// How fast received notification-server bytes become commands: a login with a list download of
// a few hundred contacts with URL-encoded UTF-8 names and GUIDs, then presence traffic, payload
// notices, challenges and pings, parsed from front to back as the connection's loop does.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "msn/MsnParser.h"

namespace {

using namespace quelt::msn;

std::string Guid(unsigned seed) {
  char text[40];
  std::snprintf(text, sizeof text, "%08x-%04x-4%03x-8%03x-%012x", seed * 2654435761u, seed & 0xFFFF, seed & 0xFFF,
                (seed * 7) & 0xFFF, seed * 40503u);
  return text;
}

std::string WithPayload(const std::string& line, const std::string& payload) {
  return line + " " + std::to_string(payload.size()) + "\r\n" + payload;
}

std::string RealisticStream() {
  const std::string profile =
      "MIME-Version: 1.0\r\nContent-Type: text/x-msmsgsprofile; charset=UTF-8\r\nLoginTime: 1062764229\r\n"
      "EmailEnabled: 0\r\nMemberIdHigh: 84736\r\nMemberIdLow: -1434729391\r\nlang_preference: 1033\r\n"
      "preferredEmail:\r\ncountry: US\r\nkv: 5\r\nsid: 507\r\nClientIP: 10.1.2.9\r\nClientPort: 5939\r\n\r\n";
  const std::string notice =
      "<NOTIFICATION ver=\"2\" id=\"1\" siteid=\"111100200\" siteurl=\"http://example.com\"><TO pid=\"0x0:0x0\" "
      "name=\"alice@example.com\" /><MSG pri=\"1\" id=\"1\"><ACTION url=\"a.htm\"/><SUBSCR url=\"s.htm\"/>"
      "<BODY lang=\"3076\" icon=\"i.png\"><TEXT>You have new mail</TEXT></BODY></MSG></NOTIFICATION>\r\n";
  const char* const names[] = {"Bob%20B", "Caf%C3%A9%20%E2%98%95%20Carol", "%E5%BC%A0%E4%BC%9F",
                               "Dave%20%7C%20away%20till%20Monday", "Ren%C3%A9e%20%F0%9F%98%80"};
  const char* const codes[] = {"NLN", "AWY", "BSY", "IDL", "BRB", "PHN", "LUN"};
  constexpr unsigned kContacts = 280;
  constexpr unsigned kGroups = 6;

  std::string s =
      "VER 1 MSNP10 MSNP9 CVR0\r\n"
      "CVR 2 6.2.0205 6.2.0205 6.0.0602 http://example.com/a.exe http://example.com\r\n"
      "USR 3 TWN S lc=1033,id=507,tw=40,fs=1,ru=http%3A%2F%2Fexample%2Ecom,ct=1062764229,kpp=1,kv=5,"
      "ver=2.1.0173.1,tpf=43f8a4c8ed940c04e3740be46c4d1619\r\n"
      "USR 4 OK alice@example.com 1 0\r\n";
  s += WithPayload("MSG Hotmail Hotmail", profile);
  s += "SYN 5 2005-04-23T18:57:44.8130000-07:00 2005-04-23T18:57:54.2070000-07:00 " + std::to_string(kContacts) + " " +
       std::to_string(kGroups) + "\r\nGTC A\r\nBLP AL\r\nPRP MFN Alice%20%C3%A9\r\n";
  for (unsigned g = 0; g < kGroups; ++g)
    s += "LSG Group%20" + std::to_string(g) + "%20%C3%A9t%C3%A9 " + Guid(g) + "\r\n";
  for (unsigned c = 0; c < kContacts; ++c) {
    const std::string email = "contact" + std::to_string(c) + "@example.com";
    s += "LST N=" + email + " F=" + names[c % 5] + " C=" + Guid(1000 + c) + " " + std::to_string(c % 3 == 0 ? 11 : 3);
    if (c % 2 == 0) s += " " + Guid(c % kGroups);
    if (c % 7 == 0) s += "," + Guid((c + 1) % kGroups);
    s += "\r\n";
  }
  s += "CHG 6 NLN 0\r\n";
  for (unsigned c = 0; c < kContacts; c += 2) {
    s += "ILN 6 " + std::string(codes[c % 7]) + " contact" + std::to_string(c) + "@example.com " + names[c % 5] +
         " 268435492\r\n";
  }
  for (unsigned round = 0; s.size() < 64 * 1024; ++round) {
    const std::string email = "contact" + std::to_string((round * 37) % kContacts) + "@example.com";
    s += "NLN " + std::string(codes[round % 7]) + " " + email + " " + names[round % 5] + " 268435456\r\n";
    if (round % 3 == 0) s += "FLN " + email + "\r\n";
    if (round % 10 == 0)
      s += "CHL 0 " + std::to_string(15570131571988941333ull - round) + "\r\nQRY " + std::to_string(7 + round) + "\r\n";
    if (round % 5 == 0) s += "QNG 50\r\n";
    if (round % 25 == 0) s += WithPayload("NOT", notice);
    if (round % 40 == 0) s += WithPayload("MSG Hotmail Hotmail", profile);
  }
  return s;
}

void BM_ParseNotificationStream(benchmark::State& state) {
  const std::string text = RealisticStream();
  const std::vector<uint8_t> stream(text.begin(), text.end());
  int64_t commands = 0;
  for (auto _ : state) {
    size_t offset = 0;
    while (auto parsed = ParseMsnCommand(MsnConnectionKind::Notification, stream, offset, 1252)) {
      benchmark::DoNotOptimize(parsed->command->Kind());
      offset = parsed->next;
      ++commands;
    }
    if (offset != stream.size()) state.SkipWithError("the stream did not parse to its end");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
  state.counters["commands/s"] = benchmark::Counter(static_cast<double>(commands), benchmark::Counter::kIsRate);
  state.counters["stream_bytes"] = static_cast<double>(stream.size());
}
BENCHMARK(BM_ParseNotificationStream);

}  // namespace

BENCHMARK_MAIN();
