#pragma once

#include <memory>

#include "core/protocols/protocol.h"

// IP header. The payload runs from the end of the header (its length field × 4) to the end of the
// Cisco payload; the total length field is shown but does not bound it. Options are skipped.
class xproto_ip : public xtransport_protocol {
 public:
  xproto_ip();
  std::unique_ptr<xprotocol> parse(const xprotocol& previous) override;

 private:
  void add_fields(std::span<const uint8_t> d, std::size_t header_length);
};
