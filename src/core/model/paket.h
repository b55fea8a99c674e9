#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <memory>
#include <vector>

#include "core/model/bit_block.h"

class xprotocol;

// Colour numbers are laid out 0x00BBGGRR; white marks an unmarked packet.
inline constexpr uint32_t colour_white = 0xFFFFFF;

// The decoded protocol layers of a packet, root first; owns nothing (xpaket destroys the layers).
// A list of pointers like a vector, but one that takes a single pointer's room until the first
// layer is added: most packets are never decoded, and a signal may hold millions of them.
class xprotocol_list {
 public:
  xprotocol_list() = default;
  xprotocol_list(const xprotocol_list&) = delete;
  xprotocol_list& operator=(const xprotocol_list&) = delete;

  [[nodiscard]] bool empty() const { return size() == 0; }
  [[nodiscard]] std::size_t size() const { return list_ ? list_->size() : 0; }
  [[nodiscard]] xprotocol* operator[](std::size_t i) const { return (*list_)[i]; }
  [[nodiscard]] xprotocol* const* begin() const { return list_ ? list_->data() : nullptr; }
  [[nodiscard]] xprotocol* const* end() const { return begin() + size(); }

  // Throws std::bad_alloc with the list unchanged.
  void push_back(xprotocol* layer) { layers().push_back(layer); }
  // Empties the list and gives its room back.
  void clear() { list_.reset(); }
  // The list as a vector, for the decoder to append to; made on first use (may throw
  // std::bad_alloc).
  std::vector<xprotocol*>& layers() {
    if (!list_) list_ = std::make_unique<std::vector<xprotocol*>>();
    return *list_;
  }

 private:
  std::unique_ptr<std::vector<xprotocol*>> list_;
};

// One packet of a signal: its bits, its marking colour and the protocol layers last decoded from
// it. The packet number is not stored here: it is the packet's key in the store.
class xpaket : public xbit_block {
 public:
  // A packet of n bytes copied from `bytes` (which may be null when n is 0). Throws std::bad_alloc.
  xpaket(const uint8_t* bytes, uint32_t n);
  // A packet of n bytes of which only the first `available` come from `bytes`; the rest are 0.
  // Used for a record that the end of its file cut short.
  xpaket(const uint8_t* bytes, uint32_t available, uint32_t n);
  // Destroys the protocol layers, in list order, then the buffer.
  ~xpaket() override;

  using xbit_block::write;
  // With `with_length`, the low 16 bits of the byte length come first, low byte first.
  void write(std::ostream& out, bool with_length) const;

  // Destroys every decoded layer and empties the list.
  void clear_protocols();
  // Rebuilds `protocols` from the packet's bytes: the root layer, then the layers from the
  // outermost inwards. The layers point into this packet's buffer: any change of the bytes or
  // length leaves them stale until the next decode.
  void decode();

  // Direct write access for bulk work over the stored bytes: byte_length() bytes, or null. The
  // bit and byte setters do the same one value at a time.
  [[nodiscard]] uint8_t* writable_bytes() { return data_; }

  // Small packets keep their bytes inside the record: one allocation per packet instead of two.
  static constexpr uint32_t inline_bytes = 16;
  // Whether the bytes lie inside the record: then all inline_bytes bytes at writable_bytes() may
  // be read and written (those past byte_length() mean nothing), so that bulk copies of small
  // packets take them in one piece.
  [[nodiscard]] bool bytes_inside() const { return data_ == inline_; }
  // For a packet whose bytes lie inside the record, and `bits` that fit there: takes the
  // inline_bytes bytes at `from` (those past the new length mean nothing) and that length.
  void take_inside(const uint8_t* from, uint32_t bits) {
    std::memcpy(inline_, from, inline_bytes);
    bit_length_ = bits;
    byte_length_ = (bits + 7) / 8;
  }

  uint32_t colour = colour_white;
  // Decoded layers, root first; owned.
  xprotocol_list protocols;

 protected:
  uint8_t* new_buffer(uint32_t bytes) override;
  void free_buffer(uint8_t* buffer) override;

 private:
  uint8_t inline_[inline_bytes]{};
};

// Asks for the record of packet p ahead of its use, both cache lines it may span: a walk over
// millions of packets would otherwise stall on each.
inline void prefetch_paket(const xpaket* p) {
  __builtin_prefetch(p);
  __builtin_prefetch(reinterpret_cast<const char*>(p) + sizeof(xpaket) - 1);
}
