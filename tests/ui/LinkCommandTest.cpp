// Browser command lines for a link: what runs, and that a link never becomes a command.
#include <gtest/gtest.h>

#include "ui/chat/LinkCommand.h"

namespace quelt::ui {
namespace {

TEST(LinkCommandTest, ProgramAndArgumentsWithTheLinkInItsOwnArgument) {
  using Words = std::vector<std::string>;
  const struct {
    std::string_view command;
    std::u16string_view link;
    std::optional<Words> words;
  } cases[] = {
      {kDefaultBrowserCommand, u"www.a.org", Words{"xdg-open", "www.a.org"}},
      {"\"/opt/My Browser/run\" --new %1", u"http://x", Words{"/opt/My Browser/run", "--new", "http://x"}},
      {"b -u=%1.%1", u"x", Words{"b", "-u=x.x"}},
      {"xdg-open %1", u"www.a.org\" ; rm -rf ~ \"%1", Words{"xdg-open", "www.a.org\" ; rm -rf ~ \"%1"}},
      {"browser", u"www.a.org", std::nullopt},
      {"browser %2", u"www.a.org", std::nullopt},
      {"%1", u"www.a.org", std::nullopt},
      {"", u"www.a.org", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(LinkCommandLine(c.command, c.link), c.words) << c.command;
}

}  // namespace
}  // namespace quelt::ui
