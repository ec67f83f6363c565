#include <gtest/gtest.h>

#include "homeplugin/StateBlock.h"

namespace quelt::home {
namespace {

ServiceTileState Service(int32_t online, uint32_t unread, std::u16string text) {
  return {.enabled = true, .online = online, .unread = unread, .text = std::move(text)};
}

TEST(StateBlockTest, WhatTheMessengerWritesReadsBack) {
  const std::u16string seventy(70, u'x');
  struct Case {
    const char* name;
    std::optional<ServiceTileState> icq, msn;
    MessengerTileState expected;
  };
  const Case cases[] = {
      {"icq only", Service(12, 1, u"online"), std::nullopt, {true, Service(12, 1, u"online"), {}}},
      {"msn only", std::nullopt, Service(-1, 0, u"connecting"), {true, {}, Service(-1, 0, u"connecting")}},
      // An odd ICQ text leaves 2 bytes of padding before MSN.
      {"both, odd text lengths pad",
       Service(3, 0, u"busy!"),
       Service(7, 2, u"idle!"),
       {true, Service(3, 0, u"busy!"), Service(7, 2, u"idle!")}},
      // The long text is cut when read, yet MSN after it is found where the writer put it.
      {"long text",
       Service(1, 0, seventy),
       Service(2, 0, u"idle"),
       {true, Service(1, 0, seventy.substr(0, kTileTextLimit)), Service(2, 0, u"idle")}},
      {"neither", std::nullopt, std::nullopt, {true, {}, {}}},
  };
  for (const auto& c : cases) {
    const auto block = EncodeStateBlock(c.icq, c.msn);
    EXPECT_EQ(block.size() % 4, 0u) << c.name;
    EXPECT_EQ(ReadStateMessage(kStateBlockTag, block), c.expected) << c.name;
  }
  EXPECT_EQ(ReadStateMessage(kMessengerGoneTag, EncodeStateBlock(Service(1, 1, u"x"), std::nullopt)),
            MessengerTileState{});
}

// A block cut anywhere is read as far as it goes and never past its end (the address sanitizer
// watches the reads): what was complete is kept, the rest stays cleared.
TEST(StateBlockTest, ACutBlockKeepsWhatArrivedWhole) {
  const auto block = EncodeStateBlock(Service(12, 1, u"busy!"), Service(3, 4, u"away"));
  const size_t textEnd = 4 + 12 + 10;  // presence, three words, "busy!"
  const size_t icqEnd = textEnd + 2;   // and its padding
  for (size_t length = 0; length < block.size(); ++length) {
    const std::vector<uint8_t> cut(block.begin(), block.begin() + static_cast<ptrdiff_t>(length));
    const auto state = ReadStateMessage(kStateBlockTag, cut);
    EXPECT_TRUE(state.running);
    EXPECT_EQ(state.icq.enabled, length >= 4) << length;
    EXPECT_EQ(state.icq.text, length >= textEnd ? u"busy!" : u"") << length;
    EXPECT_EQ(state.msn.enabled, length >= icqEnd + 4) << length;
    EXPECT_TRUE(state.msn.text.empty()) << length;
  }
  // A length that claims more than the block holds reads no text and nothing after it.
  auto lying = EncodeStateBlock(Service(1, 0, u"ab"), Service(1, 0, u"cd"));
  lying[12] = 0xFF;
  const auto state = ReadStateMessage(kStateBlockTag, lying);
  EXPECT_TRUE(state.icq.text.empty());
  EXPECT_FALSE(state.msn.enabled);
}

}  // namespace
}  // namespace quelt::home
