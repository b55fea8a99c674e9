#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

// One combination of values ("variant"): an element per chosen position, in the order of the
// positions (in length mode one element, the length).
using STAT_TYPE = std::vector<uint32_t>;
// Variants and their counts, in key order.
using STAT_DATA = std::map<STAT_TYPE, uint32_t>;
// Variants by count, largest first; equal counts keep their insertion order (ascending key).
using STAT_SORTED_DATA = std::multimap<uint32_t, STAT_TYPE, std::greater<>>;

enum class stat_mode { bytes, bits, lengths };

// The value of a key element whose position lies beyond the end of its packet: it sorts after
// every value a packet can hold and is shown as an empty cell or field.
inline constexpr uint32_t stat_absent = 0xFFFFFFFF;
// Counting stops when this many distinct variants have been found.
inline constexpr size_t stat_variant_limit = 20000;
// What the user is told when the limit ends the count.
inline constexpr const char* stat_too_many_variants = "Слишком большое количество вариантов.   ";
// At most this many positions form a key.
inline constexpr size_t stat_max_positions = 5;

struct stat_result {
  STAT_SORTED_DATA variants;
  int32_t processed = 0;  // packets counted (the one that reached the limit is not among them)
  bool limited = false;   // the variant limit ended the count
};

// Counts how often each variant occurs over the packets of the store, in ascending number, while
// run.running stays set, and sorts the variants by count (largest first, then ascending key).
// `positions` are 0-based byte or bit indexes (at most stat_max_positions; ignored in length
// mode). An element whose position is beyond the end of the packet holds stat_absent, so a short
// packet still counts once, under a key of full width. When stat_variant_limit variants have been
// found the count ends at once: the packet that brought the last one is counted in its variant but
// not in `processed`.
//
// run.result.processed is set like the result's; run.step_progress() follows every counted packet.
// `before_sorting`, when given, is called once between the count and the sort with whether the
// limit ended the count.
stat_result statistics(const PAKETS& store, stat_mode mode, const std::vector<uint32_t>& positions,
                       pass& run, const std::function<void(bool limited)>& before_sorting = {});

// The share count / total in percent as the result table shows it: count and total as
// single-precision floats, at least one integer digit, two or three decimals ("##0.00#"), with
// `decimal_point` between. Empty when total is 0.
std::string format_share(uint32_t count, size_t total, char decimal_point = '.');

// The text of one key element: the value in decimal, or nothing for stat_absent.
std::string key_element_text(uint32_t value);

// A whole key on one line, as a chart labels its bar: the elements as the table's cells show them,
// separated by blanks; an element beyond the packet's end, which the table leaves empty, as "-",
// and the key without positions (every packet in one variant) as "все пакеты".
std::string key_text(const STAT_TYPE& key);

// One bar of the length histogram: the packets whose length lies in first..last.
struct length_bin {
  uint32_t first = 0;
  uint32_t last = 0;
  uint64_t count = 0;
  bool operator==(const length_bin&) const = default;
};

// The lengths of a length-mode result as at most `max_bins` bars in ascending order: a bar for
// each length while there are no more distinct lengths than bars; otherwise bins of one width from
// the shortest length on, that together reach the longest, empty ones included.
std::vector<length_bin> length_histogram(const STAT_SORTED_DATA& variants, size_t max_bins);

// A scale for shares in percent from 0 up to `top`, a tick every `step`, each tick labelled with
// `decimals` decimals: as many as the step needs, and no more.
struct share_scale {
  double top = 100;
  double step = 25;
  int decimals = 0;
};

// The scale for a chart whose highest bar is `highest` percent (0..100): the step is the least of
// 1, 2 or 5 times a power of ten of which `ticks` reach the highest bar, the top the first tick
// above it (at most 100). No bar above 0 keeps the whole 0..100.
share_scale share_scale_for(double highest, int ticks);

// The result as CSV (UTF-8, comma-separated, lines ending in '\n'): a header naming the positions
// (1-based: "byte3", "bit9", or "length"), then "packets,percent"; one line per variant in the
// result's order; shares against `total` packets with a full stop.
std::string statistics_csv(const STAT_SORTED_DATA& variants, stat_mode mode,
                           const std::vector<uint32_t>& positions, size_t total);
