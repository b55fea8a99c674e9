#pragma once

#include <memory>

#include "core/protocols/protocol.h"

// Payload that no decoder understands. It reads nothing and shows no lines.
class xproto_unknown : public xdata_protocol {
 public:
  xproto_unknown();
  std::unique_ptr<xprotocol> parse(const xprotocol& previous) override;
};

// An XTP segment (IP protocol 36): recognised by name only; no lines, empty payload range.
class xproto_xtp : public xdata_protocol {
 public:
  xproto_xtp();
  std::unique_ptr<xprotocol> parse(const xprotocol& previous) override;
};
