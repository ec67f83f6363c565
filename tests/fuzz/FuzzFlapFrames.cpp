// A connection's received bytes are arbitrary. Frames are cut from the front as the connection's
// parse loop does; every cut must stay inside the input, and a frame written back and cut again
// must write back the same bytes.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "icq/ByteReader.h"
#include "icq/FlapFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::icq;
  const std::span<const uint8_t> input(data, size);
  size_t offset = 0;
  for (;;) {
    const FrameCut cut = CutFrame(input, offset);
    if (cut.status != FrameCut::Status::Frame) {
      if (cut.next != offset || cut.frame != nullptr) std::abort();
      break;
    }
    if (cut.frame == nullptr || cut.next <= offset || cut.next > size) std::abort();
    const FlapFrame& frame = *cut.frame;
    (void)frame.Describe();
    for (const Tlv& tlv : frame.Tlvs().Items()) {
      if (frame.FindTlv(tlv.type) == nullptr) std::abort();
      ByteReader reader(tlv.value);
      while (reader.Remaining() >= 2) (void)reader.U16();
      if (!reader.Ok()) std::abort();
    }

    std::vector<uint8_t> written;
    frame.Serialize(frame.Sequence(), written);
    const FrameCut again = CutFrame(written, 0);
    if (again.status != FrameCut::Status::Frame || again.next != written.size()) std::abort();
    std::vector<uint8_t> rewritten;
    again.frame->Serialize(again.frame->Sequence(), rewritten);
    if (rewritten != written) std::abort();
    offset = cut.next;
  }
  return 0;
}
