#pragma once

// One decoded protocol layer of a packet. The layers point into the packet's byte buffer and are
// valid while the packet is unchanged; the packet owns them and destroys them through this base.
class xprotocol {
 public:
  xprotocol() = default;
  xprotocol(const xprotocol&) = delete;
  xprotocol& operator=(const xprotocol&) = delete;
  virtual ~xprotocol() = default;
};
