// Tessaly's passes agree with the plain bit-by-bit demodulator and packetizer, and the packet
// file stays within the room reserved for it. The input is a recording; it is also laid into a
// processed signal with syncs stamped four times at the sync period, so that the packetizer gets
// past the sync search on inputs of fuzzing size.
#include <memory>
#include <vector>

#include "demodulator/core/demodulate.h"
#include "demodulator/core/packetize.h"
#include "demodulator/core/pipeline.h"
#include "demodulator/reference.h"
#include "fuzz/fuzz_support.h"

namespace {

void check_packets(const std::vector<uint8_t>& signal) {
  // The exact room, in a block of exactly that size.
  const uint64_t room = tessaly::packet_room(signal.size());
  const std::unique_ptr<uint8_t[]> out(new uint8_t[room]());
  const tessaly::packet_result r = tessaly::packetize(signal, {out.get(), room});
  const reference::bytes expected = reference::packetize(signal);
  FUZZ_CHECK(r.bits / 8 == expected.size());
  FUZZ_CHECK(r.bits / 8 <= room);
  FUZZ_CHECK(std::memcmp(out.get(), expected.data(), expected.size()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const reference::bytes recording(data, data + size);
  const tessaly::output_images images = tessaly::process(recording);
  FUZZ_CHECK(images.signal.size() == tessaly::signal_size(size));
  FUZZ_CHECK(images.signal == reference::demodulate(recording));
  FUZZ_CHECK(images.packets == reference::packetize(images.signal));
  FUZZ_CHECK(images.synced || images.packets == (std::vector<uint8_t>{0, 0}));

  // The same bytes as a signal with a confirmed sync at an offset the input chooses.
  if (size < 2) return 0;
  const uint64_t at = data[0] % 200;
  const uint64_t bits = at + 4 * tessaly::sync_period + 16 + 8 * (size - 1);
  std::vector<uint8_t> signal((bits + 7) / 8, 0);
  for (uint64_t i = 0; i + 1 < size; ++i) {
    // The input's bytes fill the signal, one after another, from the start.
    for (uint64_t k = 0; k * (size - 1) + i < signal.size(); ++k) {
      signal[k * (size - 1) + i] = data[1 + i];
    }
  }
  for (uint64_t k = 0; k <= 4; ++k) {
    for (uint64_t b = 0; b < 16; ++b) {
      const uint64_t p = at + k * tessaly::sync_period + b;
      const auto mask = static_cast<uint8_t>(1u << (p % 8));
      const bool one = ((0xA865u >> b) & 1u) != 0;
      signal[p / 8] = static_cast<uint8_t>(one ? signal[p / 8] | mask : signal[p / 8] & ~mask);
    }
  }
  check_packets(signal);
  return 0;
}
