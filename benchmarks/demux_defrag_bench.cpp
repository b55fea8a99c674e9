// The column demultiplexer and the defragmenter over 1,000,000 packets of 12 bytes, each against a
// loop over std::vector<std::vector<uint8_t>> that does the same work, in the same process. The
// stores are rebuilt (and coloured) outside the timed part before every iteration.

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "bench_store.h"
#include "core/operations/defrag.h"
#include "core/operations/demux.h"

namespace {

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;

using plain = std::vector<std::vector<uint8_t>>;

// Grid columns 2 to 5 are bytes 1 to 4.
constexpr uint32_t band_first = 1;
constexpr uint32_t band_last = 4;
constexpr uint32_t band_length = band_last - band_first + 1;

// Keep mode on grid columns 2-5 of every packet.
void BM_DemuxKeepColumns2To5(benchmark::State& state) {
  time_store_pass(
      state, packet_count, packet_length,
      [](PAKETS& store, pass& run) {
        demux(store, scope{}, {true, band_first, band_last}, run);
      },
      [](const PAKETS& store, const pass& run) {
        if (run.result.changed != static_cast<int32_t>(packet_count)) return "wrong changed count";
        return store.at(1)->byte_length() == band_length && store.at(1)->get_byte(0) == 2
                   ? nullptr
                   : "wrong band";
      });
}

// The same: every packet long enough keeps its bytes 1 to 4, the others are freed and the rest
// moves down.
void BM_DemuxKeepColumns2To5Baseline(benchmark::State& state) {
  time_plain_pass(
      state, packet_count, packet_length,
      [](plain& store) {
        std::erase_if(store, [](std::vector<uint8_t>& p) {
          if (p.size() <= band_first) return true;
          p.erase(p.begin(), p.begin() + band_first);
          if (p.size() > band_length) p.resize(band_length);
          return false;
        });
      },
      [](const plain& store) {
        return store[1].size() == band_length && store[1][0] == 2 ? nullptr : "wrong band";
      });
}

// Packet k is a first, intermediate or last fragment as k mod 3 is 0, 1 or 2, so every three
// packets join into one. The intermediate and last fragments lose a leading header byte.
constexpr uint32_t first_colour = 0x0000FF;   // red
constexpr uint32_t middle_colour = 0xFF0000;  // blue
constexpr uint32_t last_colour = 0x008000;    // green
constexpr std::array<uint32_t, 3> fragment_colours{first_colour, middle_colour, last_colour};
constexpr uint32_t joined_count = packet_count / 3;
constexpr uint32_t leftover = packet_count % 3;  // a first fragment alone at the end
constexpr uint32_t joined_length = 3 * packet_length - 2;

defrag_params triple_params() {
  defrag_params params;
  params.first = scope{false, first_colour};
  params.middle = scope{false, middle_colour};
  params.middle_head = 1;
  params.last = scope{false, last_colour};
  params.last_head = 1;
  return params;
}

void BM_DefragTriples(benchmark::State& state) {
  const defrag_params params = triple_params();
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill_store(store, packet_count, packet_length);
    uint32_t k = 0;
    for (auto [number, p] : store) p->colour = fragment_colours[k++ % 3];
    pass run;
    state.ResumeTiming();
    defrag(store, params, run);
    state.PauseTiming();
    if (run.result.joined != joined_count + (leftover != 0 ? 1 : 0) ||
        store.at(0)->byte_length() != joined_length)
      state.SkipWithError("wrong joins");
    unload_store(store);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * packet_count);
}

// The same: a buffer filled from the fragments by colour, a new packet made of it where a group
// closes (in the slots already visited), the fragments freed, the store shortened.
void BM_DefragTriplesBaseline(benchmark::State& state) {
  std::vector<uint32_t> colours(packet_count);
  for (uint32_t k = 0; k < packet_count; ++k) colours[k] = fragment_colours[k % 3];
  // The margins, read at run time as the logic reads its parameters.
  uint32_t head = 1;
  benchmark::DoNotOptimize(head);
  time_plain_pass(
      state, packet_count, packet_length,
      [&colours, head](plain& store) {
        std::vector<uint8_t> group;
        group.reserve(defrag_buffer_bytes);
        size_t written = 0;
        auto close = [&] {
          store[written++] = std::vector<uint8_t>(group.begin(), group.end());
          group.clear();
        };
        auto append = [&](std::vector<uint8_t>& p, uint32_t skip) {
          if (p.size() > skip) group.insert(group.end(), p.begin() + skip, p.end());
          std::vector<uint8_t>().swap(p);
        };
        for (size_t i = 0; i < store.size(); ++i) {
          std::vector<uint8_t>& p = store[i];
          if (colours[i] == first_colour) {
            if (!group.empty()) close();
            append(p, 0);
          } else if (colours[i] == middle_colour) {
            append(p, head);
          } else if (colours[i] == last_colour) {
            append(p, head);
            close();
          } else if (written++ != i) {
            store[written - 1] = std::move(p);
          }
        }
        if (!group.empty()) close();
        store.resize(written);
      },
      [](const plain& store) {
        return store.size() == joined_count + (leftover != 0 ? 1 : 0) &&
                       store[0].size() == joined_length
                   ? nullptr
                   : "wrong joins";
      });
}

}  // namespace

BENCHMARK(BM_DemuxKeepColumns2To5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemuxKeepColumns2To5Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DefragTriples)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DefragTriplesBaseline)->Unit(benchmark::kMillisecond);
