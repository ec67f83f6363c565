#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "icq/ByteReader.h"
#include "icq/ByteWriter.h"
#include "icq/FlapFrame.h"
#include "icq/OutgoingCommands.h"
#include "icq/ReceivedCommands.h"
#include "icq/SnacRegistry.h"

namespace quelt::icq {
namespace {

using Bytes = std::vector<uint8_t>;
using Status = FrameCut::Status;

// "2A 02 00 01" -> bytes; blanks between digits are optional.
Bytes Hex(std::string_view text) {
  std::string digits;
  std::copy_if(text.begin(), text.end(), std::back_inserter(digits), [](char c) { return c != ' '; });
  Bytes bytes;
  for (size_t i = 0; i + 1 < digits.size(); i += 2) bytes.push_back(std::stoi(digits.substr(i, 2), nullptr, 16));
  return bytes;
}

Bytes Serialized(const FramePtr& frame, uint16_t sequence = 0) {
  Bytes out;
  frame->Serialize(sequence, out);
  return out;
}

template <typename Command>
std::shared_ptr<const Command> Received(uint16_t subtype, std::string_view data) {
  return std::dynamic_pointer_cast<const Command>(SnacRegistry::MakeReceived({1, subtype}, Hex(data)));
}

const Bytes kKeepAlive = Hex("2A 05 12 34 0000");
const Bytes kMotd = Hex("2A 02 00 07 000E 0001 0013 0000 00000009 0005 0001");

TEST(ByteReaderTest, FailureIsStickyAndIncompleteTlvsAreNot) {
  const Bytes bytes = Hex("0001 0002 AABB 0003 0004 CC");
  ByteReader reader(bytes);
  EXPECT_EQ(reader.U32Le(), 0x02000100u);
  EXPECT_EQ(reader.U16(), 0xAABB);
  EXPECT_FALSE(reader.ReadTlv().has_value());
  EXPECT_TRUE(reader.Ok());  // a chain simply ends at an incomplete TLV
  EXPECT_EQ(reader.U64(), 0u);
  EXPECT_FALSE(reader.Ok());
  EXPECT_EQ(reader.U8(), 0);  // bytes remain, but the record is already broken
  EXPECT_EQ(reader.Offset(), 6u);
}

TEST(TlvChainTest, EndsAtTheFirstTlvThatIsNotWhole) {
  const std::pair<const char*, size_t> cases[] = {
      {"", 0}, {"0001 00", 0}, {"0001 0003 AABB", 0}, {"0001 0002 AABB 0002 0000 0003 0004 CC", 2}};
  for (const auto& [bytes, count] : cases) EXPECT_EQ(TlvChain::Read(Hex(bytes)).Items().size(), count) << bytes;
  const TlvChain chain = TlvChain::Read(Hex("0006 0002 0001 0006 0002 0002"));
  EXPECT_EQ(chain.Find(6)->value, Hex("0001"));
  EXPECT_EQ(chain.Find(7), nullptr);
}

TEST(CutFrameTest, EverySplitOfTheStreamDeliversEachFrameOnceInOrder) {
  Bytes stream = kMotd;
  stream.insert(stream.end(), kKeepAlive.begin(), kKeepAlive.end());
  for (size_t first = 0; first <= stream.size(); ++first) {
    for (size_t second = first; second <= stream.size(); ++second) {
      Bytes buffer;
      std::vector<FramePtr> frames;
      for (auto [from, to] : {std::pair{size_t{0}, first}, {first, second}, {second, stream.size()}}) {
        buffer.insert(buffer.end(), stream.begin() + static_cast<long>(from), stream.begin() + static_cast<long>(to));
        // Like a connection's parse loop: every whole frame from the front, then drop what was used.
        size_t offset = 0;
        for (FrameCut cut; (cut = CutFrame(buffer, offset)).status == Status::Frame; offset = cut.next) {
          frames.push_back(cut.frame);
        }
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<long>(offset));
      }
      ASSERT_EQ(frames.size(), 2u) << first << "/" << second;
      EXPECT_NE(frames[0]->SnacOfKind(SnacKind::MessageOfTheDay), nullptr);
      EXPECT_EQ(frames[0]->Sequence(), 7);
      EXPECT_EQ(frames[1]->Channel(), kChannelKeepAlive);
      EXPECT_TRUE(buffer.empty());
    }
  }
}

TEST(CutFrameTest, IncompleteAndBrokenLeaveTheOffsetWhereItWas) {
  const Bytes bytes = Hex("2A 05 0000 0000 2A 02 0000 000A 0001");
  EXPECT_EQ(CutFrame(bytes, 6).status, Status::Incomplete);
  EXPECT_EQ(CutFrame(bytes, 6).next, 6u);
  EXPECT_EQ(CutFrame(bytes, bytes.size()).status, Status::Incomplete);
  EXPECT_EQ(CutFrame(bytes, 1).status, Status::Broken);
  EXPECT_EQ(CutFrame(bytes, 1).next, 1u);
  EXPECT_EQ(CutFrame(Hex("41 2A"), 0).status, Status::Broken) << "known before a header is complete";
}

TEST(CutFrameTest, OtherChannelsKeepTheVersionWordOrReadTlvs) {
  const FramePtr hello = CutFrame(Hex("2A 01 0000 0004 00000001"), 0).frame;
  EXPECT_EQ(hello->Prefix(), Hex("00000001"));
  EXPECT_TRUE(hello->Tlvs().Empty());
  const FramePtr tlv = CutFrame(Hex("2A 01 0000 0004 00090000"), 0).frame;
  EXPECT_TRUE(tlv->Prefix().empty());
  EXPECT_TRUE(tlv->FindTlv(9) != nullptr && tlv->FindTlv(9)->value.empty());
  const FramePtr signOff = CutFrame(Hex("2A 04 0000 0007 0008 0002 0018 0005 00"), 0).frame;
  EXPECT_EQ(signOff->Tlvs().Items().size(), 1u);
  EXPECT_EQ(signOff->Describe(), "FLAP on channel 4");
}

TEST(CutFrameTest, SnacHeaderVariants) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      // payload, description, data
      {"0001 0013 0000 00000001 AABB", "FLAP on channel 2 0x1/0x13", "AABB"},
      {"0013 0006 8001 00000001 0006 010203040506 CCDD", "FLAP on channel 2 0x13/0x6", "CCDD"},
      {"0013 0006 8000 00000001 0000", "FLAP on channel 2 0x13/0x6", ""},
      {"0013 0006 8000 00000001 0006 0102030405", "FLAP on channel 2 no snac", nullptr},  // extra header cut
      {"0013 0006 8000 00000001", "FLAP on channel 2 no snac", nullptr},
      {"0001 0013 0000 000000", "FLAP on channel 2 no snac", nullptr},
      {"ABCD 0F0F 0000 00000002 99", "FLAP on channel 2 0xabcd/0xf0f", "99"},
  };
  for (const auto& [payload, description, data] : cases) {
    Bytes frame = Hex("2A 02 0001 00" + std::string(payload));
    frame.insert(frame.begin() + 5, static_cast<uint8_t>(frame.size() - 5));
    const FrameCut cut = CutFrame(frame, 0);
    ASSERT_EQ(cut.status, Status::Frame) << payload;
    EXPECT_EQ(cut.next, frame.size());
    EXPECT_EQ(cut.frame->Describe(), description);
    if (data == nullptr) {
      EXPECT_EQ(cut.frame->Snac(), nullptr);
      continue;
    }
    EXPECT_EQ(cut.frame->Snac()->Data(), Hex(data)) << payload;
    // Written back, the command loses the extra header and its flag, and reads the same.
    const FramePtr again = CutFrame(Serialized(cut.frame), 0).frame;
    EXPECT_EQ(again->Snac()->Data(), cut.frame->Snac()->Data());
    EXPECT_EQ(again->Snac()->Flags(), cut.frame->Snac()->Flags() & 0x7FFF);
  }
  EXPECT_EQ(CutFrame(Hex("2A 02 0000 000A ABCD 0F0F 0000 00000002"), 0).frame->Snac()->Kind(), SnacKind::Unknown);
}

