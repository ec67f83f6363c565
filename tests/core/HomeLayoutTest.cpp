// The home screen's layout over real files: the scheme in use as the configuration service
// reports it, the schemes the messenger makes from it, and the switch between them.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/HomeLayout.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"

namespace quelt::core {
namespace {

constexpr char kOwnRow[] = R"(<plugin clsid="{A37FA94B-2EBD-4662-BFEE-EF6434E2EAC3}" name="QUELTMsg" )";

class HomeLayoutTest : public ::testing::Test {
 protected:
  HomeLayoutTest() {
    test::WriteFile(Foreign(), std::string(kDeclaration) + kForeignBody);
    Use(Foreign());
  }

  [[nodiscard]] std::filesystem::path Foreign() const { return folder_ / "schemes" / "x.home.xml"; }
  [[nodiscard]] std::filesystem::path Made(const std::string& name) const { return folder_ / "data" / "Home" / name; }
  void Use(const std::filesystem::path& scheme) {
    std::string error;
    ASSERT_TRUE(SwitchScheme(registry_, scheme, error)) << error;
  }
  CurrentScheme Read() {
    auto scheme = ReadCurrentScheme(registry_);
    EXPECT_TRUE(scheme);
    return scheme ? std::move(*scheme) : CurrentScheme{};
  }
  std::filesystem::path Make(CurrentScheme& scheme, const RowSettings& row, const std::string& previous) {
    std::string error;
    const auto made = MakeSchemeFile(scheme, row, previous, folder_ / "data", error);
    EXPECT_TRUE(made) << error;
    return made.value_or(std::filesystem::path());
  }

  // Whitespace outside the root element is the one thing the XML writer does not keep.
  static constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
  // Elements and attributes the messenger knows nothing of, a comment and the layout's spaces.
  static constexpr char kForeignBody[] =
      "<home>\n  <author>Someone</author>\n  <title>Home</title>\n"
      "  <default font-face=\"Nina\" custom=\"keep\"><format state=\"selected\" "
      "bgcolor=\"COLOR_HOMEHIGHLIGHT\"/></default>\n"
      "  <plugin clsid=\"{11111111-2222-3333-4444-555555555555}\" name=\"Clock\" extra=\"1\"><format "
      "x=\"y\"/></plugin>\n"
      "  <!-- rows below -->\n  <plugin clsid=\"{66666666-7777-8888-9999-AAAAAAAAAAAA}\" name=\"Owner\"/>\n</home>";

  test::TempFolder folder_;
  platform::Registry registry_{folder_ / "registry"};
};

// First installation, then a second one over the messenger's own scheme: names, titles, the
// row's place and record, and everything else untouched.
TEST_F(HomeLayoutTest, InstallingTwiceKeepsTheFirstSchemeOnRecord) {
  auto first = Read();
  EXPECT_FALSE(first.own);
  EXPECT_EQ(first.ownNumber, -1);
  EXPECT_EQ(first.otherRows, (std::vector<std::string>{"Clock", "Owner"}));
  EXPECT_EQ(first.ownPosition, -1);
  EXPECT_EQ(first.height, "25");
  const auto made =
      Make(first, {.position = 1, .height = "30", .autoHeight = true, .showBottomBorder = 1}, Foreign().string());
  EXPECT_EQ(made, Made("QUELTMsg.x.home.xml"));
  std::string expected = kDeclaration;
  expected += kForeignBody;
  expected.replace(expected.find("<title>Home"), 11, "<title>Quelt Msg - Home");
  expected.insert(expected.find("<plugin clsid=\"{6666"), std::string(kOwnRow) +
                                                              "height=\"30\" autoheight=\"True\" show-b-border=\"1\">"
                                                              "<oldschema>" +
                                                              Foreign().string() + "</oldschema></plugin>");
  EXPECT_EQ(test::ReadFile(made), expected);
  Use(made);

  auto second = Read();
  EXPECT_TRUE(second.own);
  EXPECT_EQ(second.ownNumber, 0);
  EXPECT_EQ(second.ownPosition, 1);
  EXPECT_EQ(second.otherRows, first.otherRows);
  EXPECT_TRUE(second.autoHeight);
  EXPECT_EQ(second.height, "30");
  EXPECT_EQ(second.showBottomBorder, 1);
  EXPECT_EQ(second.previousScheme, Foreign().string());
  // A place equal to the number of other rows puts the row after all of them.
  const auto remade =
      Make(second, {.position = 2, .height = "20", .autoHeight = false, .showBottomBorder = 0}, second.previousScheme);
  EXPECT_EQ(remade, Made("QUELTMsg1.x.home.xml"));
  const std::string text = test::ReadFile(remade);
  EXPECT_NE(text.find("<title>Quelt Msg - Home</title>"), std::string::npos);  // prefixed once
  EXPECT_NE(text.find(std::string("name=\"Owner\"/>\n") + kOwnRow + "height=\"20\" autoheight=\"False\"><oldschema>" +
                      Foreign().string() + "</oldschema></plugin></home>"),
            std::string::npos)
      << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '{') - 2, 1);  // the earlier row is gone
}

