#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Header fields are read big-endian. The caller has checked that the bytes lie inside `d`.
[[nodiscard]] inline uint16_t read_be16(std::span<const uint8_t> d, std::size_t at) {
  return static_cast<uint16_t>((d[at] << 8) | d[at + 1]);
}

[[nodiscard]] inline uint32_t read_be32(std::span<const uint8_t> d, std::size_t at) {
  return (uint32_t{read_be16(d, at)} << 16) | read_be16(d, at + 2);
}

// Upper-case hexadecimal with at least two digits: 5 → "05", 0xABCD → "ABCD".
[[nodiscard]] std::string hex_text(uint32_t value);

// The four bytes at `at` in decimal, in stored order, joined by dots: "192.168.0.1".
[[nodiscard]] std::string dotted_address(std::span<const uint8_t> d, std::size_t at);
