// The statistics on any store and positions against a plain count: the variants, their order and
// the packets counted, Cancel included. Input: the packet after which Cancel is pressed (0:
// never), a scope (which the statistics do not look at), the mode and positions, then packets
// (plain_model.h).
#include <map>
#include <utility>
#include <vector>

#include "core/model/memory_budget.h"
#include "core/statistics/statistics.h"
#include "fuzz/operation_session.h"

namespace {

// How often each combination of the chosen bytes or bits, or each byte count, occurs: a position
// beyond the packet and every one after it are absent (sorting after every value); most frequent
// first, equal counts by ascending key. No packet changes.
void check_statistics(fuzz_input& in, session& t) {
  const auto flags = in.take<uint8_t>();
  const auto mode = static_cast<stat_mode>((flags & 3) % 3);
  std::vector<uint32_t> positions((flags >> 2) % (stat_max_positions + 1));
  for (uint32_t& at : positions) at = take_count(in);
  t.load(in);
  const stat_result got = statistics(t.store, mode, positions, t.run);

  std::map<STAT_TYPE, uint32_t> counts;
  for (uint32_t i = 0; i < t.visited(); ++i) {
    const plain_packet& p = t.before[i];
    STAT_TYPE key;
    if (mode == stat_mode::lengths) {
      key.push_back(static_cast<uint32_t>(p.bytes.size()));
    }
    bool absent = false;
    for (const uint32_t at : mode == stat_mode::lengths ? std::vector<uint32_t>{} : positions) {
      absent = absent || at >= (mode == stat_mode::bits ? p.bits : p.bytes.size());
      key.push_back(absent                    ? stat_absent
                    : mode == stat_mode::bits ? static_cast<uint32_t>(plain_bit(p, at))
                                              : p.bytes[at]);
    }
    ++counts[key];
  }
  std::vector<std::pair<uint32_t, STAT_TYPE>> expected;
  for (const auto& [key, count] : counts) expected.emplace_back(count, key);
  std::stable_sort(expected.begin(), expected.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  FUZZ_CHECK(!got.limited);
  FUZZ_CHECK(got.processed == static_cast<int32_t>(t.visited()));
  FUZZ_CHECK(std::equal(
      got.variants.begin(), got.variants.end(), expected.begin(), expected.end(),
      [](const auto& a, const auto& b) { return a.first == b.first && a.second == b.second; }));
  PLUGIN_RESULT r;
  r.processed = got.processed;
  t.expect(t.before, r);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  set_available_memory_for_testing(uint64_t{1} << 30);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  session t(in);
  check_statistics(in, t);
  return 0;
}
