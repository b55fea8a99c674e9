// The cut with any counts on any packets: lengths, bits and counters are what the rule says.
// Recorded for undo, the cut is undone back to the packets before and redone.
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "core/model/memory_budget.h"
#include "core/operations/cut.h"
#include "core/operations/history/undo_record.h"
#include "core/operations/history/undo_recorder.h"
#include "fuzz/fuzz_support.h"

namespace {

struct expected_packet {
  std::vector<int> bits;  // the packet's bits after the cut
  bool changed = false;
};

std::vector<int> bits_of(const xpaket& p) {
  std::vector<int> bits(p.bit_length());
  for (uint32_t i = 0; i < p.bit_length(); ++i) bits[i] = p.get_bit(i);
  return bits;
}

// The rule, bit by bit.
expected_packet expected_cut(std::vector<int> bits, int64_t leading, int64_t trailing) {
  expected_packet e;
  const auto length = static_cast<int64_t>(bits.size());
  if (leading > 0 && leading < length) {
    bits.erase(bits.begin(), bits.begin() + leading);
    e.changed = true;
  }
  if (trailing != 0) {
    const int64_t n = static_cast<int64_t>(bits.size()) - trailing;
    if (n > 0 && n <= 0xFFFFFFFFll) {
      if (n != static_cast<int64_t>(bits.size())) e.changed = true;
      bits.resize(static_cast<size_t>(n), 0);
    }
  }
  e.bits = std::move(bits);
  return e;
}

}  // namespace

// A fixed memory figure: the same input behaves the same on every machine, and no run reads
// /proc/meminfo.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  set_available_memory_for_testing(uint64_t{1} << 30);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  const auto flags = in.take<uint8_t>();
  cut_params params;
  params.bits = (flags & 1) != 0;
  params.start = in.take<int32_t>();
  params.end = params.bits ? 0 : in.take<int32_t>();
  // Counts far beyond the packets' lengths behave like those just beyond; keep the growth small.
  if (params.start < -1000 || params.start > 1000) params.start %= 1000;
  if (params.end < -1024) params.end = -1024 + params.end % 64;
  const scope s{(flags & 2) == 0, (flags & 4) != 0 ? 0x0000FFu : colour_white};

  PAKETS store;
  std::vector<std::vector<int>> before;
  std::vector<expected_packet> expected;
  int32_t in_scope = 0;
  const int64_t unit = params.bits ? 1 : 8;
  while (in.size() > 0) {
    const auto header = in.take<uint8_t>();
    const size_t n = std::min<size_t>(header & 0x3F, in.size());
    auto* p = new xpaket(in.data(), static_cast<uint32_t>(n));
    in.skip(n);
    if ((header & 0x40) != 0) p->colour = 0x0000FF;
    // A bit length that is not a whole number of bytes.
    if ((header & 0x80) != 0 && n > 0) p->resize(static_cast<uint32_t>(n * 8 - 3));
    const bool inside = s.contains(*p);
    in_scope += inside ? 1 : 0;
    before.push_back(bits_of(*p));
    expected.push_back(inside ? expected_cut(bits_of(*p), params.start * unit, params.end * unit)
                              : expected_packet{bits_of(*p), false});
    store.append(p);
  }

  FUZZ_CHECK(cut_fits_memory(store, s, params));
  pass run;
  // Flags bits 3-6: no undo record (0), one without a limit (15) or within 16 << k bytes.
  const uint32_t record = (flags >> 3) & 15;
  std::optional<undo_recorder> recorder;
  if (record != 0) {
    recorder.emplace(store, record == 15 ? UINT64_MAX : uint64_t{16} << record);
    run.recorder = &*recorder;
  }
  FUZZ_CHECK(cut(store, s, params, run));
  FUZZ_CHECK(!run.running);
  FUZZ_CHECK(run.result.processed == static_cast<int32_t>(store.size()));
  FUZZ_CHECK(run.result.changed <= in_scope);
  int32_t changed = 0;
  for (const auto& [number, p] : store) {
    const expected_packet& e = expected[number];
    FUZZ_CHECK(bits_of(*p) == e.bits);
    FUZZ_CHECK(p->byte_length() == (p->bit_length() + 7) / 8);
    changed += e.changed ? 1 : 0;
  }
  FUZZ_CHECK(run.result.changed == changed);
  if (recorder) {
    const std::unique_ptr<undo_record> undo = recorder->finish(store);
    FUZZ_CHECK((undo == nullptr) == recorder->gave_up());
    if (undo != nullptr) {
      FUZZ_CHECK(undo->revert(store));
      for (const auto& [number, p] : store) FUZZ_CHECK(bits_of(*p) == before[number]);
      FUZZ_CHECK(undo->reapply(store));
      for (const auto& [number, p] : store) FUZZ_CHECK(bits_of(*p) == expected[number].bits);
    }
  }
  unload_store(store);
  return 0;
}
