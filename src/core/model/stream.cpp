#include "core/model/stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "core/model/memory_budget.h"

namespace {

bool has_sig_extension(const std::string& name) {
  const auto slash = name.find_last_of('/');
  const auto dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string ext = name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".sig";
}

}  // namespace

const uint8_t* xstream::end() const {
  return data_ == nullptr ? nullptr : data_ + file_size_;
}

uint64_t xstream::tell() const {
  if (cursor_ == nullptr) return 0;
  return static_cast<uint64_t>(cursor_ - data_) * 8 + bit_offset_;
}

int xstream::seek(uint64_t pos) {
  if (pos > file_size_ * 8) return 2;
  cursor_ = data_ == nullptr ? nullptr : data_ + pos / 8;
  bit_offset_ = static_cast<unsigned>(pos % 8);
  return 0;
}

uint32_t xstream::find_pattern(std::string_view text, uint32_t start) {
  const uint32_t p = xblock::find_pattern(text, start);
  if (p != npos && !no_advance_) (void)seek(p);
  return p;
}

void xstream::attach(uint8_t* data, uint64_t size) {
  data_ = data;
  file_size_ = size;
  byte_length_ = static_cast<uint32_t>(std::min<uint64_t>(size, 0xFFFFFFFFu));
  bit_length_ = static_cast<uint32_t>(std::min<uint64_t>(size * 8, 0xFFFFFFFFu));
  cursor_ = data;
  bit_offset_ = 0;
}

void xstream::detach() {
  attach(nullptr, 0);
}

xin_stream::~xin_stream() {
  if (is_open_) (void)close();
}

namespace {

// Reads [0, size) of the file into `buffer` (zero pages from an anonymous mapping): the data
// regions in chunks, the holes of a sparse file skipped, so that they take no memory. At most
// `data_limit` bytes of data are read. Returns the length of the prefix read; it falls short of
// `size` when the file ended early, a read failed or the limit was reached.
uint64_t read_regions(int fd, uint8_t* buffer, uint64_t size, uint64_t data_limit, size_t chunk,
                      const std::function<void(uint64_t)>& on_chunk) {
  uint64_t at = 0;
  uint64_t data_read = 0;
  while (at < size) {
    off_t data = ::lseek(fd, static_cast<off_t>(at), SEEK_DATA);
    if (data < 0 && errno == ENXIO) return size;  // a hole up to the end (or a shorter file)
    if (data < 0) data = static_cast<off_t>(at);  // no hole information: all data
    off_t hole = ::lseek(fd, data, SEEK_HOLE);
    if (hole < 0) hole = static_cast<off_t>(size);
    const uint64_t region_end = std::min<uint64_t>(static_cast<uint64_t>(hole), size);
    at = std::min<uint64_t>(static_cast<uint64_t>(data), size);
    while (at < region_end) {
      if (data_read >= data_limit) return at;
      const auto n = static_cast<size_t>(
          std::min<uint64_t>({region_end - at, uint64_t{chunk}, data_limit - data_read}));
      const ssize_t r = ::pread(fd, buffer + at, n, static_cast<off_t>(at));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return at;
      at += static_cast<uint64_t>(r);
      data_read += static_cast<uint64_t>(r);
      if (on_chunk) on_chunk(at);
    }
  }
  return size;
}

}  // namespace

int xin_stream::open(const std::string& name) {
  if (is_open_) (void)close();
  // Without O_NONBLOCK a FIFO would block here until a writer came; it is refused below instead.
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return 2;
  struct stat st {};
  // Readers share the file; a writer's lock keeps it. A file system without locks (or one that
  // refuses them, as some network ones do) is read unlocked.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK)) {
    ::close(fd);
    return 2;
  }
  const auto size = static_cast<uint64_t>(st.st_size);
  void* view = size == 0 || size > SIZE_MAX
                   ? MAP_FAILED
                   : ::mmap(nullptr, static_cast<size_t>(size), PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (view == MAP_FAILED) {
    ::close(fd);
    return 3;
  }
  // The copy may take at most half of the memory left: the packets made from it need at least
  // as much again.
  const uint64_t data_limit = available_memory() / 2;
  uint64_t got =
      read_regions(fd, static_cast<uint8_t*>(view), size, data_limit, chunk_bytes_, on_chunk);
  // A file cut while its holes were skipped reads as longer than it is.
  if (::fstat(fd, &st) == 0 && static_cast<uint64_t>(st.st_size) < got) {
    got = static_cast<uint64_t>(st.st_size);
  }
  fd_ = fd;
  buffer_size_ = static_cast<size_t>(size);
  attach(static_cast<uint8_t*>(view), got);
  truncated_ = got < size;
  is_open_ = true;
  is_sig_ = has_sig_extension(name);
  return 0;
}

int xin_stream::close() {
  if (!is_open_) return 1;
  int result = 0;
  if (::munmap(data_, buffer_size_) != 0) result = 1;
  if (::close(fd_) != 0) result = 1;
  fd_ = -1;
  buffer_size_ = 0;
  detach();
  is_open_ = false;
  is_sig_ = false;
  truncated_ = false;
  return result;
}
