#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/TempFolder.h"

namespace quelt::platform {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::TempFolder;
using test::WriteFile;

constexpr const char* kClsid = "HKCR\\CLSID\\{A37FA94B-2EBD-4662-BFEE-EF6434E2EAC3}";
constexpr const char* kServer = "HKCR\\CLSID\\{A37FA94B-2EBD-4662-BFEE-EF6434E2EAC3}\\InprocServer32";
constexpr const char* kBrowser = "HKCR\\http\\Shell\\Open\\Command";

RegistryData Parse(std::string_view text) {
  return ParseRegistryFile({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

class RegistryTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  Registry registry_{folder_ / "config" / "registry"};
};

TEST_F(RegistryTest, RegistersAndUnregistersAComponent) {
  EXPECT_FALSE(registry_.KeyExists(kClsid));
  ASSERT_TRUE(registry_.SetString(kClsid, "", "QUELTMsg Plugin"));
  ASSERT_TRUE(registry_.SetString(kServer, "", "/opt/quelt/StatusTile.so"));
  EXPECT_EQ(registry_.GetString(kClsid), "QUELTMsg Plugin");
  EXPECT_EQ(registry_.GetString(kServer, ""), "/opt/quelt/StatusTile.so");
  EXPECT_FALSE(registry_.GetString(kServer, "ThreadingModel").has_value());
  // A key with a subkey cannot go first.
  EXPECT_FALSE(registry_.DeleteKey(kClsid));
  EXPECT_TRUE(registry_.DeleteKey(kServer));
  EXPECT_TRUE(registry_.DeleteKey(kClsid));
  EXPECT_FALSE(registry_.KeyExists(kClsid));
  EXPECT_FALSE(registry_.GetString(kClsid).has_value());
  EXPECT_FALSE(registry_.DeleteKey(kClsid));
}

TEST_F(RegistryTest, SettingAValueCreatesEveryKeyOnItsPath) {
  ASSERT_TRUE(registry_.SetString("HKCU\\ControlPanel\\Home", "Scheme", "/home/u/scheme.xml"));
  for (const char* key : {"HKCU", "HKCU\\ControlPanel", "HKCU\\ControlPanel\\Home"}) {
    EXPECT_TRUE(registry_.KeyExists(key)) << key;
  }
  const auto data = Parse(ReadFile(registry_.File()));
  EXPECT_EQ(data.size(), 3u);
  EXPECT_TRUE(data.at("HKCU\\CONTROLPANEL").values.empty());
}

TEST_F(RegistryTest, KeysAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  ASSERT_TRUE(registry_.SetString("HKCU\\ControlPanel\\Home", "Scheme", "one"));
  ASSERT_TRUE(registry_.SetString("hkcu\\CONTROLPANEL\\home", "SCHEME", "two"));
  EXPECT_EQ(registry_.GetString("Hkcu\\controlpanel\\HOME", "scheme"), "two");
  EXPECT_TRUE(registry_.KeyExists("hKcU\\cOnTrOlPaNeL"));
  const auto data = Parse(ReadFile(registry_.File()));
  const auto& key = data.at("HKCU\\CONTROLPANEL\\HOME");
  EXPECT_EQ(key.path, "HKCU\\ControlPanel\\Home");
  ASSERT_EQ(key.values.size(), 1u);
  EXPECT_EQ(key.values.begin()->first, "Scheme");
  // Stray separators do not make another key.
  EXPECT_EQ(registry_.GetString("\\HKCU\\\\ControlPanel\\Home\\", "Scheme"), "two");
}

TEST_F(RegistryTest, BrowserCommandHasABuiltInDefault) {
  EXPECT_EQ(registry_.GetString(kBrowser), "xdg-open \"%1\"");
  EXPECT_EQ(registry_.GetString("hkcr\\HTTP\\shell\\open\\command", ""), "xdg-open \"%1\"");
  EXPECT_FALSE(registry_.GetString(kBrowser, "Other").has_value());
  EXPECT_FALSE(registry_.KeyExists(kBrowser));
  ASSERT_TRUE(registry_.SetString(kBrowser, "", "\"/usr/bin/browser\" --new \"%1\""));
  EXPECT_EQ(registry_.GetString(kBrowser), "\"/usr/bin/browser\" --new \"%1\"");
}

TEST_F(RegistryTest, AwkwardValuesSurviveTheFile) {
  const std::vector<std::pair<std::string, std::string>> values = {
      {"quotes", "say \"hi\""},
      {"backslashes", "C:\\Program Files\\x\\"},
      {"lines", "one\ntwo\r\nthree"},
      {"nul", std::string("a\0b", 3)},
      {"utf8", "Привет ✓"},
      {"empty", ""},
      {"name with \"quote\" and \\ and =", "v"},
      {"brackets", "[HKCR\\fake]"},
  };
  for (const auto& [name, value] : values) ASSERT_TRUE(registry_.SetString("HKCU\\Test", name, value)) << name;
  const Registry other(registry_.File());
  for (const auto& [name, value] : values) EXPECT_EQ(other.GetString("HKCU\\Test", name), value) << name;
  EXPECT_FALSE(other.KeyExists("HKCR\\fake"));
}

TEST_F(RegistryTest, TwoRegistriesOnOneFileSeeEachOthersWrites) {
  Registry other(registry_.File());
  ASSERT_TRUE(registry_.SetString(kClsid, "", "first"));
  EXPECT_EQ(other.GetString(kClsid), "first");
  ASSERT_TRUE(other.SetString(kClsid, "", "second"));
  EXPECT_EQ(registry_.GetString(kClsid), "second");
  ASSERT_TRUE(other.DeleteKey(kClsid));
  EXPECT_FALSE(registry_.KeyExists(kClsid));
}

// Each write reads the file, changes it and writes it back; without the lock, writers running
// at the same time would undo each other's changes.
TEST_F(RegistryTest, ConcurrentWritersLoseNoUpdate) {
  constexpr int kWriters = 3;
  constexpr int kValuesEach = 20;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([this, w] {
      Registry own(registry_.File());
      for (int i = 0; i < kValuesEach; ++i) {
        EXPECT_TRUE(own.SetString("HKCU\\Race", "w" + std::to_string(w) + "_" + std::to_string(i), "x"));
      }
    });
  }
  for (auto& writer : writers) writer.join();
  const auto data = Parse(ReadFile(registry_.File()));
  EXPECT_EQ(data.at("HKCU\\RACE").values.size(), static_cast<size_t>(kWriters * kValuesEach));
}

TEST_F(RegistryTest, UnreadableFileIsNotOverwritten) {
  std::filesystem::create_directories(registry_.File());  // a folder where the file should be
  EXPECT_FALSE(registry_.SetString(kClsid, "", "x"));
  EXPECT_TRUE(std::filesystem::is_directory(registry_.File()));
  EXPECT_EQ(registry_.GetString(kBrowser), "xdg-open \"%1\"");
}

TEST_F(RegistryTest, InvalidKeyPathsAreRefused) {
  EXPECT_FALSE(registry_.SetString("", "", "x"));
  EXPECT_FALSE(registry_.SetString("\\\\", "", "x"));
  EXPECT_FALSE(registry_.SetString("HKCU\\bad\nkey", "", "x"));
  EXPECT_FALSE(registry_.KeyExists(""));
  EXPECT_FALSE(registry_.DeleteKey(""));
}

TEST(RegistryFileTest, ForUserLivesInTheConfigFolder) {
  TempFolder config;
  ScopedEnv env("XDG_CONFIG_HOME", config.Path().string());
  Registry registry = Registry::ForUser();
  EXPECT_EQ(registry.File(), config / "quelt" / "registry");
  ASSERT_TRUE(registry.SetString("HKCU\\x", "", "y"));
  EXPECT_TRUE(std::filesystem::exists(config / "quelt" / "registry"));
}

TEST(RegistryFileTest, GarbageLoadsWhatItCan) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n"
      "\"orphan\"=\"before any key\"\n"
      "[HKCR\\Good]\r\n"
      "@=\"default\"\r\n"
      "\"Name\" = \"spaced\"  \n"
      "\"unterminated=\"x\n"
      "\"dword\"=dword:00000001\n"
      "\"trailing\"=\"x\" junk\n"
      "garbage line\n"
      "; a comment\n"
      "[unclosed\n"
      "\"lost\"=\"after a bad header\"\n"
      "[]\n"
      "\"lost too\"=\"x\"\n"
      "  [HKCR\\Good\\Child]  \n"
      "\"esc\"=\"a\\\\b\\\"c\\nd\"\n"
      "[hkcr\\good]\n"
      "\"name\"=\"later wins\"\n"
      "\"binary\"=\"\xFF\xFE\"";
  const RegistryData data = Parse(text);
  ASSERT_EQ(data.size(), 2u);
  const auto& good = data.at("HKCR\\GOOD");
  EXPECT_EQ(good.path, "HKCR\\Good");
  const std::map<std::string, std::string> expected = {{"", "default"}, {"Name", "later wins"}, {"binary", "\xFF\xFE"}};
  EXPECT_EQ(good.values, expected);
  const auto& child = data.at("HKCR\\GOOD\\CHILD");
  EXPECT_EQ(child.values.at("esc"), "a\\b\"c\nd");
}

TEST(RegistryFileTest, SerializedFormReadsBackTheSame) {
  RegistryData data;
  data["HKCR\\CLSID"] = {"HKCR\\CLSID", {}};
  data["HKCR\\CLSID\\{X}"] = {"HKCR\\CLSID\\{x}", {{"", "QUELTMsg Plugin"}, {"Weird \"name\"", "a\\b\r\n"}}};
  const std::string text = SerializeRegistryFile(data);
  const RegistryData back = Parse(text);
  ASSERT_EQ(back.size(), data.size());
  for (const auto& [upper, key] : data) {
    EXPECT_EQ(back.at(upper).path, key.path);
    EXPECT_EQ(back.at(upper).values, key.values);
  }
  EXPECT_NE(text.find("[HKCR\\CLSID\\{x}]\n@=\"QUELTMsg Plugin\"\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace quelt::platform
