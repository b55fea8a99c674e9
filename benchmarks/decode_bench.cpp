// Decoding a million Cisco/IP/TCP frames into layers and field texts, against a minimal loop that
// reads the same header fields of the same packets into a plain struct. Both visit the packets of
// one store in the same run, so the ratio of their times survives a noisy machine.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/model/paket.h"
#include "core/model/pakets.h"
#include "core/protocols/protocol.h"

namespace {

constexpr uint32_t packet_count = 1'000'000;

// A data segment: HDLC header, 20 bytes of IP, 20 of TCP, 37 of payload, 2 check bytes.
std::vector<uint8_t> data_frame(uint32_t k) {
  std::vector<uint8_t> f = {0x0F, 0x00, 0x08, 0x00, 0x45, 0x00, 0x00, 0x4D, 0x4A, 0x22, 0x40,
                            0x00, 0x40, 0x06, 0xF8, 0xFB, 0xC0, 0xA8, 0x01, 0x0A, 0x5D, 0xB8,
                            0xD8, 0x22, 0xC9, 0x3A, 0x00, 0x50, 0x6B, 0x8B, 0x45, 0x68, 0x1F,
                            0x2E, 0x3D, 0x4D, 0x50, 0x18, 0x01, 0xF6, 0x96, 0x85, 0x00, 0x00};
  for (uint32_t i = 0; i < 37; ++i) f.push_back(static_cast<uint8_t>(k + i));
  f.push_back(0x8C);
  f.push_back(0xB0);
  f[31] = static_cast<uint8_t>(k);  // sequence numbers differ
  return f;
}

class frame_store {
 public:
  frame_store() {
    for (uint32_t k = 0; k < packet_count; ++k) {
      const std::vector<uint8_t> f = data_frame(k);
      store.append(new xpaket(f.data(), static_cast<uint32_t>(f.size())));
    }
  }
  frame_store(const frame_store&) = delete;
  frame_store& operator=(const frame_store&) = delete;
  ~frame_store() { unload_store(store); }
  PAKETS store;
};

void BM_DecodeLayers(benchmark::State& state) {
  frame_store frames;
  PAKETS& store = frames.store;
  for (auto _ : state) {
    std::size_t lines = 0;
    for (const auto& [number, p] : store) {
      p->decode();
      for (const xprotocol* layer : p->protocols) lines += layer->line_count();
      p->clear_protocols();
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * packet_count);
}

struct header_fields {
  uint16_t type, total, id, sport, dport, window, ip_crc, tcp_crc, urgent;
  uint8_t version, ihl, tos, flags6, ttl, protocol, offset, tcp_flags;
  uint32_t src, dst, seq, ack;
};

uint16_t be16(const uint8_t* b) {
  return static_cast<uint16_t>(b[0] << 8 | b[1]);
}
uint32_t be32(const uint8_t* b) {
  return uint32_t{be16(b)} << 16 | be16(b + 2);
}

// The same fields, bounds checked, without layers or texts.
bool read_fields(const uint8_t* b, uint32_t n, header_fields& h) {
  if (n < 6 || (b[0] != 0x0F && b[0] != 0x8F)) return false;
  h.type = be16(b + 2);
  const uint8_t* ip = b + 4;
  const uint32_t ip_n = n - 6;
  if (h.type != 0x0800 || ip_n < 20) return false;
  h.version = ip[0] >> 4;
  h.ihl = ip[0] & 0x0F;
  h.tos = ip[1];
  h.total = be16(ip + 2);
  h.id = be16(ip + 4);
  h.flags6 = ip[6];
  h.ttl = ip[8];
  h.protocol = ip[9];
  h.ip_crc = be16(ip + 10);
  h.src = be32(ip + 12);
  h.dst = be32(ip + 16);
  const uint32_t hl = h.ihl * 4u;
  if (h.protocol != 6 || hl > ip_n || ip_n - hl < 20) return false;
  const uint8_t* t = ip + hl;
  h.sport = be16(t);
  h.dport = be16(t + 2);
  h.seq = be32(t + 4);
  h.ack = be32(t + 8);
  h.offset = t[12] >> 4;
  h.tcp_flags = t[13];
  h.window = be16(t + 14);
  h.tcp_crc = be16(t + 16);
  h.urgent = be16(t + 18);
  return true;
}

void BM_DecodeBaselineFields(benchmark::State& state) {
  frame_store frames;
  PAKETS& store = frames.store;
  for (auto _ : state) {
    uint64_t sum = 0;
    for (const auto& [number, p] : store) {
      header_fields h{};
      if (read_fields(p->bytes(), p->byte_length(), h)) sum += h.seq + h.window + h.tcp_flags;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * packet_count);
}

}  // namespace

BENCHMARK(BM_DecodeLayers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBaselineFields)->Unit(benchmark::kMillisecond);
