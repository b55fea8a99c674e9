// The operations on any store, scope and parameters against plain models written from the rules
// of their help pages: the packets' bytes, bit lengths and colours afterwards and every counter.
// Input: the operation (its low three bits; the next four say whether and within what limit the
// step is recorded for undo, session::record), the packet after which Cancel is pressed (0:
// never), the scope, the operation's parameters, then packets (plain_model.h).
#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/model/memory_budget.h"
#include "core/operations/defrag.h"
#include "core/operations/demux.h"
#include "core/operations/edit.h"
#include "core/operations/fill.h"
#include "core/operations/search.h"
#include "core/operations/select_by_length.h"
#include "core/operations/select_by_values.h"
#include "core/operations/swap.h"
#include "fuzz/operation_session.h"

namespace {

[[nodiscard]] std::vector<uint8_t> inner_bytes(const plain_packet& p, uint64_t head,
                                               uint64_t tail) {
  if (p.bytes.size() <= head + tail) return {};
  return {p.bytes.begin() + static_cast<ptrdiff_t>(head),
          p.bytes.end() - static_cast<ptrdiff_t>(tail)};
}

[[nodiscard]] plain_packet whole_bytes(std::vector<uint8_t> bytes, uint32_t colour) {
  const auto bits = static_cast<uint32_t>(8 * bytes.size());
  return {std::move(bytes), bits, colour};
}

// The plain pass of an operation that works in place: change(p, r) on every packet in scope that
// the pass visited, with the processed counter at the packets visited.
template <typename Change>
void expect_in_place(session& t, Change change) {
  plain_store after = t.before;
  PLUGIN_RESULT r;
  r.processed = static_cast<int32_t>(t.visited());
  for (uint32_t i = 0; i < t.visited(); ++i) {
    if (in_scope(after[i], t.s)) change(after[i], r);
  }
  t.expect(after, r);
}

// Each byte's bits in mirror order, or bytes 0 and 1, 2 and 3, ... exchanged; a reversed packet
// counts as changed, a swap counts its pairs.
void check_swap(fuzz_input& in, session& t) {
  const bool pairs = (in.take<uint8_t>() & 1) != 0;
  t.load(in);
  swap(t.store, t.s, {pairs ? swap_mode::swap_bytes : swap_mode::reverse_bits}, t.run);
  expect_in_place(t, [pairs](plain_packet& p, PLUGIN_RESULT& r) {
    std::vector<uint8_t>& b = p.bytes;
    if (pairs) {
      for (size_t k = 0; k + 1 < b.size(); k += 2) std::swap(b[k], b[k + 1]);
      r.changed += static_cast<int32_t>(b.size() / 2);
      return;
    }
    for (uint8_t& byte : b) {
      uint8_t mirrored = 0;
      for (int j = 0; j < 8; ++j) mirrored |= ((byte >> j) & 1) << (7 - j);
      byte = mirrored;
    }
    ++r.changed;
  });
}

// Packets shorter than the target (the longest packet of the whole signal, or a number) grow to
// exactly 8 x target bits, the added bytes holding the value; a target of 0 or less pads nothing.
// A target beyond the longest packet there can be stops the pass at the first packet it would
// pad, unvisited and unpadded, and fails; the growth foretold says so before.
void check_fill(fuzz_input& in, session& t) {
  fill_params params;
  params.longest = (in.take<uint8_t>() & 1) != 0;
  constexpr int32_t far[] = {INT32_MIN, -1, 0, INT32_MAX, 0x20000000};
  const auto pick = in.take<uint8_t>();
  params.target = pick < std::size(far) ? far[pick] : in.take<int16_t>() % 200;
  params.value = in.take<uint8_t>();
  t.load(in);
  int64_t target = params.target;
  if (params.longest) {
    target = 0;
    for (const plain_packet& p : t.before) target = std::max<int64_t>(target, p.bytes.size());
  }
  const bool possible = target <= int64_t{UINT32_MAX / 8};
  uint64_t least_growth = 0;  // the bytes the padded packets add, before any overhead
  std::optional<uint32_t> stop;
  for (uint32_t i = 0; i < t.before.size(); ++i) {
    const plain_packet& p = t.before[i];
    if (!in_scope(p, t.s) || static_cast<int64_t>(p.bytes.size()) >= target) continue;
    least_growth += static_cast<uint64_t>(target);
    if (!possible && !stop && i < t.visited()) stop = i;
  }
  const uint64_t growth = fill_growth(t.store, t.s, params);
  FUZZ_CHECK(possible ? growth >= least_growth && (growth == 0) == (least_growth == 0)
                      : growth == (least_growth == 0 ? 0 : UINT64_MAX));

  const bool ok = fill(t.store, t.s, params, t.run);
  FUZZ_CHECK(ok == !stop);
  if (!possible) {
    PLUGIN_RESULT r;
    r.processed = static_cast<int32_t>(stop.value_or(t.visited()));
    t.expect(t.before, r);
    return;
  }
  expect_in_place(t, [&params, target](plain_packet& p, PLUGIN_RESULT& r) {
    if (static_cast<int64_t>(p.bytes.size()) >= target) return;
    p.bytes.resize(static_cast<size_t>(target), params.value);
    p.bits = static_cast<uint32_t>(8 * target);
    ++r.changed;
  });
}

// One byte, or one bit, written into every packet long enough for it; those count as changed.
void check_edit(fuzz_input& in, session& t) {
  edit_params params;
  params.bits = (in.take<uint8_t>() & 1) != 0;
  params.position = take_count(in);
  params.value = in.take<uint8_t>();
  t.load(in);
  edit(t.store, t.s, params, t.run);
  expect_in_place(t, [&params](plain_packet& p, PLUGIN_RESULT& r) {
    const uint64_t at = params.position;
    if (params.bits && at < p.bits) {
      const auto mask = static_cast<uint8_t>(1u << (at % 8));
      p.bytes[at / 8] = params.value != 0 ? p.bytes[at / 8] | mask : p.bytes[at / 8] & ~mask;
      ++r.changed;
    } else if (!params.bits && at < p.bytes.size()) {
      p.bytes[at] = params.value;
      ++r.changed;
    }
  });
}

// Keep: the bytes of the band (a packet that does not reach it is deleted); remove: the bytes
// after the band move down (a packet that does not reach it stays). Results are whole bytes;
// the packets Cancel left unvisited follow as they were.
void check_demux(fuzz_input& in, session& t) {
  demux_params params;
  params.keep = (in.take<uint8_t>() & 1) != 0;
  params.first = take_count(in);
  params.last = static_cast<uint32_t>(
      std::min<uint64_t>(uint64_t{params.first} + take_count(in), UINT32_MAX));
  t.load(in);
  demux(t.store, t.s, params, t.run);
  plain_store after;
  PLUGIN_RESULT r;
  r.processed = static_cast<int32_t>(t.visited());
  for (uint32_t i = 0; i < t.before.size(); ++i) {
    const plain_packet& p = t.before[i];
    const uint64_t size = p.bytes.size();
    if (i >= t.visited() || !in_scope(p, t.s)) {
      after.push_back(p);
      continue;
    }
    if (params.keep && size <= params.first) {
      ++r.deleted;
      continue;
    }
    ++r.changed;
    if (params.keep) {
      const uint64_t end = std::min<uint64_t>(uint64_t{params.last} + 1, size);
      after.push_back(
          whole_bytes({p.bytes.begin() + params.first, p.bytes.begin() + end}, p.colour));
    } else if (size > params.first) {
      std::vector<uint8_t> kept(p.bytes.begin(), p.bytes.begin() + params.first);
      if (size > uint64_t{params.last} + 1) {
        kept.insert(kept.end(), p.bytes.begin() + params.last + 1, p.bytes.end());
      }
      after.push_back(whole_bytes(std::move(kept), p.colour));
    } else {
      after.push_back(p);
    }
  }
  r.modified = r.changed != 0 || r.deleted != 0;
  t.expect(after, r);
}

// The kinds of fragment by colour (as the dialog sets them) or by conditions (as pelorin-cli
// does).
struct fragment_kinds {
  CLAUSES lists[3];
  std::optional<scope> kinds[3];
};

// A group opens with a first fragment, takes the inner bytes of intermediate ones while it stays
// below 8192 bytes, and closes with a last fragment, or with the next first fragment, or where the
// pass ends; each group becomes one unmarked packet where it closed. Fragments taken are deleted;
// packets of 8192 bytes or more are named and stay.
void check_defrag(fuzz_input& in, session& t) {
  fragment_kinds f;
  const auto enabled = in.take<uint8_t>();
  for (int k = 0; k < 3; ++k) {
    const auto kind = in.take<uint8_t>();
    if ((kind & 4) != 0) {
      f.lists[k] = take_conditions(in);
      f.kinds[k] = scope{true, colour_white, &f.lists[k]};
    } else {
      f.kinds[k] = scope{false, fuzz_palette[kind & 3]};
    }
    if (k > 0 && (enabled & k) == 0) f.kinds[k].reset();
  }
  defrag_params params;
  params.first = *f.kinds[0];
  params.middle = f.kinds[1];
  params.last = f.kinds[2];
  uint32_t* margins[] = {&params.first_tail, &params.middle_head, &params.middle_tail,
                         &params.last_head, &params.last_tail};
  for (uint32_t* m : margins) *m = in.take<uint8_t>() % 101;
  std::vector<uint32_t> named;
  params.on_overlong = [&named](uint32_t number) { named.push_back(number); };
  t.load(in);
  defrag(t.store, params, t.run);

  constexpr size_t buffer = 8192;
  plain_store after;
  std::vector<uint32_t> overlong;
  std::vector<uint8_t> group;
  PLUGIN_RESULT r;
  r.modified = true;
  r.processed = static_cast<int32_t>(t.visited());
  auto close = [&] {
    after.push_back(whole_bytes(std::move(group), colour_white));
    group.clear();
    ++r.joined;
  };
  auto is = [](const std::optional<scope>& kind, const plain_packet& p) {
    return kind && in_scope(p, *kind);
  };
  for (uint32_t i = 0; i < t.visited(); ++i) {
    const plain_packet& p = t.before[i];
    if (p.bytes.size() >= buffer) {
      overlong.push_back(i);
      after.push_back(p);
    } else if (is(params.first, p)) {
      if (!group.empty()) close();
      group = inner_bytes(p, 0, params.first_tail);
      ++r.deleted;
    } else if (is(params.middle, p) || is(params.last, p)) {
      const bool last = !is(params.middle, p);
      const std::vector<uint8_t> bytes =
          last ? inner_bytes(p, params.last_head, params.last_tail)
               : inner_bytes(p, params.middle_head, params.middle_tail);
      if (group.size() + bytes.size() < buffer) {
        group.insert(group.end(), bytes.begin(), bytes.end());
        ++r.deleted;
        if (last) close();
      } else {
        if (last && !group.empty()) close();
        after.push_back(p);
      }
    } else {
      after.push_back(p);
    }
  }
  if (!group.empty()) close();
  after.insert(after.end(), t.before.begin() + t.visited(), t.before.end());
  FUZZ_CHECK(named == overlong);
  t.expect(after, r);
}

// Packets whose byte count (bits rounded up) is equal to, not equal to, at most or at least the
// number get the colour; any other comparison takes every packet.
void check_select_by_length(fuzz_input& in, session& t) {
  length_selection params;
  const auto op = in.take<uint8_t>();
  params.op = static_cast<length_operator>((op & 0x80) != 0 ? op : op & 3);
  params.length = take_count(in);
  params.colour = fuzz_palette[in.take<uint8_t>() & 3];
  t.load(in);
  select_by_length(t.store, t.s, params, t.run);
  expect_in_place(t, [op, &params](plain_packet& p, PLUGIN_RESULT& r) {
    const uint32_t length = (p.bits + 7) / 8;
    const bool match = op >= 0x80      ? true
                       : (op & 3) == 0 ? length == params.length
                       : (op & 3) == 1 ? length != params.length
                       : (op & 3) == 2 ? length <= params.length
                                       : length >= params.length;
    if (match) {
      p.colour = params.colour;
      ++r.recoloured;
    }
  });
}

// Packets meeting every condition get the colour.
void check_select_by_values(fuzz_input& in, session& t) {
  const CLAUSES list = take_conditions(in);
  const uint32_t colour = fuzz_palette[in.take<uint8_t>() & 3];
  t.load(in);
  select_by_values(t.store, t.s, list, colour, t.run);
  expect_in_place(t, [&list, colour](plain_packet& p, PLUGIN_RESULT& r) {
    if (plain_conditions(p, list)) {
      p.colour = colour;
      ++r.recoloured;
    }
  });
}

// The smallest offset at which the pattern stands in the packet: bytes for a text, bits (within
// the bit length) for '0' and '1'.
std::optional<uint32_t> plain_match(const plain_packet& p, search_kind kind,
                                    const std::string& pattern) {
  const uint64_t length = kind == search_kind::text ? p.bytes.size() : p.bits;
  for (uint64_t at = 0; at + pattern.size() <= length; ++at) {
    bool same = true;
    for (size_t j = 0; j < pattern.size() && same; ++j) {
      same = kind == search_kind::text ? p.bytes[at + j] == static_cast<uint8_t>(pattern[j])
                                       : plain_bit(p, at + j) == pattern[j] - '0';
    }
    if (same) return static_cast<uint32_t>(at);
  }
  return std::nullopt;
}

// From the range's first packet down or up, stopping at the first match, or colouring every
// match; no counter moves.
void check_search(fuzz_input& in, session& t) {
  search_params params;
  const auto flags = in.take<uint8_t>();
  params.kind = (flags & 1) != 0 ? search_kind::bits : search_kind::text;
  params.all_matches = (flags & 2) != 0;
  params.range = {in.take<int8_t>(), (flags & 4) != 0};
  params.colour = fuzz_palette[(flags >> 3) & 3];
  const size_t length = std::min<size_t>(in.take<uint8_t>() % longest_pattern + 1, in.size());
  for (size_t j = 0; j < length; ++j) {
    const auto c = static_cast<char>(in.data()[j]);
    params.pattern += params.kind == search_kind::text ? c : static_cast<char>('0' + (c & 1));
  }
  in.skip(length);
  t.load(in);
  std::vector<search_hit> reported;
  const std::optional<search_hit> found =
      search(t.store, params, t.run, [&](const search_hit& h) { reported.push_back(h); });

  plain_store after = t.before;
  std::vector<search_hit> matches;
  std::optional<search_hit> first;
  const auto count = static_cast<int64_t>(after.size());
  uint32_t steps = 0;
  for (int64_t i = params.range.first; i >= 0 && i < count; i += params.range.descending ? -1 : 1) {
    const auto number = static_cast<uint32_t>(i);
    if (const std::optional<uint32_t> at =
            plain_match(after[number], params.kind, params.pattern)) {
      if (!params.all_matches) {
        first = search_hit{number, *at};
        break;
      }
      after[number].colour = params.colour;
      matches.push_back({number, *at});
    }
    if (t.cancelled_after(++steps)) break;
  }
  FUZZ_CHECK(found == first);
  FUZZ_CHECK(reported == matches);
  t.expect(after, PLUGIN_RESULT{});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  set_available_memory_for_testing(uint64_t{1} << 30);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using check = void (*)(fuzz_input&, session&);
  constexpr check checks[] = {check_swap,   check_fill,
                              check_edit,   check_demux,
                              check_defrag, check_select_by_length,
                              check_search, check_select_by_values};
  fuzz_input in(data, size);
  const auto operation = in.take<uint8_t>();
  session t(in);
  t.record(operation / std::size(checks));
  checks[operation % std::size(checks)](in, t);
  return 0;
}
