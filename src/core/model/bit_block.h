#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>

#include "core/model/block.h"

class xstream;

// A block that owns its byte buffer. Its byte length is the bit length / 8 rounded up, except for
// a block made from a pattern text, whose buffer is rounded up to a multiple of 4 bytes. The bits
// of the last byte beyond the bit length are stored like the others.
class xbit_block : public xblock {
 public:
  // n bits, all zero. Throws std::bad_alloc when memory runs out.
  explicit xbit_block(uint32_t n);
  // From a text of '0' and '1' (character j is bit j). Throws std::invalid_argument on any other
  // character, std::bad_alloc when memory runs out.
  explicit xbit_block(std::string_view text);
  ~xbit_block() override;

  // New bit length n, new byte length n / 8 rounded up: a shorter block keeps its first bytes, a
  // longer one keeps all its old bytes whole (the spare bits of a partial last byte as they are
  // stored) and gets zero bytes after them. A buffer that still fits without much waste is reused
  // in place; a shorter block keeps its buffer when no smaller one can be had. A longer one keeps
  // the old state when no buffer can be had.
  virtual void resize(uint32_t n);
  // Copies bits between the block and the stream's cursor. Returns 0, 4 when the block had to be
  // shortened to what remains of the stream, 2 when the source has no storage.
  virtual int transfer(xstream& stream);
  // Writes the stored bytes.
  virtual void write(std::ostream& out) const;
  // Moves the bits down by n; returns 4 and changes nothing when n is not below the bit length.
  // The lengths stay: the caller resizes.
  virtual int drop_leading(uint32_t n);
  // Makes bytes first..first+count-1 the whole block, as drop_leading(8 * first) and then
  // resize(8 * count) would, when that is one move inside the buffer it has: a block of whole
  // bytes that keeps count (not 0) of them, which resize would not reallocate for. Returns false
  // and changes nothing otherwise.
  // Inline: the band passes call it once per packet.
  bool keep_bytes(uint32_t first, uint32_t count) {
    if (data_ == nullptr || count == 0 || first >= byte_length_ || count > byte_length_ - first)
      return false;
    if (bit_length_ != 8 * byte_length_) return false;
    if (!keeps_buffer(capacity_, count)) return false;  // resize's own rule
    if (first > 0) std::memmove(data_, data_ + first, count);
    bit_length_ = 8 * count;
    byte_length_ = count;
    return true;
  }
  // Makes the block `bits` bits long holding a copy of `bytes` (bits / 8 rounded up of them). A
  // buffer too small is replaced: false, and nothing changes, when no new one can be had. A
  // buffer large enough is kept however much room it then wastes, so that a shorter block never
  // fails; trim() gives the room back.
  bool assign(const uint8_t* bytes, uint32_t bits);
  // Whether the buffer holds room that resize would not have kept.
  [[nodiscard]] bool wastes_room() const {
    return data_ != nullptr && (byte_length_ == 0 || !keeps_buffer(capacity_, byte_length_));
  }
  // Gives that room back, where memory allows.
  void trim();
  // Complements every stored byte, padding bits included.
  virtual void invert();
  // Bit-length characters, '1' for a set bit, bit 0 first.
  [[nodiscard]] virtual std::string to_string() const;

 protected:
  // Takes a buffer of `bytes` bytes already filled by the caller (or null for 0 bytes) that holds
  // `capacity` bytes in all.
  xbit_block(uint8_t* buffer, uint32_t bits, uint32_t bytes, uint32_t capacity);

  // Where resize gets a new buffer (null when memory runs out) and how it frees the old one.
  // The destructor frees with delete[]: a derived class that hands out other storage detaches it
  // in its own destructor.
  [[nodiscard]] virtual uint8_t* new_buffer(uint32_t bytes);
  virtual void free_buffer(uint8_t* buffer);

  // Whether a buffer of `capacity` bytes is kept for `bytes` bytes: it holds them without wasting
  // much.
  [[nodiscard]] static bool keeps_buffer(uint32_t capacity, uint32_t needed) {
    return needed <= capacity && capacity - needed <= std::max(capacity / 2, 32u);
  }

  uint32_t capacity_ = 0;  // bytes the buffer at data_ holds
};
