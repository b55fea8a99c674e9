#pragma once

#include <cstdint>

namespace sysx {

// A block of bytes: `data` is null when the block is empty. Derived classes decide who owns the
// bytes (a bitset owns them, a memory_stream borrows a mapped view).
class basic_memory {
 public:
  basic_memory() = default;
  basic_memory(const basic_memory&) = delete;
  basic_memory& operator=(const basic_memory&) = delete;
  virtual ~basic_memory() = default;

  [[nodiscard]] uint8_t* data() const { return data_; }
  [[nodiscard]] uint32_t byte_size() const { return size_; }
  // Size in bits: every byte counts, unless a derived class knows better.
  [[nodiscard]] virtual uint64_t bit_size() const { return uint64_t{size_} * 8; }

 protected:
  uint8_t* data_ = nullptr;
  uint32_t size_ = 0;
};

}  // namespace sysx
