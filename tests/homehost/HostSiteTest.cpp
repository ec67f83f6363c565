// The site as a plugin holds it: its interfaces and counts, the theme's answers, and a host
// that is gone.
#include <gtest/gtest.h>

#include "homehost/HostMailbox.h"
#include "homehost/HostSite.h"

namespace quelt::home {
namespace {

TEST(HostSiteTest, AnswersItsInterfacesAndCountsThem) {
  auto mailbox = std::make_shared<HostMailbox>(nullptr);
  const auto site = HostSite::Create(mailbox, std::make_shared<const HomeTheme>(240), 240, 320);
  for (const Guid& iid : {IID_IUnknown, IID_IHomeHost, IID_IHomeColors}) {
    ComPtr<IUnknown> answer;
    ASSERT_EQ(site->QueryInterface(iid, answer.Put()), S_OK);
    EXPECT_EQ(answer->AddRef(), 3u);
    EXPECT_EQ(answer->Release(), 2u);
  }
  ComPtr<IUnknown> none;
  EXPECT_EQ(site->QueryInterface(IID_IStream, none.Put()), E_NOINTERFACE);
  EXPECT_FALSE(none);
}

TEST(HostSiteTest, ThemeAnswersKnownNamesOnly) {
  const auto site = HostSite::Create({}, std::make_shared<const HomeTheme>(240), 240, 320);
  HomeColor color;
  EXPECT_EQ(site->GetColor(1, u"COLOR_HOMEHIGHLIGHT", &color), S_OK);
  EXPECT_EQ(site->GetColor(1, u"COLOR_NOSUCH", &color), E_FAIL);
  char16_t face[32];
  int32_t size = 0;
  EXPECT_EQ(site->GetFont(1, u"FONT_HOMETEXT", face, 32, &size), S_OK);
  EXPECT_EQ(std::u16string(face), u"DejaVu Sans");
  EXPECT_GT(size, 0);
  // A face cut short would name some other font.
  EXPECT_EQ(site->GetFont(1, u"FONT_HOMETEXT", face, 4, &size), E_FAIL);
  int32_t padding = 0;
  EXPECT_EQ(site->GetMetric(1, u"METRIC_HOMEPADDING", &padding), S_OK);
}

TEST(HostSiteTest, InvalidateWakesTheHostForLiveRowsAndFailsOnceTheHostIsGone) {
  int wakes = 0;
  auto mailbox = std::make_shared<HostMailbox>([&wakes] { ++wakes; });
  const auto site = HostSite::Create(mailbox, std::make_shared<const HomeTheme>(240), 240, 320);
  mailbox->SetLiveHandles({7});
  EXPECT_EQ(site->Invalidate(7, 0), S_OK);
  EXPECT_EQ(site->Invalidate(7, 0), S_OK);
  EXPECT_EQ(site->Invalidate(8, 0), E_FAIL);
  EXPECT_EQ(wakes, 1) << "one wake until the host takes its work";
  EXPECT_EQ(mailbox->Take().invalidated, std::set<uint32_t>{7});
  mailbox.reset();
  EXPECT_EQ(site->Invalidate(7, 0), E_FAIL);
}

}  // namespace
}  // namespace quelt::home
