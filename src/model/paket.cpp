#include "model/paket.h"

#include <cstring>
#include <ostream>
#include <stdexcept>

#include "protocols/protocol.h"

namespace {

uint8_t* copy_of(const uint8_t* bytes, uint32_t available, uint32_t n) {
  if (n == 0) return nullptr;
  if (n > 0xFFFFFFFFu / 8) throw std::length_error("xpaket: packet longer than 2^32 bits");
  auto* buffer = new uint8_t[n];
  if (available > n) available = n;
  if (available > 0) std::memcpy(buffer, bytes, available);
  std::memset(buffer + available, 0, n - available);
  return buffer;
}

}  // namespace

xpaket::xpaket(const uint8_t* bytes, uint32_t n) : xpaket(bytes, n, n) {}

xpaket::xpaket(const uint8_t* bytes, uint32_t available, uint32_t n)
    : xbit_block(copy_of(bytes, available, n), n * 8u, n) {}

xpaket::~xpaket() { clear_protocols(); }

void xpaket::clear_protocols() {
  for (xprotocol* layer : protocols) delete layer;
  protocols.clear();
}

void xpaket::write(std::ostream& out, bool with_length) const {
  if (with_length) {
    const char length[2] = {static_cast<char>(byte_length_ & 0xFF),
                            static_cast<char>((byte_length_ >> 8) & 0xFF)};
    out.write(length, 2);
  }
  xbit_block::write(out);
}
