#include "core/operations/defrag.h"

#include <algorithm>
#include <new>
#include <vector>

#include "core/operations/rebuild_pass.h"

namespace {

enum class fragment { overlong, first, middle, last, other };

fragment classify(const xpaket& p, const defrag_params& params) {
  if (p.byte_length() >= defrag_buffer_bytes) return fragment::overlong;
  if (params.first.contains(p)) return fragment::first;
  if (params.middle && params.middle->contains(p)) return fragment::middle;
  if (params.last && params.last->contains(p)) return fragment::last;
  return fragment::other;
}

// The group being assembled.
class assembly {
 public:
  explicit assembly(pass& run) : run_(run) { bytes_.reserve(defrag_buffer_bytes); }
  ~assembly() {
    if (carrier_ != nullptr) run_.discard_paket(carrier_);
  }
  assembly(const assembly&) = delete;
  assembly& operator=(const assembly&) = delete;

  [[nodiscard]] bool open() const { return !bytes_.empty(); }
  // Whether `count` more bytes fit.
  [[nodiscard]] bool fits(uint32_t count) const {
    return bytes_.size() + count < defrag_buffer_bytes;
  }
  // Appends bytes head..B-tail of p (nothing when the margins cover it).
  void append(const xpaket& p, uint32_t head, uint32_t tail) {
    const uint32_t count = inner(p, head, tail);
    if (count != 0) bytes_.insert(bytes_.end(), p.bytes() + head, p.bytes() + head + count);
  }
  static uint32_t inner(const xpaket& p, uint32_t head, uint32_t tail) {
    const uint64_t margins = uint64_t{head} + tail;
    return p.byte_length() > margins ? static_cast<uint32_t>(p.byte_length() - margins) : 0;
  }
  // Keeps the record of a fragment taken out of the signal to carry the next joined packet, which
  // saves an allocation and a release per group; a record kept before and not used is destroyed.
  void carry(xpaket* p) {
    if (carrier_ != nullptr) run_.discard_paket(carrier_);
    carrier_ = p;
  }
  // Makes the joined packet (unmarked, undecoded) and empties the buffer. Throws std::bad_alloc
  // with the buffer untouched.
  xpaket* take() {
    const auto n = static_cast<uint32_t>(bytes_.size());
    xpaket* joined = carrier_;
    if (joined != nullptr) {
      changing(run_, *joined);
      joined->resize(8 * n);
      if (joined->byte_length() != n) throw std::bad_alloc();  // resize found no buffer
      std::copy(bytes_.begin(), bytes_.end(), joined->writable_bytes());
      joined->colour = colour_white;
      joined->clear_protocols();
      carrier_ = nullptr;
    } else {
      joined = new xpaket(bytes_.data(), n);
    }
    bytes_.clear();
    return joined;
  }

 private:
  pass& run_;
  std::vector<uint8_t> bytes_;
  xpaket* carrier_ = nullptr;
};

}  // namespace

std::string defrag_overlong_text(uint32_t number) {
  return "Пакет номер " + std::to_string(number) +
         ": длина превышает размер буфера. Пакет будет пропущен.   ";
}

void defrag(PAKETS& store, const defrag_params& params, pass& run) {
  assembly group(run);
  uint32_t number = 0;  // the old number of the packet visited
  auto close = [&](new_numbering& next) {
    xpaket* joined = group.take();
    try {
      next.append(joined);
    } catch (...) {
      run.discard_paket(joined);
      throw;
    }
    ++run.result.joined;
  };
  auto visit = [&](xpaket* p, new_numbering& next) {
    const uint32_t old_number = number++;
    switch (classify(*p, params)) {
      case fragment::overlong:
        if (params.on_overlong) params.on_overlong(old_number);
        next.append(p);
        return;
      case fragment::first:
        if (group.open()) close(next);
        group.append(*p, 0, params.first_tail);
        // Taken out of the signal (and counted so); its record carries the joined packet.
        group.carry(p);
        ++run.result.deleted;
        return;
      case fragment::middle:
        if (!group.fits(assembly::inner(*p, params.middle_head, params.middle_tail))) {
          next.append(p);
          return;
        }
        group.append(*p, params.middle_head, params.middle_tail);
        run.delete_paket(p);
        return;
      case fragment::last:
        if (!group.fits(assembly::inner(*p, params.last_head, params.last_tail))) {
          if (group.open()) close(next);
          next.append(p);
          return;
        }
        group.append(*p, params.last_head, params.last_tail);
        close(next);
        run.delete_paket(p);
        return;
      case fragment::other:
        next.append(p);
        return;
    }
  };
  rebuild_store(store, run, visit, [&](new_numbering& next) {
    if (group.open()) close(next);
  });
  run.result.modified = true;
}
