#include "core/model/bit_block.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <ostream>
#include <stdexcept>

#include "core/model/stream.h"

namespace {

uint32_t bytes_for_bits(uint32_t bits) {
  return static_cast<uint32_t>((uint64_t{bits} + 7) / 8);
}

uint8_t* zeroed_buffer(uint32_t bytes) {
  if (bytes == 0) return nullptr;
  auto* buffer = new uint8_t[bytes];
  std::memset(buffer, 0, bytes);
  return buffer;
}

}  // namespace

xbit_block::xbit_block(uint32_t n) {
  data_ = zeroed_buffer(bytes_for_bits(n));
  bit_length_ = n;
  byte_length_ = bytes_for_bits(n);
  capacity_ = byte_length_;
}

xbit_block::xbit_block(std::string_view text) {
  if (text.size() > 0xFFFFFFFFu) throw std::length_error("xbit_block: text too long");
  const auto bits = static_cast<uint32_t>(text.size());
  const uint32_t bytes = (bytes_for_bits(bits) + 3) / 4 * 4;
  data_ = zeroed_buffer(bytes);
  bit_length_ = bits;
  byte_length_ = bytes;
  capacity_ = bytes;
  for (uint32_t j = 0; j < bits; ++j) {
    if (text[j] == '1') {
      set_bit(j);
    } else if (text[j] != '0') {
      delete[] data_;
      data_ = nullptr;
      throw std::invalid_argument("xbit_block: text is not binary");
    }
  }
}

xbit_block::xbit_block(uint8_t* buffer, uint32_t bits, uint32_t bytes, uint32_t capacity) {
  data_ = buffer;
  bit_length_ = bits;
  byte_length_ = bytes;
  capacity_ = capacity;
}

xbit_block::~xbit_block() {
  delete[] data_;
}

uint8_t* xbit_block::new_buffer(uint32_t bytes) {
  return new (std::nothrow) uint8_t[bytes];
}

void xbit_block::free_buffer(uint8_t* buffer) {
  delete[] buffer;
}

void xbit_block::resize(uint32_t n) {
  const uint32_t bytes = bytes_for_bits(n);
  if (bytes == 0) {
    if (data_ != nullptr) free_buffer(data_);
    data_ = nullptr;
    capacity_ = 0;
  } else if (data_ != nullptr && keeps_buffer(capacity_, bytes)) {
    // The buffer it has still fits without wasting much: no allocation, which is what a cut
    // over millions of packets needs.
    if (bytes > byte_length_) std::memset(data_ + byte_length_, 0, bytes - byte_length_);
  } else if (uint8_t* buffer = new_buffer(bytes); buffer != nullptr) {
    const uint32_t kept = std::min(bytes, byte_length_);
    if (kept > 0) std::memcpy(buffer, data_, kept);
    std::memset(buffer + kept, 0, bytes - kept);
    if (data_ != nullptr) free_buffer(data_);
    data_ = buffer;
    capacity_ = bytes;
  } else if (data_ != nullptr && bytes <= capacity_) {
    // No memory for a smaller buffer: the one it has holds the block all the same.
    if (bytes > byte_length_) std::memset(data_ + byte_length_, 0, bytes - byte_length_);
  } else {
    return;
  }
  bit_length_ = n;
  byte_length_ = bytes;
}

bool xbit_block::assign(const uint8_t* bytes, uint32_t bits) {
  const uint32_t n = bytes_for_bits(bits);
  if (n > capacity_ || (data_ == nullptr && n > 0)) {
    uint8_t* buffer = new_buffer(n);
    if (buffer == nullptr) return false;
    if (data_ != nullptr) free_buffer(data_);
    data_ = buffer;
    capacity_ = n;
  }
  if (n > 0) std::memcpy(data_, bytes, n);
  bit_length_ = bits;
  byte_length_ = n;
  return true;
}

void xbit_block::trim() {
  if (data_ == nullptr) return;
  if (byte_length_ == 0) {
    free_buffer(data_);
    data_ = nullptr;
    capacity_ = 0;
    return;
  }
  if (keeps_buffer(capacity_, byte_length_)) return;
  uint8_t* buffer = new_buffer(byte_length_);
  if (buffer == nullptr) return;
  std::memcpy(buffer, data_, byte_length_);
  free_buffer(data_);
  data_ = buffer;
  capacity_ = byte_length_;
}

int xbit_block::transfer(xstream& stream) {
  if (stream.end() == nullptr || stream.current() == nullptr) return 2;
  int result = 0;
  const uint64_t remaining = static_cast<uint64_t>(stream.end() - stream.current());
  if (remaining < byte_length_) {
    resize(static_cast<uint32_t>(remaining * 8));
    result = 4;
  }
  if (stream.is_input() && data_ == nullptr) return result;

  // Source and destination as (bytes, first bit, bit count).
  const uint8_t* src = stream.is_input() ? stream.current() : data_;
  const unsigned src_bit0 = stream.is_input() ? stream.bit_offset() : 0;
  const uint64_t src_bits = stream.is_input() ? remaining * 8 - src_bit0 : uint64_t{bit_length_};
  uint8_t* dst = stream.is_input() ? data_ : stream.writable_current();
  const unsigned dst_bit0 = stream.is_input() ? 0 : stream.bit_offset();
  const uint64_t dst_bits = stream.is_input() ? uint64_t{bit_length_} : remaining * 8 - dst_bit0;
  if (src == nullptr) return 2;
  if (dst != nullptr) {
    const uint64_t count = std::min(src_bits, dst_bits);
    uint8_t acc = 0;
    for (uint64_t k = 0; k < count; ++k) {
      const uint64_t s = src_bit0 + k;
      const uint64_t d = dst_bit0 + k;
      if ((src[s >> 3] >> (s & 7)) & 1) acc |= static_cast<uint8_t>(1u << (d & 7));
      if ((d & 7) == 7) {
        dst[d >> 3] = acc;
        acc = 0;
      }
    }
  }
  if (!stream.no_advance()) (void)stream.seek(stream.tell() + bit_length_);
  return result;
}

void xbit_block::write(std::ostream& out) const {
  if (byte_length_ > 0) out.write(reinterpret_cast<const char*>(data_), byte_length_);
}

int xbit_block::drop_leading(uint32_t n) {
  if (n >= bit_length_) return 4;
  const uint32_t skip = n / 8;
  const unsigned shift = n % 8;
  if (shift == 0) {
    std::memmove(data_, data_ + skip, byte_length_ - skip);
    return 0;
  }
  for (uint32_t k = 0; k < byte_length_; ++k) {
    const uint32_t from = k + skip;
    const unsigned lo = from < byte_length_ ? data_[from] : 0;
    const unsigned hi = from + 1 < byte_length_ ? data_[from + 1] : 0;
    data_[k] = static_cast<uint8_t>((lo >> shift) | (hi << (8 - shift)));
  }
  return 0;
}

void xbit_block::invert() {
  for (uint32_t k = 0; k < byte_length_; ++k) data_[k] = static_cast<uint8_t>(~data_[k]);
}

std::string xbit_block::to_string() const {
  std::string text(bit_length_, '0');
  for (uint32_t j = 0; j < bit_length_; ++j) {
    if (get_bit(j)) text[j] = '1';
  }
  return text;
}