TEST_F(HomeLayoutTest, FileNames) {
  struct Case {
    const char* current;
    const char* made;
  };
  const Case cases[] = {
      {"x.home.xml", "QUELTMsg.x.home.xml"},
      {"QUELTMsg.x.home.xml", "QUELTMsg1.x.home.xml"},
      {"quEltmsg7.a.b.xml", "QUELTMsg8.a.b.xml"},
      {"QUELTMsg12", "QUELTMsg13"},
  };
  for (const auto& c : cases) {
    test::WriteFile(folder_ / "schemes" / c.current, "<home/>");
    Use(folder_ / "schemes" / c.current);
    EXPECT_EQ(NewSchemeFileName(Read()), c.made) << c.current;
  }
}

TEST_F(HomeLayoutTest, NothingToReadIsAFailureAndTheServiceRefusesStrangeDocuments) {
  for (const std::string& scheme : {std::string(""), (folder_ / "missing.xml").string()}) {
    ASSERT_TRUE(registry_.SetString("HKCU\\ControlPanel\\Home", "Scheme", scheme));
    EXPECT_FALSE(ReadCurrentScheme(registry_)) << scheme;
  }
  // As the home screen reads the setting: none is its shipped scheme, a bare name is in its folder.
  test::WriteFile(folder_ / "schemes" / "Default.home.xml", "<home/>");
  for (const auto& [setting, file] : {std::pair{"", "Default.home.xml"}, std::pair{"x.home.xml", "x.home.xml"}}) {
    ASSERT_TRUE(registry_.SetString("HKCU\\ControlPanel\\Home", "Scheme", setting));
    const auto shipped = ReadCurrentScheme(registry_, folder_ / "schemes");
    ASSERT_TRUE(shipped) << setting;
    EXPECT_EQ(shipped->path, folder_ / "schemes" / file);
    EXPECT_TRUE(SchemeInUse(registry_, folder_ / "schemes" / file, folder_ / "schemes"));
  }
  EXPECT_FALSE(ProcessProvisioning(registry_,
                                   "<wap-provisioningdoc><characteristic type=\"Other\"/>"
                                   "</wap-provisioningdoc>"));
  EXPECT_FALSE(ProcessProvisioning(registry_, "not xml"));
  // A file that cannot be written leaves nothing behind and says why.
  test::WriteFile(folder_ / "data" / "Home", "a file where the folder should be");
  Use(Foreign());
  auto current = Read();
  std::string error;
  EXPECT_FALSE(MakeSchemeFile(current, {}, {}, folder_ / "data", error));
  EXPECT_EQ(error, kSchemeSaveFailed);
}

}  // namespace
}  // namespace quelt::core
