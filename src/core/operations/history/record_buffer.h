#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// A growable run of bytes for the undo records: one block however large it grows, grown without
// copying once it is large (the pages are remapped), and never throwing: a growth that finds no
// memory says so and leaves the buffer as it was. Large buffers are mapped pages of their own, so
// that a record given back returns its memory to the system at once.
class record_buffer {
 public:
  record_buffer() = default;
  record_buffer(record_buffer&& other) noexcept;
  record_buffer& operator=(record_buffer&& other) noexcept;
  record_buffer(const record_buffer&) = delete;
  record_buffer& operator=(const record_buffer&) = delete;
  ~record_buffer() { release(); }

  [[nodiscard]] uint8_t* data() { return data_; }
  [[nodiscard]] const uint8_t* data() const { return data_; }
  [[nodiscard]] std::size_t size() const { return size_; }
  [[nodiscard]] bool empty() const { return size_ == 0; }
  // Bytes that can be appended without growing.
  [[nodiscard]] std::size_t room() const { return capacity_ - size_; }
  // Memory the buffer holds: a large one's pages as far as they are written.
  [[nodiscard]] std::size_t memory() const {
    return mapped_ ? (size_ + page_bytes - 1) / page_bytes * page_bytes : capacity_;
  }

  // Appends n bytes; false, with the buffer unchanged, when it cannot grow.
  bool append(const void* from, std::size_t n) {
    if (n > room() && !reserve(size_ + n)) return false;
    if (n > 0) std::memcpy(data_ + size_, from, n);
    size_ += n;
    return true;
  }
  // Room for `total` bytes in all, growing by at least half; false when there is no memory.
  bool reserve(std::size_t total);
  // How large the buffer may become: once it is large, it takes address space for that much at
  // once (memory only as it is written), so that it never moves again.
  void set_limit(std::size_t limit) { limit_ = limit; }
  [[nodiscard]] std::size_t limit() const { return limit_; }
  // The last n bytes are no longer used (n is at most size()).
  void drop_back(std::size_t n) { size_ -= n; }
  // The first n bytes are used (n is at most capacity(); the caller has written them).
  void resize(std::size_t n) { size_ = n; }
  [[nodiscard]] std::size_t capacity() const { return capacity_; }
  // Gives back the room beyond size().
  void shrink_to_fit() noexcept;
  // Empties the buffer and gives its memory back.
  void release() noexcept;

 private:
  static constexpr std::size_t page_bytes = 4096;

  bool resize_block(std::size_t capacity) noexcept;

  uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::size_t limit_ = 0;
  bool mapped_ = false;  // data_ is mapped pages, not a heap block
};

// A record_buffer of trivially copyable entries.
template <typename T>
class record_array {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  [[nodiscard]] std::size_t size() const { return bytes_.size() / sizeof(T); }
  [[nodiscard]] bool empty() const { return bytes_.empty(); }
  [[nodiscard]] std::size_t memory() const { return bytes_.memory(); }
  [[nodiscard]] bool has_room() const { return bytes_.room() >= sizeof(T); }
  [[nodiscard]] T* data() { return reinterpret_cast<T*>(bytes_.data()); }
  [[nodiscard]] const T* data() const { return reinterpret_cast<const T*>(bytes_.data()); }
  [[nodiscard]] T* begin() { return data(); }
  [[nodiscard]] T* end() { return data() + size(); }
  [[nodiscard]] const T* begin() const { return data(); }
  [[nodiscard]] const T* end() const { return data() + size(); }
  [[nodiscard]] T& operator[](std::size_t i) { return data()[i]; }
  [[nodiscard]] const T& operator[](std::size_t i) const { return data()[i]; }
  [[nodiscard]] T& back() { return data()[size() - 1]; }

  // False, with the array unchanged, when it cannot grow.
  bool push_back(const T& value) { return bytes_.append(&value, sizeof(T)); }
  bool reserve(std::size_t count) { return bytes_.reserve(count * sizeof(T)); }
  void set_limit(std::size_t limit) { bytes_.set_limit(limit); }
  void pop_back() { bytes_.drop_back(sizeof(T)); }
  [[nodiscard]] std::size_t capacity() const { return bytes_.capacity() / sizeof(T); }
  void resize(std::size_t count) { bytes_.resize(count * sizeof(T)); }
  void shrink_to_fit() noexcept { bytes_.shrink_to_fit(); }
  void release() noexcept { bytes_.release(); }

 private:
  record_buffer bytes_;
};
