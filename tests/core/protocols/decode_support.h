#pragma once

#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/protocols/proto_root.h"
#include "core/protocols/protocol.h"

using bytes = std::vector<uint8_t>;

// "0F 00 08 00 ..." → the bytes; blanks are skipped.
inline bytes from_hex(std::string_view text) {
  bytes out;
  int high = -1;
  for (const char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    const int v =
        std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<uint8_t>(high << 4 | v));
      high = -1;
    }
  }
  return out;
}

// The tree as pelorin-cli prints it: "пакет", layer names indented by two blanks, lines by four.
inline std::string tree_text(const std::vector<xprotocol*>& layers) {
  std::string text = "пакет\n";
  for (const xprotocol* layer : layers) {
    text += "  " + layer->name() + '\n';
    for (std::size_t i = 0; i < layer->line_count(); ++i) text += "    " + layer->line(i) + '\n';
  }
  return text;
}

// The layers of a packet decoded from a heap copy of exactly its size, so that AddressSanitizer
// reports any read past its end.
class decoded {
 public:
  explicit decoded(const bytes& b) : size_(b.size()) {
    if (size_ > 0) {
      buffer_ = std::make_unique<uint8_t[]>(size_);
      std::memcpy(buffer_.get(), b.data(), size_);
    }
    decode_layers(begin(), end(), layers);
  }
  decoded(const decoded&) = delete;
  decoded& operator=(const decoded&) = delete;
  ~decoded() {
    for (xprotocol* layer : layers) delete layer;
  }

  [[nodiscard]] const uint8_t* begin() const { return buffer_.get(); }
  [[nodiscard]] const uint8_t* end() const { return buffer_.get() + size_; }
  [[nodiscard]] std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const xprotocol* layer : layers) out.push_back(layer->name());
    return out;
  }
  [[nodiscard]] std::vector<std::string> lines(std::size_t layer) const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < layers.at(layer)->line_count(); ++i) {
      out.push_back(layers[layer]->line(i));
    }
    return out;
  }
  [[nodiscard]] std::string tree() const { return tree_text(layers); }

  std::vector<xprotocol*> layers;

 private:
  std::size_t size_;
  std::unique_ptr<uint8_t[]> buffer_;
};

// Layer names as the decoders give them.
inline const std::string root_name = "root";
inline const std::string cisco_name = "CISCO router protocol";
inline const std::string ip_name = "IP - internet protocol";
inline const std::string tcp_name = "TCP - transport control";
inline const std::string xtp_name = "XTP - Xpress transport protocol";
inline const std::string unknown_name = "неизвестный протокол";
inline const std::string too_short = "данные короче заголовка";
