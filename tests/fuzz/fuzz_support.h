#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// An invariant that must hold for every input: a violation aborts, which libFuzzer reports as a
// crash and saves the input.
#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (false)

// Takes values off the front of the input.
class fuzz_input {
 public:
  fuzz_input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  template <typename T>
  T take() {
    T value{};
    const size_t n = size_ < sizeof(T) ? size_ : sizeof(T);
    if (n > 0) std::memcpy(&value, data_, n);
    data_ += n;
    size_ -= n;
    return value;
  }
  void skip(size_t n) {
    n = n < size_ ? n : size_;
    data_ += n;
    size_ -= n;
  }
  [[nodiscard]] const uint8_t* data() const { return data_; }
  [[nodiscard]] size_t size() const { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
};
