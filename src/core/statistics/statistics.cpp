#include "core/statistics/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>

namespace {

// A key is counted as one number: its elements in a mixed radix, the first element most
// significant, so that the numbers sort like the keys. A byte element takes 0..255 and 256 for
// an absent one, a bit element 0, 1 and 2; a length is the number itself.
constexpr uint64_t byte_radix = 257;
constexpr uint64_t bit_radix = 3;

// Keys below this many are counted in a flat array; the key spaces of up to two bytes, of all bit
// keys and of the common lengths fit.
constexpr uint64_t flat_limit = uint64_t{1} << 17;
constexpr uint64_t length_flat_size = 65536;

// Counts the keys that do not fit the flat array: open addressing over a fixed table that holds
// the variant limit at a low load.
class key_table {
 public:
  static constexpr uint64_t empty = ~uint64_t{0};

  key_table() : keys_(new uint64_t[size]), counts_(new uint32_t[size]) {
    std::fill_n(keys_.get(), size, empty);
  }

  // Adds one to key's count; true when the key is new.
  bool add(uint64_t key) {
    uint64_t slot = (key * 0x9E3779B97F4A7C15ull) >> (64 - bits);
    while (true) {
      if (keys_[slot] == key) {
        ++counts_[slot];
        return false;
      }
      if (keys_[slot] == empty) {
        keys_[slot] = key;
        counts_[slot] = 1;
        return true;
      }
      slot = (slot + 1) & (size - 1);
    }
  }

  template <typename F>
  void for_each(F&& f) const {
    for (uint64_t slot = 0; slot < size; ++slot) {
      if (keys_[slot] != empty) f(keys_[slot], counts_[slot]);
    }
  }

 private:
  static constexpr int bits = 16;
  static constexpr uint64_t size = uint64_t{1} << bits;
  static_assert(size > 3 * stat_variant_limit);
  std::unique_ptr<uint64_t[]> keys_;
  std::unique_ptr<uint32_t[]> counts_;
};

// The variants found so far: a flat array for the small keys, the table for the others.
class key_counter {
 public:
  explicit key_counter(uint64_t flat_size) : flat_(flat_size, 0) {}

  // Adds one to key's count; true when the key is new.
  bool add(uint64_t key) {
    if (key < flat_.size()) {
      uint32_t& count = flat_[key];
      ++count;
      return count == 1;
    }
    if (!table_) table_ = std::make_unique<key_table>();
    return table_->add(key);
  }

  // The variants as (key, count) in ascending key order.
  [[nodiscard]] std::vector<std::pair<uint64_t, uint32_t>> sorted() const {
    std::vector<std::pair<uint64_t, uint32_t>> all;
    for (uint64_t key = 0; key < flat_.size(); ++key) {
      if (flat_[key] != 0) all.emplace_back(key, flat_[key]);
    }
    if (table_) {
      const size_t flat_end = all.size();
      table_->for_each([&](uint64_t key, uint32_t count) { all.emplace_back(key, count); });
      std::sort(all.begin() + static_cast<std::ptrdiff_t>(flat_end), all.end());
    }
    return all;
  }

 private:
  std::vector<uint32_t> flat_;
  std::unique_ptr<key_table> table_;
};

uint64_t radix_of(stat_mode mode) {
  return mode == stat_mode::bits ? bit_radix : byte_radix;
}

// The size of the flat array for keys of `elements` elements.
uint64_t flat_size(stat_mode mode, size_t elements) {
  if (mode == stat_mode::lengths) return length_flat_size;
  uint64_t space = 1;
  for (size_t i = 0; i < elements; ++i) {
    space *= radix_of(mode);
    if (space > flat_limit) return 0;
  }
  return space;
}

// The key of one packet in value mode. Reading stops at the first position beyond the packet;
// that element and all after it are absent.
template <stat_mode mode>
uint64_t value_key(const xpaket& p, const uint32_t* positions, size_t n) {
  constexpr uint64_t radix = mode == stat_mode::bits ? bit_radix : byte_radix;
  constexpr uint64_t absent = radix - 1;
  const uint8_t* data = p.bytes();
  const uint32_t length = mode == stat_mode::bits ? p.bit_length() : p.byte_length();
  uint64_t key = 0;
  size_t i = 0;
  for (; i < n && positions[i] < length; ++i) {
    const uint32_t at = positions[i];
    const uint64_t value = mode == stat_mode::bits ? (data[at >> 3] >> (at & 7)) & 1u : data[at];
    key = key * radix + value;
  }
  for (; i < n; ++i) key = key * radix + absent;
  return key;
}

// Counts the packets' keys until the limit or Cancel; returns whether the limit ended it.
template <stat_mode mode>
bool count_keys(const PAKETS& store, const std::vector<uint32_t>& positions, key_counter& counter,
                pass& run) {
  // The counters stay local during the walk (the step does not look at them) and reach
  // run.result at the end.
  size_t variants = 0;
  int32_t processed = 0;
  bool limited = false;
  const uint32_t* const at_positions = positions.data();
  const size_t elements = positions.size();
  for (auto at = store.begin(); at != store.end() && run.running; ++at) {
    const xpaket& p = *at->second;
    uint64_t key = 0;
    if constexpr (mode == stat_mode::lengths) {
      key = p.byte_length();
    } else {
      key = value_key<mode>(p, at_positions, elements);
    }
    if (counter.add(key) && ++variants == stat_variant_limit) {
      limited = true;
      break;
    }
    ++processed;
    run.step_progress();
  }
  run.result.processed += processed;
  return limited;
}

// The elements of a counted key.
STAT_TYPE unpack(uint64_t key, stat_mode mode, size_t elements) {
  if (mode == stat_mode::lengths) return STAT_TYPE{static_cast<uint32_t>(key)};
  const uint64_t radix = radix_of(mode);
  STAT_TYPE values(elements);
  for (size_t i = elements; i-- > 0;) {
    const auto digit = static_cast<uint32_t>(key % radix);
    values[i] = digit == radix - 1 ? stat_absent : digit;
    key /= radix;
  }
  return values;
}

}  // namespace