TEST(FlapFrameTest, SerializeWritesTheGivenSequenceAndRefusesOversizedPayloads) {
  EXPECT_EQ(Serialized(FlapFrame::KeepAlive(), 0x7FFF), Hex("2A 05 7FFF 0000"));
  EXPECT_EQ(Serialized(FlapFrame::SignOn({}), 0), Hex("2A 01 0000 0004 00000001"));
  EXPECT_EQ(Serialized(FlapFrame::SignOn(TlvChain({Tlv::FromU16(6, 0xBEEF)})), 0x1234),
            Hex("2A 01 1234 000A 00000001 0006 0002 BEEF"));
  EXPECT_EQ(Serialized(FlapFrame::ForSnac(MakeActivateList()), 1), Hex("2A 02 0001 000A 0013 0007 0000 00000007"));

  const auto message = [](size_t size) {
    return FlapFrame::ForSnac(std::make_shared<SnacCommand>(SnacHeader{4, 6}, SnacKind::SendMessage, Bytes(size)));
  };
  EXPECT_EQ(Serialized(message(0xFFFF - 10)).size(), 6u + 0xFFFF);
  EXPECT_EQ(message(0xFFFF - 9), nullptr);
  EXPECT_EQ(Serialized(FlapFrame::SignOn(TlvChain({Tlv{1, Bytes(0xFFFF - 8)}}))).size(), 6u + 0xFFFF);
  EXPECT_EQ(FlapFrame::SignOn(TlvChain({Tlv{1, Bytes(0xFFFF - 7)}})), nullptr);
}

