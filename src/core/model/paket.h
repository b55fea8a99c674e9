#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

#include "core/model/bit_block.h"

class xprotocol;

// Colour numbers are laid out 0x00BBGGRR; white marks an unmarked packet.
inline constexpr uint32_t colour_white = 0xFFFFFF;

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

  uint32_t colour = colour_white;
  // Decoded layers, root first; owned.
  std::vector<xprotocol*> protocols;

 protected:
  uint8_t* new_buffer(uint32_t bytes) override;
  void free_buffer(uint8_t* buffer) override;

 private:
  // Small packets keep their bytes inside the record: one allocation per packet instead of two.
  static constexpr uint32_t inline_bytes = 16;
  uint8_t inline_[inline_bytes];
};
