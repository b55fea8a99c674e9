#pragma once

#include <cstdint>
#include <span>

namespace tessaly {

// Turns a recording into the processed signal. The recording is a stream of 2-bit symbols, four
// to a byte with the first symbol in bits 0-1; output bit k is 1 when symbol k + 1 is one step
// after symbol k along the cycle 0 -> 2 -> 3 -> 1 -> 0, and 0 otherwise. The 4N - 1 bits of a
// recording of N bytes are written from the first bit of `signal` on; bits beyond `signal` are
// dropped and bits of `signal` that receive none keep their value.
void demodulate(std::span<const uint8_t> recording, std::span<uint8_t> signal);

// Bytes of the processed signal of a recording of `recording_bytes` bytes.
[[nodiscard]] constexpr uint64_t signal_size(uint64_t recording_bytes) {
  return recording_bytes / 2;
}

}  // namespace tessaly
