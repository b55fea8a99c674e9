#pragma once

#include <memory>

#include "core/protocols/protocol.h"

// Cisco router (HDLC) frame: address byte, control byte, 16-bit protocol type, payload, and two
// check bytes at the end. Only the IP type (0x0800) is decoded further.
class xproto_cisco : public xtransport_protocol {
 public:
  xproto_cisco();
  std::unique_ptr<xprotocol> parse(const xprotocol& previous) override;
};
