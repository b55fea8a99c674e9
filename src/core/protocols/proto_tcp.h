#pragma once

#include <memory>

#include "core/protocols/protocol.h"

// TCP header. Always followed by an unknown layer for its payload, even an empty one. Options are
// skipped.
class xproto_tcp : public xtransport_protocol {
 public:
  xproto_tcp();
  std::unique_ptr<xprotocol> parse(const xprotocol& previous) override;

 private:
  void add_fields(std::span<const uint8_t> d);
};
