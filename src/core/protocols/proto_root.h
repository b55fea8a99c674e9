#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/protocols/protocol.h"

// First layer of every decode: it decides from the first byte whether the packet is a Cisco frame.
class xproto_root : public xprotocol {
 public:
  xproto_root();

  // Picks the outermost layer of the bytes [begin, end) of a packet: a Cisco frame when the first
  // byte is 0x0F (unicast) or 0x8F (broadcast), whose data are then the whole packet; otherwise an
  // unknown layer, and the root's range stays empty. An empty packet gives an unknown layer.
  [[nodiscard]] std::unique_ptr<xprotocol> start(const uint8_t* begin, const uint8_t* end);
  // The root is never parsed: it has `start` instead.
  std::unique_ptr<xprotocol> parse(const xprotocol& previous) override;
};

// Decodes the bytes [begin, end) and appends the layers to `layers`: the root, then the layers from
// the outermost inwards. The caller owns the appended layers (they are deleted through
// xprotocol). Reads no byte outside the range.
void decode_layers(const uint8_t* begin, const uint8_t* end, std::vector<xprotocol*>& layers);
