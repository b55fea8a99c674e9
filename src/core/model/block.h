#pragma once

#include <cstdint>
#include <string_view>

// Bit i of a block is bit i mod 8 (counted from the least significant bit) of byte i div 8.
// Texts of bits always show bit 0 first.

// Value returned by the searches when nothing is found; never a valid bit or byte position.
inline constexpr uint32_t npos = 0xFFFFFFFFu;

// A view of bytes with a bit length. xblock itself owns nothing: the derived classes decide
// where `data_` points and who frees it.
class xblock {
 public:
  xblock() = default;
  xblock(const xblock&) = delete;
  xblock& operator=(const xblock&) = delete;
  virtual ~xblock();

  // Byte length when in_bytes is set, else bit length.
  [[nodiscard]] virtual uint32_t size(bool in_bytes) const;
  // Out-of-range indexes are ignored silently.
  virtual void set_bit(uint32_t i);
  virtual void set_byte(uint32_t i, uint8_t v);
  virtual void clear_bit(uint32_t i);
  // 0 beyond the bit length or without storage.
  [[nodiscard]] virtual int get_bit(uint32_t i) const;
  // Byte i; byte 0 for i beyond the byte length; 0 without storage.
  [[nodiscard]] virtual uint8_t get_byte(uint32_t i) const;
  // Smallest p >= start where the 1..32 bit pattern text (character j = pattern bit j) matches
  // bits p..p+len-1, or npos.
  [[nodiscard]] virtual uint32_t find_pattern(std::string_view text, uint32_t start);

  // Direct read access for painting and bulk work: byte_length() bytes at bytes(), or null.
  [[nodiscard]] const uint8_t* bytes() const { return data_; }
  [[nodiscard]] uint32_t byte_length() const { return byte_length_; }
  [[nodiscard]] uint32_t bit_length() const { return bit_length_; }

 protected:
  uint8_t* data_ = nullptr;
  uint32_t bit_length_ = 0;
  uint32_t byte_length_ = 0;
};

// Bit positions where `text` is a valid pattern: packs it into `bits` (bit j = character j) and
// returns its length, or 0 when the text is empty, longer than 32 characters or not binary.
[[nodiscard]] uint32_t parse_bit_pattern(std::string_view text, uint32_t& bits);

// Pattern search over a raw bit run of `bit_length` bits at `data`.
[[nodiscard]] uint32_t find_bit_pattern(const uint8_t* data, uint32_t byte_length,
                                        uint32_t bit_length, std::string_view text, uint32_t start);
