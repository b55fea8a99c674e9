#include "core/operations/cut.h"

#include "core/model/memory_budget.h"
#include "core/operations/in_place_pass.h"

namespace {

// Bit lengths above this cannot be stored in a packet.
constexpr int64_t longest_packet_bits = 0xFFFFFFFFll;

enum class cut_outcome { unchanged, changed, failed };

// Cuts one packet by the counts in bits. `failed` when a new buffer could not be had: resize
// then keeps the old length (after a leading cut the bits have moved down already).
cut_outcome cut_paket(xpaket& p, int64_t leading, int64_t trailing) {
  const int64_t bits = p.bit_length();
  if (leading % 8 == 0 && trailing >= 0 && trailing % 8 == 0 && bits % 8 == 0) {
    // Whole bytes off a packet of whole bytes: one move inside its buffer where that can do it.
    const int64_t lead = leading > 0 && leading < bits ? leading : 0;
    const int64_t rest = bits - lead;
    const int64_t length = trailing != 0 && rest - trailing > 0 ? rest - trailing : rest;
    if (length == bits) return cut_outcome::unchanged;
    if (p.keep_bytes(static_cast<uint32_t>(lead / 8), static_cast<uint32_t>(length / 8))) {
      return cut_outcome::changed;
    }
  }
  bool changed = false;
  if (leading > 0 && leading < int64_t{p.bit_length()}) {
    const auto n = static_cast<uint32_t>(leading);
    const uint32_t length = p.bit_length() - n;
    if (p.drop_leading(n) == 0) {
      p.resize(length);
      if (p.bit_length() != length) return cut_outcome::failed;
      changed = true;
    }
  }
  if (trailing != 0) {
    const int64_t length = int64_t{p.bit_length()} - trailing;
    if (length > 0 && length <= longest_packet_bits) {
      const uint32_t before = p.bit_length();
      p.resize(static_cast<uint32_t>(length));
      if (p.bit_length() != static_cast<uint32_t>(length)) return cut_outcome::failed;
      // A negative count appends zero bits: the spare bits of the old partial last byte, which
      // resize keeps as they were stored, become zeros too.
      if (length > before && before % 8 != 0) {
        p.writable_bytes()[before / 8] &= static_cast<uint8_t>((1u << (before % 8)) - 1);
      }
      changed = changed || p.bit_length() != before;
    }
  }
  return changed ? cut_outcome::changed : cut_outcome::unchanged;
}

}  // namespace

uint64_t cut_growth(const PAKETS& store, const scope& s, cut_params params) {
  const int64_t unit = params.bits ? 1 : 8;
  const int64_t trailing = int64_t{params.end} * unit;
  if (trailing >= 0) return 0;
  // Allocator header of a new buffer.
  constexpr uint64_t header = 16;
  uint64_t growth = 0;
  for (const auto& [number, p] : store) {
    if (!s.contains(*p)) continue;
    // A leading cut only shortens, so the longest result is the full length grown.
    const int64_t length = int64_t{p->bit_length()} - trailing;
    if (length > longest_packet_bits) continue;
    growth += (static_cast<uint64_t>(length) + 7) / 8 + header;
  }
  return growth;
}

bool cut_fits_memory(const PAKETS& store, const scope& s, cut_params params) {
  return fits_memory_budget(cut_growth(store, s, params));
}

bool cut(PAKETS& store, const scope& s, cut_params params, pass& run) {
  const int64_t unit = params.bits ? 1 : 8;
  const int64_t leading = int64_t{params.start} * unit;
  const int64_t trailing = int64_t{params.end} * unit;
  return change_in_place(store, s, run, [leading, trailing](xpaket& p) {
    switch (cut_paket(p, leading, trailing)) {
      case cut_outcome::unchanged:
        return 0;
      case cut_outcome::changed:
        return 1;
      case cut_outcome::failed:
        break;
    }
    return -1;
  });
}