stat_result statistics(const PAKETS& store, stat_mode mode, const std::vector<uint32_t>& positions,
                       pass& run, const std::function<void(bool limited)>& before_sorting) {
  const size_t elements = mode == stat_mode::lengths ? 1 : positions.size();
  key_counter counter(flat_size(mode, elements));
  stat_result result;
  run.running = true;
  run.result.processed = 0;
  switch (mode) {
    case stat_mode::bytes:
      result.limited = count_keys<stat_mode::bytes>(store, positions, counter, run);
      break;
    case stat_mode::bits:
      result.limited = count_keys<stat_mode::bits>(store, positions, counter, run);
      break;
    case stat_mode::lengths:
      result.limited = count_keys<stat_mode::lengths>(store, positions, counter, run);
      break;
  }
  run.running = false;
  result.processed = run.result.processed;
  if (before_sorting) before_sorting(result.limited);

  // Key order first, then a stable insertion by count: equal counts stay in ascending key order.
  for (const auto& [key, count] : counter.sorted()) {
    result.variants.emplace_hint(result.variants.end(), count, unpack(key, mode, elements));
  }
  return result;
}

std::string format_share(uint32_t count, size_t total, char decimal_point) {
  if (total == 0) return {};
  const float share = static_cast<float>(count) / static_cast<float>(total) * 100.0f;
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(share));
  std::string s(text);
  // "##0.00#": the third decimal only when it is not zero.
  if (s.size() >= 5 && s.back() == '0') s.pop_back();
  if (const size_t dot = s.find('.'); dot != std::string::npos) s[dot] = decimal_point;
  return s;
}

std::string key_element_text(uint32_t value) {
  return value == stat_absent ? std::string() : std::to_string(value);
}

std::string key_text(const STAT_TYPE& key) {
  if (key.empty()) return "все пакеты";
  std::string text;
  for (uint32_t value : key) {
    if (!text.empty()) text += ' ';
    text += value == stat_absent ? std::string("-") : std::to_string(value);
  }
  return text;
}

std::vector<length_bin> length_histogram(const STAT_SORTED_DATA& variants, size_t max_bins) {
  std::vector<length_bin> lengths;
  if (max_bins == 0) return lengths;
  lengths.reserve(variants.size());
  for (const auto& [count, key] : variants) {
    if (!key.empty()) lengths.push_back({key.front(), key.front(), count});
  }
  std::sort(lengths.begin(), lengths.end(),
            [](const length_bin& a, const length_bin& b) { return a.first < b.first; });
  if (lengths.size() <= max_bins) return lengths;
  const uint64_t lowest = lengths.front().first;
  const uint64_t span = uint64_t{lengths.back().first} - lowest + 1;
  const uint64_t width = (span + max_bins - 1) / max_bins;
  std::vector<length_bin> bins;
  bins.reserve(static_cast<size_t>((span + width - 1) / width));
  auto at = lengths.cbegin();
  for (uint64_t first = lowest; at != lengths.cend(); first += width) {
    const uint64_t last = std::min<uint64_t>(first + width - 1, UINT32_MAX);
    length_bin bin{static_cast<uint32_t>(first), static_cast<uint32_t>(last), 0};
    for (; at != lengths.cend() && at->first <= last; ++at) bin.count += at->count;
    bins.push_back(bin);
  }
  return bins;
}

share_scale share_scale_for(double highest, int ticks) {
  share_scale scale;
  if (!(highest > 0) || ticks < 1) return scale;
  const double top = std::min(highest, 100.0);
  // The least step of 1, 2 or 5 times a power of ten that reaches the top in `ticks` steps.
  double power = std::pow(10.0, std::floor(std::log10(top / ticks)));
  int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(power) + 1e-9)));
  for (;;) {
    for (const double factor : {1.0, 2.0, 5.0}) {
      const double step = factor * power;
      if (step * ticks >= top * (1 - 1e-9)) {
        scale.step = step;
        scale.decimals = decimals;
        // The first tick above the highest bar.
        scale.top = std::min(100.0, step * (std::floor(top / step + 1e-9) + 1));
        return scale;
      }
    }
    power *= 10;
    decimals = std::max(0, decimals - 1);
  }
}

std::string statistics_csv(const STAT_SORTED_DATA& variants, stat_mode mode,
                           const std::vector<uint32_t>& positions, size_t total) {
  std::string csv;
  if (mode == stat_mode::lengths) {
    csv += "length,";
  } else {
    const char* name = mode == stat_mode::bits ? "bit" : "byte";
    for (uint32_t position : positions) {
      csv += name;
      csv += std::to_string(uint64_t{position} + 1);
      csv += ',';
    }
  }
  csv += "packets,percent\n";
  for (const auto& [count, key] : variants) {
    for (uint32_t value : key) {
      csv += key_element_text(value);
      csv += ',';
    }
    csv += std::to_string(count);
    csv += ',';
    csv += format_share(count, total);
    csv += '\n';
  }
  return csv;
}
