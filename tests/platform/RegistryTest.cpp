#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/TempFolder.h"

namespace quelt::platform {
namespace {

constexpr const char* kClsid = "HKCR\\CLSID\\{A37FA94B-2EBD}";
constexpr const char* kServer = "HKCR\\CLSID\\{A37FA94B-2EBD}\\InprocServer32";
constexpr const char* kBrowser = "HKCR\\http\\Shell\\Open\\Command";

class RegistryTest : public ::testing::Test {
 protected:
  test::TempFolder folder_;
  Registry registry_{folder_ / "config" / "registry"};
};

TEST_F(RegistryTest, KeysIgnoreCaseAndGoOnlyOnceTheirSubkeysAreGone) {
  ASSERT_TRUE(registry_.SetString(kClsid, "", "Plugin"));
  ASSERT_TRUE(registry_.SetString(kServer, "Path", "/opt/one.so"));
  ASSERT_TRUE(registry_.SetString("hkcr\\clsid\\{a37fa94b-2ebd}\\INPROCSERVER32", "PATH", "two"));
  EXPECT_EQ(registry_.GetString(kServer, "path"), "two");
  EXPECT_EQ(registry_.GetString(kClsid), "Plugin");
  EXPECT_TRUE(registry_.KeyExists("HKCR\\clsid"));               // created on the way
  EXPECT_FALSE(registry_.SetString("HKCU\\bad\nkey", "", "x"));  // would break the file's lines
  EXPECT_FALSE(registry_.DeleteKey(kClsid));
  EXPECT_TRUE(registry_.DeleteKey(kServer));
  EXPECT_TRUE(registry_.DeleteKey(kClsid));
  EXPECT_FALSE(registry_.KeyExists(kClsid));
}

TEST_F(RegistryTest, BrowserCommandHasABuiltInDefaultUntilSet) {
  EXPECT_EQ(registry_.GetString("hkcr\\HTTP\\shell\\open\\command"), "xdg-open \"%1\"");
  ASSERT_TRUE(registry_.SetString(kBrowser, "", "\"/usr/bin/browser\" --new \"%1\""));
  EXPECT_EQ(registry_.GetString(kBrowser), "\"/usr/bin/browser\" --new \"%1\"");
}

TEST_F(RegistryTest, AwkwardNamesAndValuesSurviveTheFile) {
  const std::vector<std::pair<std::string, std::string>> values = {
      {"quotes", "say \"hi\""},       {"backslashes", "C:\\Program Files\\x\\"},
      {"lines", "one\ntwo\r\nthree"}, {"nul", std::string("a\0b", 3)},
      {"utf8", "Привет ✓"},           {"empty", ""},
      {"brackets", "[HKCR\\fake]"},   {"name with \"quote\" and \\ and =", "v"},
  };
  for (const auto& [name, value] : values) ASSERT_TRUE(registry_.SetString("HKCU\\Test", name, value)) << name;
  const Registry other(registry_.File());
  for (const auto& [name, value] : values) EXPECT_EQ(other.GetString("HKCU\\Test", name), value) << name;
  EXPECT_FALSE(other.KeyExists("HKCR\\fake"));
}

// Without the file lock, objects writing at the same time would undo each other's changes.
TEST_F(RegistryTest, ObjectsOnOneFileSeeEachOthersWritesAndLoseNone) {
  constexpr int kWriters = 3, kValuesEach = 20;
  ASSERT_TRUE(registry_.SetString("HKCU\\Race", "before", "x"));
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([this, w] {
      Registry own(registry_.File());
      for (int i = 0; i < kValuesEach; ++i) EXPECT_TRUE(own.SetString("HKCU\\Race", std::to_string(w * 100 + i), "x"));
    });
  }
  for (auto& writer : writers) writer.join();
  ASSERT_TRUE(registry_.SetString("HKCU\\Race", "after", "x"));  // must not write back a stale copy
  const std::string file = test::ReadFile(registry_.File());
  const auto data = ParseRegistryFile({reinterpret_cast<const uint8_t*>(file.data()), file.size()});
  EXPECT_EQ(data.at("HKCU\\RACE").values.size(), static_cast<size_t>(kWriters * kValuesEach + 2));
}

}  // namespace
}  // namespace quelt::platform
