#include "core/operations/history/record_buffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {

// From this size on a buffer is mapped pages of its own.
constexpr std::size_t mapped_from = std::size_t{256} << 10;
constexpr std::size_t page = 4096;
// Large pages: a mapping aligned to them can be backed by them.
constexpr std::size_t large_page = std::size_t{2} << 20;
// The most address space one buffer takes ahead of its use.
constexpr std::size_t widest_mapping = std::size_t{1} << 36;
// The first block of a buffer that grows from nothing.
constexpr std::size_t first_block = 256;

std::size_t whole_pages(std::size_t n, std::size_t unit = page) {
  return (n + unit - 1) / unit * unit;
}

// Mappings of records given back, kept for the next ones: pages written once cost a fault and
// their clearing by the system, which for a record of millions of packets is more than writing
// the record itself. Their written pages stay, at most spare_limit bytes of them in all. The
// program is single-threaded.
struct spare_mapping {
  uint8_t* data = nullptr;
  std::size_t bytes = 0;    // address space
  std::size_t written = 0;  // pages that may still be there
};
std::array<spare_mapping, 4> spares;
// At most this many written bytes wait in the spares.
constexpr std::size_t spare_limit = std::size_t{64} << 20;

// A spare of at least `bytes`, or an empty one.
spare_mapping take_spare(std::size_t bytes) {
  for (spare_mapping& s : spares) {
    if (s.data != nullptr && s.bytes >= bytes) return std::exchange(s, spare_mapping{});
  }
  return {};
}

void give_back(uint8_t* data, std::size_t bytes, std::size_t written) {
  std::size_t waiting = written;
  spare_mapping* free_slot = nullptr;
  for (spare_mapping& s : spares) {
    waiting += s.written;
    if (s.data == nullptr) free_slot = &s;
  }
  if (free_slot == nullptr || waiting > spare_limit) {
    ::munmap(data, bytes);
    return;
  }
  *free_slot = {data, bytes, written};
}

// `bytes` (whole large pages) of address space starting on a large page; null when there is none.
// Large pages are asked for, so that a record of millions of packets takes a fault per 2 MiB
// rather than per 4 KiB.
uint8_t* map_aligned(std::size_t bytes) {
  const std::size_t span = bytes + large_page;
  void* block = ::mmap(nullptr, span, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (block == MAP_FAILED) return nullptr;
  const auto at = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t start = whole_pages(at, large_page);
  if (start > at) ::munmap(block, start - at);
  ::munmap(reinterpret_cast<void*>(start + bytes), large_page - (start - at));
  (void)::madvise(reinterpret_cast<void*>(start), bytes, MADV_HUGEPAGE);
  return reinterpret_cast<uint8_t*>(start);
}

}  // namespace

record_buffer::record_buffer(record_buffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      limit_(other.limit_),
      mapped_(std::exchange(other.mapped_, false)) {}

record_buffer& record_buffer::operator=(record_buffer&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    limit_ = other.limit_;
    mapped_ = std::exchange(other.mapped_, false);
  }
  return *this;
}

bool record_buffer::reserve(std::size_t total) {
  if (total <= capacity_) return true;
  const std::size_t grown = std::max({total, capacity_ + capacity_ / 2, first_block});
  // Becoming large: address space the whole way to the limit at once, where there is that much,
  // so that the buffer never moves again.
  if (!mapped_ && grown >= mapped_from && limit_ > grown &&
      resize_block(std::min(limit_, widest_mapping))) {
    return true;
  }
  // Short of memory, the exact need may still fit where the growth margin does not.
  return resize_block(grown) || (grown > total && resize_block(total));
}

void record_buffer::shrink_to_fit() noexcept {
  if (size_ == 0) {
    release();
  } else if (!mapped_ || size_ < mapped_from) {
    if (size_ < capacity_) (void)resize_block(size_);
  } else {
    // The address space stays; pages written past the end go back.
    const std::size_t used = whole_pages(size_);
    if (used < capacity_) (void)::madvise(data_ + used, capacity_ - used, MADV_DONTNEED);
  }
}

void record_buffer::release() noexcept {
  if (data_ != nullptr) {
    if (mapped_) {
      give_back(data_, capacity_, whole_pages(size_));
    } else {
      std::free(data_);
    }
  }
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
  mapped_ = false;
}

bool record_buffer::resize_block(std::size_t capacity) noexcept {
  if (capacity >= mapped_from) {
    uint8_t* block = nullptr;
    std::size_t bytes = 0;
    if (mapped_) {
      bytes = whole_pages(capacity);
      void* moved = ::mremap(data_, capacity_, bytes, MREMAP_MAYMOVE);
      if (moved == MAP_FAILED) return false;
      block = static_cast<uint8_t*>(moved);
    } else {
      const spare_mapping spare = take_spare(capacity);
      block = spare.data;
      bytes = spare.bytes;
      if (block == nullptr) {
        bytes = whole_pages(capacity, large_page);
        block = map_aligned(bytes);
      }
      if (block == nullptr) return false;
      if (size_ > 0) std::memcpy(block, data_, size_);
      std::free(data_);
    }
    data_ = block;
    capacity_ = bytes;
    mapped_ = true;
    return true;
  }
  if (mapped_) {
    // Back from pages to the heap: only a shrink comes here.
    void* block = std::malloc(capacity);
    if (block == nullptr) return false;
    std::memcpy(block, data_, size_);
    give_back(data_, capacity_, whole_pages(size_));
    data_ = static_cast<uint8_t*>(block);
    capacity_ = capacity;
    mapped_ = false;
    return true;
  }
  void* block = std::realloc(data_, capacity);
  if (block == nullptr) return false;
  data_ = static_cast<uint8_t*>(block);
  capacity_ = capacity;
  return true;
}