// Written frames are reported by serial, so frames built on different threads must not share one.
TEST(FlapFrameTest, SerialsStayUniqueAcrossThreads) {
  std::vector<uint64_t> serials[4];
  std::vector<std::thread> threads;
  for (auto& mine : serials) {
    threads.emplace_back([&mine] {
      for (int i = 0; i < 1000; ++i) mine.push_back(CutFrame(kMotd, 0).frame->Serial());
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<uint64_t> all;
  for (const auto& mine : serials) all.insert(mine.begin(), mine.end());
  EXPECT_EQ(all.size(), 4000u);
}

TEST(SnacRegistryTest, AllKindsBothWays) {
  for (int number = 1; number <= kSnacKindCount; ++number) {
    const auto kind = static_cast<SnacKind>(number);
    const auto pair = SnacRegistry::PairOf(kind);
    ASSERT_TRUE(pair.has_value());
    EXPECT_EQ(SnacRegistry::KindOf(pair->first, pair->second), kind) << number;
    EXPECT_EQ(SnacRegistry::MakeReceived({pair->first, pair->second, 0, 0}, {})->Kind(), kind);
  }
  EXPECT_FALSE(SnacRegistry::PairOf(SnacKind::Unknown));
  EXPECT_FALSE(SnacRegistry::PairOf(static_cast<SnacKind>(kSnacKindCount + 1)));
  EXPECT_EQ(SnacRegistry::KindOf(0x01, 0x05), SnacKind::Unknown);
  EXPECT_EQ(SnacRegistry::KindOf(0x0103, 0x0000), SnacKind::Unknown);
}

TEST(ReceivedCommandsTest, ReadOnlyWhatIsThere) {
  // Each class record: id, seven levels, last time (32-bit each), state; the member groups follow.
  const std::string rateClass1 = "0001 00000050 000009C4 000007D0 000005DC 00000320 00000D69 00001770 00000000 00";
  const std::string rateClass2 = "0002" + rateClass1.substr(4);
  const std::string groups = "0001 0001 00010002 0002 0000";
  auto rates = Received<RateLimitClassesSnac>(7, "0002" + rateClass1 + rateClass2 + groups);
  ASSERT_NE(rates, nullptr);
  EXPECT_EQ(rates->ClassIds(), (std::vector<uint16_t>{1, 2}));
  EXPECT_TRUE(rates->Complete());
  rates = Received<RateLimitClassesSnac>(7, "0002" + rateClass1 + rateClass2.substr(0, 60));
  EXPECT_EQ(rates->ClassCount(), 2);
  EXPECT_EQ(rates->ClassIds(), (std::vector<uint16_t>{1}));
  EXPECT_FALSE(rates->Complete());

  EXPECT_EQ(Received<FamilyListSnac>(3, "0001 0013 00")->Families(), (std::vector<uint16_t>{1, 0x13}));
  EXPECT_EQ(Received<ServerVersionsSnac>(0x18, "0001 0004 0013 00")->Versions(),
            (std::vector<std::pair<uint16_t, uint16_t>>{{1, 4}}));
  EXPECT_EQ(Received<ServiceErrorSnac>(1, "0005")->ErrorCode(), 5);
  EXPECT_EQ(Received<ServiceErrorSnac>(1, "05")->ErrorCode(), 0);
}

TEST(OutgoingCommandsTest, BytesFollowTheLayouts) {
  const std::string entries =
      "0001 0003 0110 047B 0013 0002 0110 047B 0002 0001 0101 047B 0003 0001 0110 047B 0015 0001 0110 047B"
      "0004 0001 0110 047B 0006 0001 0110 047B 0009 0001 0110 047B 000A 0001 0110 047B 000B 0001 0110 047B";
  const std::string statusTail =
      "000C 0025 00000000 00000000 00 0008 00000000 00000000 00000003 000000000000000000000000 0000";
  const std::string caps = "0946134E4C7F11D1822244455354 0000 094613444C7F11D1822244455354 0000";
  const std::pair<SnacPtr, std::string> cases[] = {
      // family, subtype, flags, request id, data
      {MakeClientReady(), "0001 0002 0000 00000002 " + entries},
      {MakeRateLimitsRequest(), "0001 0006 0000 00000006"},
      {MakeRateLimitsAck({1, 2, 0x0105}), "0001 0008 0000 00000008 0001 0002 0105"},
      {MakeClientVersions(),
       "0001 0017 0000 00000017 "
       "0001 0004 0013 0004 0002 0001 0003 0001 0015 0001 0004 0001 0006 0001 0009 0001 000A 0001 000B 0001"},
      {MakeSetStatus(0x0013), "0001 001E 0000 0000001E 0006 0004 0100 0013" + statusTail},
      {MakeSetStatus(0x00020100), "0001 001E 0000 0000001E 0006 0004 0100 0100" + statusTail},
      {MakeLocationRightsRequest(), "0002 0002 0000 00000002"},
      {MakeSetLocationInfo(false), "0002 0004 0000 00000004 0005 0020" + caps},
      {MakeSetLocationInfo(true), "0002 0004 0000 00000004 0005 0030 094613494C7F11D1822244455354 0000" + caps},
      {MakeBuddyRightsRequest(), "0003 0002 0000 00000002"},
      {MakeSetMessageParameters(1, 0x0B), "0004 0002 0000 00000002 0001 0000000B 1F40 03E7 03E7 00000000"},
      {MakeMessageParametersRequest(), "0004 0004 0000 00000004"},
      {MakePrivacyRightsRequest(), "0009 0002 0000 00000002"},
      {MakeListRightsRequest(), "0013 0002 0000 00000002"},
      {MakeListCheck(0x5F5E1000, 300), "0013 0005 0000 00010005 5F5E1000 012C"},
      {MakeActivateList(), "0013 0007 0000 00000007"},
      {MakeOfflineMessagesRequest(123456789), "0015 0002 0000 00020001 0001 000A 0800 15CD5B07 3C00 0200"},
  };
  for (const auto& [snac, expected] : cases) {
    ByteWriter written;
    snac->Serialize(written);
    EXPECT_EQ(written.Bytes(), Hex(expected)) << expected;
    EXPECT_EQ(snac->Kind(), SnacRegistry::KindOf(snac->Family(), snac->Subtype()));
  }
}

TEST(OutgoingCommandsTest, SignOnTlvsAndRoasting) {
  // The 17th byte meets the first table byte again.
  EXPECT_EQ(RoastPassword(u"abcdefghijklmnopq", 0), Hex("9244E2A05CE0BCFA18C9D28A3E14FA0C82"));
  EXPECT_EQ(RoastPassword(u"\u00E9", 1252), Hex("1A"));
  const TlvChain tlvs = MakeSignOnTlvs("12345", u"\u00E9", 1252);
  ByteWriter written;
  for (const Tlv& tlv : tlvs.Items()) {
    if (tlv.type != 3) tlv.Serialize(written);
  }
  EXPECT_EQ(written.Bytes(), Hex("0001 0005 3132333435 0002 0001 1A 0016 0002 010A 0017 0002 0005 0018 0002 0038"
                                 "0019 0002 0001 001A 0002 0F4C 0014 0004 00000055 000F 0002 656E 000E 0002 7573"));
  ASSERT_EQ(tlvs.Items().at(2).type, 3);
  EXPECT_EQ(tlvs.Items()[2].value, Tlv::FromAscii(3, "ICQ Inc. - Product of ICQ (TM).2003b.5.56.1.3916.85").value);
}

}  // namespace
}  // namespace quelt::icq
