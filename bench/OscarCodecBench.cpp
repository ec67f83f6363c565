// How fast received OSCAR bytes become frames and commands: a stream of keep-alives, short
// replies, presence notices with TLVs and 2 KB messages, cut and parsed from front to back.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "icq/ByteWriter.h"
#include "icq/FlapFrame.h"
#include "icq/SnacRegistry.h"
#include "icq/Tlv.h"

namespace {

using namespace quelt::icq;

void AppendFrame(std::vector<uint8_t>& stream, const FramePtr& frame, uint16_t& sequence) {
  frame->Serialize(sequence++, stream);
}

FramePtr Snac(uint16_t family, uint16_t subtype, std::vector<uint8_t> data) {
  const SnacHeader header{family, subtype, 0, 0};
  return FlapFrame::ForSnac(
      std::make_shared<SnacCommand>(header, SnacRegistry::KindOf(family, subtype), std::move(data)));
}

std::vector<uint8_t> Presence(uint32_t uin) {
  ByteWriter data;
  const std::string text = std::to_string(uin);
  data.U8(static_cast<uint8_t>(text.size())).Append(text).U16(0).U16(5);
  Tlv::FromU16(0x0001, 0x0050).Serialize(data);
  Tlv::FromU32(0x0006, 0x00000011).Serialize(data);
  Tlv::FromU32(0x000A, 0xC0000201).Serialize(data);
  Tlv::FromBytes(0x000C, std::vector<uint8_t>(37, 0)).Serialize(data);
  Tlv::FromBytes(0x000D, std::vector<uint8_t>(48, 0x46)).Serialize(data);
  return data.Take();
}

std::vector<uint8_t> Message(uint32_t uin) {
  ByteWriter data;
  const std::string text = std::to_string(uin);
  data.U64(0x0102030405060708).U16(1).U8(static_cast<uint8_t>(text.size())).Append(text).U16(0).U16(1);
  Tlv::FromU16(0x0001, 0x0050).Serialize(data);
  Tlv::FromBytes(0x0002, std::vector<uint8_t>(2000, 'm')).Serialize(data);
  return data.Take();
}

// One minute of a busy session, roughly: mostly presence traffic, some messages and replies.
std::vector<uint8_t> RealisticMix() {
  std::vector<uint8_t> stream;
  uint16_t sequence = 0;
  for (uint32_t round = 0; round < 50; ++round) {
    AppendFrame(stream, FlapFrame::KeepAlive(), sequence);
    for (uint16_t subtype : {0x03, 0x05}) AppendFrame(stream, Snac(0x13, subtype, {0, 1, 0, 2, 0, 3}), sequence);
    AppendFrame(stream, Snac(0x01, 0x03, {0, 1, 0, 2, 0, 3, 0, 4, 0, 0x13}), sequence);
    for (uint32_t i = 0; i < 8; ++i) AppendFrame(stream, Snac(0x03, 0x0B, Presence(100000 + round * 8 + i)), sequence);
    AppendFrame(stream, Snac(0x03, 0x0C, Presence(200000 + round)), sequence);
    if (round % 5 == 0) AppendFrame(stream, Snac(0x04, 0x07, Message(300000 + round)), sequence);
  }
  return stream;
}

void BM_CutAndParseMix(benchmark::State& state) {
  const std::vector<uint8_t> stream = RealisticMix();
  int64_t frames = 0;
  for (auto _ : state) {
    size_t offset = 0;
    for (FrameCut cut; (cut = CutFrame(stream, offset)).status == FrameCut::Status::Frame; offset = cut.next) {
      benchmark::DoNotOptimize(cut.frame->Snac());
      ++frames;
    }
    if (offset != stream.size()) state.SkipWithError("the stream did not cut cleanly");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  state.counters["stream_bytes"] = static_cast<double>(stream.size());
}
BENCHMARK(BM_CutAndParseMix);

}  // namespace

BENCHMARK_MAIN();
