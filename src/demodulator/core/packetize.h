#pragma once

#include <cstdint>
#include <span>

namespace tessaly {

// The sync that starts the packets: 16 bits in stream order (the value 0xA865 read least
// significant bit first), repeated every 4800 bits, confirmed by four repeats.
inline constexpr const char* sync_pattern = "1010011000010101";
inline constexpr uint64_t sync_period = 4800;
inline constexpr unsigned sync_confirmations = 4;
// A packet is 96 bits (length field 12) unless its first 8 bits hold 31: then it is 192 bits
// (length field 24).
inline constexpr uint8_t long_packet_mark = 31;

struct packet_result {
  bool synced = false;
  // Bits written to the packet file, length fields included; the file keeps bits / 8 bytes.
  uint64_t bits = 16;
};

// Bytes to reserve for the packet file of a processed signal of `signal_bytes` bytes. At most
// 8S - 1 bits of a signal of S bytes are copied, so the packets take at most S bytes; every full
// packet has at least 96 bits and is followed by a length field, so there are at most
// (8S - 1) / 96 of them and one length field more than that; packetize also keeps 2 bytes of
// room behind the last record. About 7/6 of the signal.
[[nodiscard]] constexpr uint64_t packet_room(uint64_t signal_bytes) {
  if (signal_bytes == 0) return 4;
  return signal_bytes + 2 * ((8 * signal_bytes - 1) / 96) + 4;
}

// Cuts the processed signal into SIG records from the first confirmed sync on: a length field
// (12 or 24, low byte first) before every packet, each packet copied bit for bit, the last one
// cut where the signal ends. The signal's last bit is never copied. Without a sync only the first
// length field, 0, is counted. `out` must hold packet_room(signal.size()) bytes of 0.
[[nodiscard]] packet_result packetize(std::span<const uint8_t> signal, std::span<uint8_t> out);

}  // namespace tessaly
