#include "core/model/paket.h"

#include <cstring>
#include <ostream>
#include <stdexcept>

#include "core/protocols/proto_root.h"
#include "core/protocols/protocol.h"

xpaket::xpaket(const uint8_t* bytes, uint32_t n) : xpaket(bytes, n, n) {}

xpaket::xpaket(const uint8_t* bytes, uint32_t available, uint32_t n)
    : xbit_block(nullptr, 0, 0, 0) {
  if (n > 0xFFFFFFFFu / 8) throw std::length_error("xpaket: packet longer than 2^32 bits");
  if (n > 0) {
    data_ = n <= inline_bytes ? inline_ : new uint8_t[n];
    capacity_ = n <= inline_bytes ? inline_bytes : n;
    if (available > n) available = n;
    if (available > 0) std::memcpy(data_, bytes, available);
    std::memset(data_ + available, 0, n - available);
  }
  bit_length_ = n * 8u;
  byte_length_ = n;
}

xpaket::~xpaket() {
  clear_protocols();
  if (data_ == inline_) data_ = nullptr;  // not the base's to delete
}

uint8_t* xpaket::new_buffer(uint32_t bytes) {
  if (bytes <= inline_bytes && data_ != inline_) return inline_;
  return xbit_block::new_buffer(bytes);
}

void xpaket::free_buffer(uint8_t* buffer) {
  if (buffer != inline_) xbit_block::free_buffer(buffer);
}

void xpaket::clear_protocols() {
  for (xprotocol* layer : protocols) delete layer;
  protocols.clear();
}

void xpaket::decode() {
  clear_protocols();
  decode_layers(data_, data_ + byte_length_, protocols.layers());
}

void xpaket::write(std::ostream& out, bool with_length) const {
  if (with_length) {
    const char length[2] = {static_cast<char>(byte_length_ & 0xFF),
                            static_cast<char>((byte_length_ >> 8) & 0xFF)};
    out.write(length, 2);
  }
  xbit_block::write(out);
}
