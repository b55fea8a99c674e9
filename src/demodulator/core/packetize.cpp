#include "demodulator/core/packetize.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "demodulator/core/bitset.h"
#include "demodulator/core/find.h"

namespace tessaly {

namespace {

// Copies `bits` bits starting at bit offset `from` of `signal` to the byte-aligned `to`. The
// bits of a last partial byte above the copied ones are written as 0.
void copy_bits(std::span<const uint8_t> signal, uint64_t from, uint64_t bits, uint8_t* to) {
  const uint8_t* src = signal.data() + from / 8;
  const uint8_t* end = signal.data() + signal.size();
  const unsigned shift = from % 8;
  uint64_t done = 0;
  // Whole 8-byte words while nine source bytes are there.
  for (; done + 64 <= bits && end - src >= 9; done += 64, src += 8, to += 8) {
    uint64_t w = 0;
    std::memcpy(&w, src, 8);
    if (shift != 0) w = (w >> shift) | (uint64_t{src[8]} << (64 - shift));
    std::memcpy(to, &w, 8);
  }
  for (; done < bits; done += 8, ++src, ++to) {
    const uint64_t left = bits - done;
    const auto at = sysx::bit_iterator(const_cast<uint8_t*>(src), shift);
    uint32_t v = sysx::read_value(at, 8, end);
    if (left < 8) v &= (1u << left) - 1;
    *to = static_cast<uint8_t>(v);
  }
}

void put_length(uint8_t* to, uint64_t bits) {
  to[0] = static_cast<uint8_t>(bits / 8);
  to[1] = 0;
}

}  // namespace

packet_result packetize(std::span<const uint8_t> signal, std::span<uint8_t> out) {
  packet_result result;
  if (signal.empty()) return result;
  if (out.size() < packet_room(signal.size()))
    throw std::length_error("packetize::output too small");
  uint8_t* data = const_cast<uint8_t*>(signal.data());
  const sysx::bit_iterator first(data, 0);
  const sysx::bit_iterator last(data + signal.size() - 1, 7);
  const sysx::bitset pattern(sync_pattern);
  const sysx::bit_iterator sync = sysx::find(first, last, pattern, sync_period, sync_confirmations);
  if (sync == last) return result;
  result.synced = true;

  const uint64_t last_bit = uint64_t{signal.size()} * 8 - 1;
  const uint8_t* end = signal.data() + signal.size();
  uint64_t at = static_cast<uint64_t>(sync - first);
  uint64_t length = 96;
  put_length(out.data(), length);
  uint64_t written = 2;
  while (at < last_bit) {
    const uint64_t take = std::min(length, last_bit - at);
    // Every record fits: the packets take at most the signal's bytes, and their length fields
    // at most a sixth of that again.
    if (written + (take + 7) / 8 + 2 > out.size()) throw std::length_error("packetize::overflow");
    copy_bits(signal, at, take, out.data() + written);
    at += take;
    result.bits += take;
    if (take < length) break;
    written += length / 8;
    const sysx::bit_iterator next(data + at / 8, at % 8);
    length = sysx::read_value(next, 8, end) == long_packet_mark ? 192 : 96;
    put_length(out.data() + written, length);
    written += 2;
    result.bits += 16;
  }
  return result;
}

}  // namespace tessaly
