#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/SettingsEnvironment.h"
#include "core/SettingsValues.h"

namespace quelt::core {

// The text format of "Messenger.config": UTF-8 lines of KEY=value. These functions only turn
// bytes into values and back; reading and writing the file is the Settings object's business.

// Every value at its default for this machine.
[[nodiscard]] SettingsValues DefaultSettingsValues(const SettingsEnvironment& environment);

// Applies the file's lines on top of `values`. Lines end with CR LF or a bare LF; unknown keys and
// lines without "=" are ignored. Afterwards an account without its name is disabled, and an ICQ
// number without an ICQ_ENABLED line enables ICQ. An empty file changes nothing.
void ApplyConfigText(std::span<const uint8_t> fileBytes, SettingsValues& values);

// The whole file: every key in a fixed order, each line ending with CR LF, UTF-8 without a
// byte-order mark.
[[nodiscard]] std::string SerializeConfig(const SettingsValues& values);

// "host:port,host,..." with 5190 for an entry without a port; empty entries are skipped.
[[nodiscard]] std::vector<LoginHost> ParseLoginHosts(std::u16string_view value);
[[nodiscard]] std::u16string FormatLoginHosts(const std::vector<LoginHost>& hosts);

}  // namespace quelt::core
