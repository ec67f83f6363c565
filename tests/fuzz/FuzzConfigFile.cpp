// Reads arbitrary bytes as a configuration file, writes the values back and reads them again:
// the second reading must give the values of the first, and writing them must give the same text.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/ConfigFile.h"
#include "core/PasswordScrambler.h"

namespace {

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::core;
  static const SettingsValues kDefaults = DefaultSettingsValues({"/opt/quelt/", "/home/user/Documents", 240});

  SettingsValues first = kDefaults;
  ApplyConfigText({data, size}, first);
  const std::string text = SerializeConfig(first);

  SettingsValues second = kDefaults;
  ApplyConfigText(Bytes(text), second);

  // Passwords are stored in the ANSI code page, which cannot hold every character.
  SettingsValues expected = first;
  expected.password = DecodeIcqPassword(EncodePassword(first.password));
  expected.msnPassword = DecodeMsnPassword(EncodePassword(first.msnPassword));
  if (!(second == expected)) std::abort();
  if (SerializeConfig(second) != text) std::abort();
  return 0;
}
