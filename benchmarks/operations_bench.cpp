// The logic halves of the quick filter, the cut, the search, the swap, the fill and the edit over
// 1,000,000 packets of 12 bytes, each against a loop over std::vector<std::vector<uint8_t>> that
// does the same work. Each pair runs in the same process, so the ratio of their times survives a
// noisy machine. The stores are rebuilt outside the timed part before every iteration.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "bench_store.h"
#include "core/model/byte_helpers.h"
#include "core/operations/cut.h"
#include "core/operations/edit.h"
#include "core/operations/fill.h"
#include "core/operations/quick_filter.h"
#include "core/operations/search.h"
#include "core/operations/swap.h"

namespace {

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;

using plain = std::vector<std::vector<uint8_t>>;

// "Keep the packets with this byte" on byte 0 of packet 0.
void BM_QuickFilterHalf(benchmark::State& state) {
  time_store_pass(
      state, packet_count, packet_length,
      [](PAKETS& store, pass& run) {
        quick_filter(store, {filter_criterion::byte, false, 0, 0}, run);
      },
      [](const PAKETS& store, const pass&) {
        return store.size() == packet_count / 2 ? nullptr : "wrong packet count";
      });
}

// The same: the reference byte once, every packet tested, the others freed, the rest moved down.
void BM_QuickFilterHalfBaseline(benchmark::State& state) {
  time_plain_pass(
      state, packet_count, packet_length,
      [](plain& store) {
        const uint8_t reference = store[0][0];
        std::erase_if(store, [reference](const std::vector<uint8_t>& p) {
          return !(p.size() > 0 && p[0] == reference);
        });
      },
      [](const plain& store) {
        return store.size() == packet_count / 2 ? nullptr : "wrong packet count";
      });
}

// Byte-mode cut of 2 leading bytes from every packet.
void BM_CutTwoLeadingBytes(benchmark::State& state) {
  time_store_pass(
      state, packet_count, packet_length,
      [](PAKETS& store, pass& run) {
        cut(store, scope{}, cut_params{false, 2, 0}, run);
      },
      [](const PAKETS&, const pass& run) {
        return run.result.changed == static_cast<int32_t>(packet_count) ? nullptr
                                                                        : "wrong changed count";
      });
}

// The same: every packet whose length allows it loses its first 2 bytes.
void BM_CutTwoLeadingBytesBaseline(benchmark::State& state) {
  time_plain_pass(
      state, packet_count, packet_length,
      [](plain& store) {
        for (std::vector<uint8_t>& p : store) {
          if (p.size() > 2) p.erase(p.begin(), p.begin() + 2);
        }
      },
      [](const plain& store) { return store[0].size() == packet_length - 2 ? nullptr : "no cut"; });
}

// Neither pattern occurs in the benchmark store: every packet is searched to its end.
const std::string absent_text = "\xFF\xFE\xFD\xFC";  // the store's bytes rise
const std::string absent_bits = "1100101101001";

// Text search through the whole signal for a 4-byte pattern that is not there.
void BM_SearchTextAbsent(benchmark::State& state) {
  std::optional<search_hit> hit;
  time_store_pass(
      state, packet_count, packet_length,
      [&hit](PAKETS& store, pass& run) {
        hit = search(store, {search_kind::text, absent_text, {0, false}, false}, run);
      },
      [&hit](const PAKETS&, const pass&) { return hit ? "found" : nullptr; });
}

// The same: std::search over every packet.
void BM_SearchTextAbsentBaseline(benchmark::State& state) {
  time_plain_pass(
      state, packet_count, packet_length,
      [](plain& store) {
        size_t found = 0;
        for (const std::vector<uint8_t>& p : store) {
          if (std::search(p.begin(), p.end(), absent_text.begin(), absent_text.end()) != p.end()) {
            ++found;
            break;
          }
        }
        benchmark::DoNotOptimize(found);
      },
      [](const plain&) { return nullptr; });
}

// Binary search through the whole signal for a 13-bit pattern that is not there.
void BM_SearchBitsAbsent(benchmark::State& state) {
  std::optional<search_hit> hit;
  time_store_pass(
      state, packet_count, packet_length,
      [&hit](PAKETS& store, pass& run) {
        hit = search(store, {search_kind::bits, absent_bits, {0, false}, false}, run);
      },
      [&hit](const PAKETS&, const pass&) { return hit ? "found" : nullptr; });
}

// The same: a window of the last 13 bits shifted along every packet, one bit at a time.
void BM_SearchBitsAbsentBaseline(benchmark::State& state) {
  time_plain_pass(
      state, packet_count, packet_length,
      [](plain& store) {
        const uint32_t length = static_cast<uint32_t>(absent_bits.size());
        uint32_t pattern = 0;
        for (uint32_t j = 0; j < length; ++j) pattern |= uint32_t{absent_bits[j] == '1'} << j;
        size_t found = 0;
        for (const std::vector<uint8_t>& p : store) {
          const size_t bits = p.size() * 8;
          uint32_t window = 0;
          for (size_t i = 0; i < bits; ++i) {
            window = (window >> 1) | (uint32_t{(p[i >> 3] >> (i & 7)) & 1u} << (length - 1));
            if (i + 1 >= length && window == pattern) {
              ++found;
              break;
            }
          }
        }
        benchmark::DoNotOptimize(found);
      },
      [](const plain&) { return nullptr; });
}

const char* all_changed(const pass& run) {
  return run.result.changed == static_cast<int32_t>(packet_count) ? nullptr : "wrong changed count";
}

// Bit reversal of every byte of every packet.
void BM_SwapReverseBits(benchmark::State& state) {
  time_store_pass(
      state, packet_count, packet_length,
      [](PAKETS& store, pass& run) { swap(store, scope{}, {swap_mode::reverse_bits}, run); },
      [](const PAKETS&, const pass& run) { return all_changed(run); });
}

// The same through a table on plain vectors.
void BM_SwapReverseBitsBaseline(benchmark::State& state) {
  time_plain_pass(
      state, packet_count, packet_length,
      [](plain& store) {
        for (std::vector<uint8_t>& p : store) {
          for (uint8_t& b : p) b = byte_mirror[b];
        }
      },
      [](const plain& store) { return store[0][0] == 0 && store[1][0] == 0x80 ? nullptr : "no"; });
}

// Neighbouring bytes exchanged in every packet (six pairs each).
void BM_SwapBytes(benchmark::State& state) {
  time_store_pass(
      state, packet_count, packet_length,
      [](PAKETS& store, pass& run) { swap(store, scope{}, {swap_mode::swap_bytes}, run); },
      [](const PAKETS&, const pass& run) {
        return run.result.changed == static_cast<int32_t>(packet_count * packet_length / 2)
                   ? nullptr
                   : "wrong changed count";
      });
}

void BM_SwapBytesBaseline(benchmark::State& state) {
  time_plain_pass(
      state, packet_count, packet_length,
      [](plain& store) {
        for (std::vector<uint8_t>& p : store) {
          for (size_t i = 0; i + 1 < p.size(); i += 2) std::swap(p[i], p[i + 1]);
        }
      },
      [](const plain& store) { return store[1][1] == 1 ? nullptr : "no swap"; });
}

// Every packet padded from 12 to 16 bytes with 0xAA.
void BM_FillTo16(benchmark::State& state) {
  time_store_pass(
      state, packet_count, packet_length,
      [](PAKETS& store, pass& run) {
        fill(store, scope{}, {false, 16, 0xAA}, run);
      },
      [](const PAKETS&, const pass& run) { return all_changed(run); });
}

void BM_FillTo16Baseline(benchmark::State& state) {
  time_plain_pass(
      state, packet_count, packet_length,
      [](plain& store) {
        for (std::vector<uint8_t>& p : store) {
          if (p.size() < 16) p.resize(16, 0xAA);
        }
      },
      [](const plain& store) { return store[0].size() == 16 ? nullptr : "no fill"; });
}

// Byte 3 (index 2) of every packet set to 0xFF.
void BM_EditByte3(benchmark::State& state) {
  time_store_pass(
      state, packet_count, packet_length,
      [](PAKETS& store, pass& run) {
        edit(store, scope{}, {false, 2, 0xFF}, run);
      },
      [](const PAKETS&, const pass& run) { return all_changed(run); });
}

void BM_EditByte3Baseline(benchmark::State& state) {
  time_plain_pass(
      state, packet_count, packet_length,
      [](plain& store) {
        for (std::vector<uint8_t>& p : store) {
          if (p.size() > 2) p[2] = 0xFF;
        }
      },
      [](const plain& store) { return store[0][2] == 0xFF ? nullptr : "no edit"; });
}

// The floor under every pass over the store: the walk in packet-number order that reads each
// packet's length and nothing else.
void BM_StoreWalkFloor(benchmark::State& state) {
  PAKETS store;
  fill_store(store, packet_count, packet_length);
  for (auto _ : state) {
    uint64_t bits = 0;
    for (const auto& [number, p] : store) bits += p->bit_length();
    benchmark::DoNotOptimize(bits);
  }
  unload_store(store);
  state.SetItemsProcessed(state.iterations() * packet_count);
}

// The same walk over a plain std::vector of the same packets, made the same way.
void BM_StoreWalkFloorBaseline(benchmark::State& state) {
  std::vector<xpaket*> store;
  store.reserve(packet_count);
  std::vector<uint8_t> b(packet_length);
  for (uint32_t k = 0; k < packet_count; ++k) {
    b[0] = static_cast<uint8_t>(k & 1);
    for (uint32_t i = 1; i < packet_length; ++i) b[i] = static_cast<uint8_t>(k + i);
    store.push_back(new xpaket(b.data(), packet_length));
  }
  for (auto _ : state) {
    uint64_t bits = 0;
    for (const xpaket* p : store) bits += p->bit_length();
    benchmark::DoNotOptimize(bits);
  }
  for (xpaket* p : store) delete p;
  state.SetItemsProcessed(state.iterations() * packet_count);
}

}  // namespace

BENCHMARK(BM_QuickFilterHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickFilterHalfBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutTwoLeadingBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutTwoLeadingBytesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchTextAbsent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchTextAbsentBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchBitsAbsent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchBitsAbsentBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwapReverseBits)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwapReverseBitsBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwapBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwapBytesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillTo16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillTo16Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditByte3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditByte3Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreWalkFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreWalkFloorBaseline)->Unit(benchmark::kMillisecond);
