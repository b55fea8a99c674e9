#include "core/files/sig_file.h"

#include <limits>
#include <new>

#include "core/model/memory_budget.h"

namespace {

// The bytes of the image from `pos` on, as many as there are, up to n.
uint32_t available_from(std::span<const uint8_t> image, size_t pos, uint32_t n) {
  if (pos >= image.size()) return 0;
  const size_t left = image.size() - pos;
  return left < n ? static_cast<uint32_t>(left) : n;
}

}  // namespace

sig_read_result read_sig_image(std::span<const uint8_t> image, PAKETS& store, uint32_t k0,
                               const sig_read_hooks& hooks) {
  sig_read_result result{k0, true};
  if (k0 != store.size()) {
    result.ok = false;
    return result;
  }
  // The packets may take what memory is left, less a reserve for the rest of the program.
  constexpr uint64_t reserve = uint64_t{32} << 20;
  const uint64_t available = available_memory();
  uint64_t budget = available > reserve ? available - reserve : 0;
  size_t pos = 0;
  uint64_t consumed = 0;
  uint32_t k = k0;
  while (pos < image.size() && (!hooks.keep_going || hooks.keep_going())) {
    const uint32_t low = image[pos];
    const uint32_t high = pos + 1 < image.size() ? image[pos + 1] : 0;
    const uint32_t length = low | (high << 8);
    pos += 2;
    if (k == std::numeric_limits<uint32_t>::max()) {
      result.ok = false;
      break;
    }
    const uint64_t cost = packet_memory(length);
    if (cost > budget) {
      result.ok = false;
      break;
    }
    budget -= cost;
    xpaket* p = nullptr;
    try {
      const uint8_t* bytes = pos < image.size() ? image.data() + pos : nullptr;
      p = new xpaket(bytes, available_from(image, pos, length), length);
      store.append(p);
    } catch (const std::bad_alloc&) {
      delete p;
      result.ok = false;
      break;
    }
    ++k;
    pos += length;
    consumed += uint64_t{length} + 2;
    hooks.packet_read(k, [consumed] { return consumed; });
  }
  result.next = k;
  return result;
}

std::optional<uint32_t> first_oversize_packet(const PAKETS& store) {
  for (const auto& [number, p] : store) {
    if (p->size(true) > sig_max_packet_bytes) return number;
  }
  return std::nullopt;
}

void write_packet(const xpaket& p, std::ostream& out, bool with_length) {
  p.write(out, with_length);
}
