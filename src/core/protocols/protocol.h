#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The line a layer shows when its data end before the fixed fields it reads; the chain ends there.
inline constexpr std::string_view text_data_too_short = "данные короче заголовка";

// One decoded protocol layer of a packet: a display name, the decoded field texts, and the range of
// its payload (the bytes the next layer decodes). The range points into the packet's byte buffer
// and is valid while the packet is unchanged; the packet owns its layers and destroys them through
// this base. A layer is filled once by `parse` and only read afterwards. The layer classes add no
// fields of their own.
class xprotocol {
 public:
  xprotocol(const xprotocol&) = delete;
  xprotocol& operator=(const xprotocol&) = delete;
  virtual ~xprotocol() = default;

  [[nodiscard]] virtual uint8_t code() const { return code_; }
  [[nodiscard]] virtual std::string name() const { return name_; }
  [[nodiscard]] virtual std::size_t line_count() const { return lines_.size(); }
  // Line i (0-based); an empty text for i out of range.
  [[nodiscard]] virtual std::string line(std::size_t i) const;
  // Decodes this layer from the payload of `previous` (the layer before it in the packet's list)
  // and returns the next layer, or null when the chain ends here. Never reads outside the
  // previous layer's payload range.
  virtual std::unique_ptr<xprotocol> parse(const xprotocol& previous) = 0;
  // Payload range; both null until the layer's decode sets them.
  [[nodiscard]] virtual const uint8_t* data_begin() const { return data_begin_; }
  [[nodiscard]] virtual const uint8_t* data_end() const { return data_end_; }

 protected:
  // Code 0, name "unknown", no lines.
  xprotocol() = default;
  void set_identity(uint8_t code, std::string_view name);
  void add_line(std::string text) { lines_.push_back(std::move(text)); }

  // Payload of `layer` as bytes; empty when its range is not set.
  [[nodiscard]] static std::span<const uint8_t> payload_of(const xprotocol& layer);

  const uint8_t* data_begin_ = nullptr;
  const uint8_t* data_end_ = nullptr;
  uint8_t code_ = 0;
  std::string name_ = "unknown";
  std::vector<std::string> lines_;
};

// Layers that carry another protocol inside (Cisco frame, IP, TCP).
class xtransport_protocol : public xprotocol {
 protected:
  xtransport_protocol() = default;

  // Gate for the fixed fields of a header, asked in the order the lines are shown: true when the
  // data hold `count` bytes. The first time they do not, appends the short-data line; from then on
  // always false, so the lines after a missing field are left out too.
  [[nodiscard]] bool have(std::span<const uint8_t> data, std::size_t count);
  // True once `have` found the data too short: the short-data line is the last line.
  [[nodiscard]] bool cut_short() const {
    return !lines_.empty() && lines_.back() == text_data_too_short;
  }
};

// Innermost layers: nothing is decoded inside them.
class xdata_protocol : public xprotocol {
 protected:
  xdata_protocol() = default;
};
