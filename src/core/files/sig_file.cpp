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

read_fault append_read_packet(PAKETS& store, uint64_t& budget, const uint8_t* bytes,
                              uint32_t available, uint32_t length) {
  if (store.size() >= std::numeric_limits<uint32_t>::max()) return read_fault::too_many;
  const uint64_t cost = packet_memory(length);
  if (cost > budget) return read_fault::memory;
  xpaket* p = nullptr;
  try {
    p = new xpaket(bytes, available, length);
    store.append(p);
  } catch (const std::bad_alloc&) {
    delete p;
    return read_fault::memory;
  }
  budget -= cost;
  return read_fault::none;
}

sig_read_result read_sig_image(std::span<const uint8_t> image, PAKETS& store, uint32_t k0,
                               const sig_read_hooks& hooks) {
  sig_read_result result{k0, true};
  if (k0 != store.size()) {
    result.ok = false;
    return result;
  }
  store.add_link_type(sig_link_type);
  uint64_t budget = memory_budget();
  size_t pos = 0;
  uint64_t consumed = 0;
  uint32_t k = k0;
  while (pos < image.size() && (!hooks.keep_going || hooks.keep_going())) {
    const uint32_t low = image[pos];
    const uint32_t high = pos + 1 < image.size() ? image[pos + 1] : 0;
    const uint32_t length = low | (high << 8);
    pos += 2;
    const uint8_t* bytes = pos < image.size() ? image.data() + pos : nullptr;
    result.fault =
        append_read_packet(store, budget, bytes, available_from(image, pos, length), length);
    if (result.fault != read_fault::none) {
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
